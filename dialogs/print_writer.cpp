#include "dialogs/print_writer.h"

#include <algorithm>
#include <limits>

namespace {

int clampInt(qint64 v)
{
    return int(std::clamp<qint64>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

void TPrintWriter::BeginDocument(IPrintCanvas& canvas, const TPrintLayout& layout, const QFont& font,
                                 const QString& title, const QString& footer)
{
    canvas_ = &canvas;
    failed_ = false;
    MetafileMode = false;
    Title = title;
    Footer = footer;
    FontHeight = layout.FontHeight;
    canvas.SetFont(font, FontHeight);
    canvas.SetFontColour(Qt::black);
    PageWidth = layout.PageWidth;
    PageHeight = layout.PageHeight;
    OffsetX = layout.OffsetX;
    OffsetY = layout.OffsetY;
    setPen(layout.PenWidth);
    LeftMargin = layout.LeftMargin;
    TopMargin = layout.TopMargin;
    CurY = TopMargin;
    BottomY = PageHeight;
    if (!Footer.isEmpty())
        BottomY -= FontHeight + PenWidth + 10;
    PageNo = 0;
    HeaderPending = true;
    penX_ = penY_ = 0;
}

void TPrintWriter::BeginPicture(IPrintCanvas& canvas, const QFont& font, int fontHeight, const QString& title)
{
    canvas_ = &canvas;
    failed_ = false;
    MetafileMode = true;
    PageWidth = 640;
    PageHeight = 480;
    OffsetX = OffsetY = 0;
    FontHeight = fontHeight;
    canvas.SetFont(font, FontHeight);
    Title = title;
    Footer.clear();
    LeftMargin = TopMargin = 5;
    setPen(1);
    canvas.SetFontColour(Qt::black);
    CurY = 5;
    BottomY = 470;
    PageNo = 0;
    HeaderPending = false;
    penX_ = penY_ = 0;
    if (!Title.isEmpty()) {
        centred(Title);
        CurY += FontHeight;
        rule(2);
        CurY += PenWidth + 1;
    }
    setPen(1);
}

bool TPrintWriter::Finish()
{
    if (!MetafileMode && PageNo > 0)
        EndPage(true);
    canvas_ = nullptr;
    return !failed_;
}

void TPrintWriter::setPen(int width, const QColor& colour, Qt::PenStyle style)
{
    PenWidth = width;
    if (canvas_)
        canvas_->SetPen(width, colour, style);
}

void TPrintWriter::rule(int width)
{
    setPen(width);
    canvas_->Line(LeftMargin, CurY, PageWidth, CurY);
    penX_ = PageWidth;
    penY_ = CurY;
}

void TPrintWriter::centred(const QString& text)
{
    canvas_->SetFontColour(Qt::black);
    canvas_->TextOut(PageWidth / 2 - canvas_->TextWidth(text) / 2, CurY, text);
}

void TPrintWriter::StartPage()
{
    HeaderPending = false;
    if (MetafileMode || !canvas_)
        return;
    CurY = TopMargin;
    ++PageNo;
    if (!Title.isEmpty()) {
        centred(Title);
        CurY += FontHeight;
        rule(5);
        CurY += PenWidth + 10;
    }
}

void TPrintWriter::EndPage(bool Last)
{
    if (MetafileMode || !canvas_)
        return;
    if (!Footer.isEmpty()) {
        CurY = BottomY;
        rule(5);
        CurY += PenWidth + 10;
        centred(Footer + QString::number(PageNo));
    }
    // A new page also without a footer text: the next page header goes back
    // to the top margin, which would print over this page.
    if (!Last && !canvas_->NewPage())
        failed_ = true;
}

void TPrintWriter::breakPage()
{
    EndPage(false);
    StartPage();
}

void TPrintWriter::PrintLine(const QString& text)
{
    if (!canvas_)
        return;
    canvas_->SetFontColour(Qt::black);
    if (HeaderPending)
        StartPage();
    if (pageFull())
        breakPage();
    canvas_->TextOut(LeftMargin, CurY, text);
    CurY += FontHeight;
}

void TPrintWriter::SetTabWidth(int index, int percent)
{
    if (index >= 0 && index < kTabCount)
        TabWidths[size_t(index)] = percent;
}

void TPrintWriter::PrintTabbedLine(const QString& text)
{
    if (!canvas_)
        return;
    qint64 x = LeftMargin;
    int column = 0;
    QString rest = text;
    for (qsizetype tab = rest.indexOf(u'\t'); tab >= 0; tab = rest.indexOf(u'\t')) {
        const QString part = rest.left(tab);
        rest = rest.mid(tab + 1);
        // Columns past the last width count as width 0.
        const int width = column < kTabCount ? TabWidths[size_t(column)] : 0;
        if (width > 0) {
            canvas_->TextOut(clampInt(x), CurY, part);
            x += qint64(width) * PageWidth / 100;
        }
        ++column;
    }
    canvas_->TextOut(clampInt(x), CurY, rest);
    CurY += FontHeight;
}

void TPrintWriter::columnHeader()
{
    PrintTabbedLine(ColumnHeader);
    rule(1);
    CurY += PenWidth;
}

void TPrintWriter::PrintList(const QStringList* lines)
{
    if (!lines || !canvas_)
        return;
    if (HeaderPending)
        StartPage();
    canvas_->SetFontColour(Qt::black);
    columnHeader();
    for (const QString& line : *lines) {
        if (pageFull()) {
            breakPage();
            canvas_->SetFontColour(Qt::black);
            columnHeader();
        }
        PrintTabbedLine(line);
    }
}

void TPrintWriter::BeginFrame(int LogicalWidth, int LogicalHeight)
{
    if (!canvas_ || LogicalWidth <= 0 || LogicalHeight <= 0)
        return;
    qint64 scale = 0;
    auto fit = [&] {
        FrameTop = CurY;
        scale = std::max<qint64>(0, qint64(PageWidth - LeftMargin) * 1000 / LogicalWidth);
        if (qint64(LogicalHeight) * scale / 1000 + FrameTop > BottomY)
            scale = qint64(BottomY - FrameTop) * 1000 / LogicalHeight;
    };
    fit();
    if (scale <= 0 && !MetafileMode && !HeaderPending) {
        breakPage();
        fit();
    }
    scale = std::max<qint64>(0, scale);
    FrameScale = clampInt(scale);
    CurY = clampInt(qint64(LogicalHeight) * scale / 1000 + FrameTop);
    setPen(MetafileMode ? 2 : 5);
    canvas_->Rectangle(LeftMargin, FrameTop, clampInt(qint64(LogicalWidth) * scale / 1000 + LeftMargin), CurY);
    CurY += PenWidth;
    setPen(MetafileMode ? 1 : 2);
}

int TPrintWriter::frameX(int X) const
{
    return clampInt(qint64(X) * FrameScale / 1000 + LeftMargin);
}

int TPrintWriter::frameY(int Y) const
{
    return clampInt(qint64(Y) * FrameScale / 1000 + FrameTop);
}

void TPrintWriter::MoveTo(int X, int Y)
{
    penX_ = frameX(X);
    penY_ = frameY(Y);
}

void TPrintWriter::LineTo(int X, int Y, const QColor& Colour, Qt::PenStyle PenStyle)
{
    if (!canvas_)
        return;
    const int width = PenWidth;
    canvas_->SetPen(PenStyle == Qt::SolidLine ? width : 1, Colour, PenStyle);
    const int x = frameX(X), y = frameY(Y);
    canvas_->Line(penX_, penY_, x, y);
    penX_ = x;
    penY_ = y;
    canvas_->SetPen(width, Colour, PenStyle);
}

void TPrintWriter::TextOut(int X, int Y, const QColor& Colour, const QString& Text)
{
    if (!canvas_)
        return;
    canvas_->SetFontColour(Colour);
    canvas_->TextOut(frameX(X), frameY(Y), Text);
}
