#pragma once

#include "dialogs/print_canvas.h"
#include "dialogs/print_layout.h"

#include <QColor>
#include <QStringList>

#include <array>

// The page writer behind the print window, without widgets: text lines,
// TAB-separated lists under a repeated column header, page headers with
// the title and footers with the page number, and drawings scaled into
// framed areas. It draws on a printer page (0.1 mm units, pages broken at
// BottomY) or on the clipboard picture (pixels, one page).
class TPrintWriter {
public:
    static constexpr int kTabCount = 21;

    // A print job on canvas with the page arithmetic of layout: CurY at the
    // top margin, the first page header pending.
    void BeginDocument(IPrintCanvas& canvas, const TPrintLayout& layout, const QFont& font,
                       const QString& title, const QString& footer);
    // The 640 x 480 picture: margins 5, footer line at 470, the title centred
    // with a rule of width 2 under it, then pen width 1.
    void BeginPicture(IPrintCanvas& canvas, const QFont& font, int fontHeight, const QString& title);
    // The last footer (print job with a page begun); false when the canvas
    // failed anywhere in the job.
    bool Finish();

    void StartPage();
    void EndPage(bool Last);
    void PrintLine(const QString& text);
    // Ignored outside 0..20.
    void SetTabWidth(int index, int percent);
    void SetHeader(const QString& text) { ColumnHeader = text; }
    // Nothing for no list; else the column header with its rule, then the
    // lines, the header repeated on every new page.
    void PrintList(const QStringList* lines);
    void PrintTabbedLine(const QString& text);
    // A framed area for a drawing of the logical size, as wide as the page
    // allows and scaled down to end at the footer line. A size of 0 or less
    // draws nothing; with no room left, a print job goes on a new page and
    // the picture gets scale 0.
    void BeginFrame(int LogicalWidth, int LogicalHeight);
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y, const QColor& Colour, Qt::PenStyle PenStyle);
    void TextOut(int X, int Y, const QColor& Colour, const QString& Text);

    int PageWidth = 0;
    int PageHeight = 0;
    int OffsetX = 0;
    int OffsetY = 0;
    int LeftMargin = 0;
    int TopMargin = 0;
    int CurY = 0;
    int BottomY = 0;
    int PageNo = 0;
    bool HeaderPending = false;
    int FrameScale = 1000;  // per mille
    int FrameTop = 0;
    QString Title;
    QString Footer;
    QString ColumnHeader;
    std::array<int, kTabCount> TabWidths{};  // percent of the page width; 0 hides a column
    bool MetafileMode = false;
    int FontHeight = 0;
    int PenWidth = 1;

private:
    void setPen(int width, const QColor& colour = Qt::black, Qt::PenStyle style = Qt::SolidLine);
    void rule(int width);  // across the page at CurY
    void centred(const QString& text);
    void columnHeader();
    bool pageFull() const { return !MetafileMode && FontHeight + CurY >= BottomY; }
    void breakPage();
    int frameX(int X) const;
    int frameY(int Y) const;

    IPrintCanvas* canvas_ = nullptr;
    int penX_ = 0, penY_ = 0;
    bool failed_ = false;
};
