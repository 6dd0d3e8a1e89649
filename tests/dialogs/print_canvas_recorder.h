#pragma once

// A canvas for the page writer tests that records every drawing call with
// its position. Text is 10 units wide per character.

#include "dialogs/print_canvas.h"

#include <vector>

namespace printtest {

struct Op {
    enum Kind { Text, Line, Rect, NewPage } kind = Text;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    QString text;
    int pen = 0;
    QColor colour;
    Qt::PenStyle style = Qt::SolidLine;
};

class RecordingCanvas : public IPrintCanvas {
public:
    void SetFont(const QFont&, int h) override { lineHeight = h; }
    void SetFontColour(const QColor& c) override { fontColour = c; }
    void SetPen(int w, const QColor& c, Qt::PenStyle s) override
    {
        pen = w;
        penColour = c;
        style = s;
    }
    int TextWidth(const QString& t) override { return 10 * int(t.size()); }
    void TextOut(int x, int y, const QString& t) override
    {
        ops.push_back({Op::Text, x, y, 0, 0, t, 0, fontColour, Qt::SolidLine});
    }
    void Line(int x1, int y1, int x2, int y2) override
    {
        ops.push_back({Op::Line, x1, y1, x2, y2, QString(), pen, penColour, style});
    }
    void Rectangle(int l, int t, int r, int b) override
    {
        ops.push_back({Op::Rect, l, t, r, b, QString(), pen, penColour, style});
    }
    bool NewPage() override
    {
        Op o;
        o.kind = Op::NewPage;
        ops.push_back(o);
        return newPageResult;
    }

    std::vector<Op> of(Op::Kind k) const
    {
        std::vector<Op> r;
        for (const Op& o : ops)
            if (o.kind == k)
                r.push_back(o);
        return r;
    }
    const Op* text(const QString& t) const
    {
        for (const Op& o : ops)
            if (o.kind == Op::Text && o.text == t)
                return &o;
        return nullptr;
    }

    std::vector<Op> ops;
    int lineHeight = 0, pen = 0;
    QColor fontColour, penColour;
    Qt::PenStyle style = Qt::SolidLine;
    bool newPageResult = true;
};

}  // namespace printtest
