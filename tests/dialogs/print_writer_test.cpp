// The page writer's arithmetic, recorded through the canvas interface.

#include "dialogs/print_layout.h"
#include "dialogs/print_writer.h"
#include "print_canvas_recorder.h"

#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using printtest::Op;
using printtest::RecordingCanvas;

// An A4 printer of 254 dpi (one pixel is 0.1 mm) with a 5 mm border.
TPrinterMetrics a4With5mm()
{
    return {200, 287, 50, 50, 254, 254};
}

TEST(PrintLayout, MarginsOffsetsAndBottom)
{
    struct Case {
        const char *left, *top;
        TPrinterMetrics m;
        int leftMargin, topMargin;
    };
    const Case cases[] = {
        {"15", "10", a4With5mm(), 100, 50},
        {"3", "2", a4With5mm(), 0, 0},          // smaller than the border
        {"5", "5", a4With5mm(), 0, 0},
        {" 20 ", "10", a4With5mm(), 150, 50},
        {"abc", "10", a4With5mm(), 0, 0},       // either not an integer: both 0
        {"15", "1.5", a4With5mm(), 0, 0},
        {"-10", "10", a4With5mm(), 0, 50},
        {"15", "10", {200, 287, 118, 236, 600, 1200}, 101, 51},  // 49 and 49 after truncation
        {"15", "10", {200, 287, 0, 0, 0, 0}, 150, 100},
    };
    for (const Case& c : cases) {
        const TPrintLayout l = MakePrintLayout(c.m, c.left, c.top, 8, true);
        SCOPED_TRACE(testing::Message() << c.left << " / " << c.top);
        EXPECT_EQ(l.LeftMargin, c.leftMargin);
        EXPECT_EQ(l.TopMargin, c.topMargin);
    }
    const TPrintLayout l = MakePrintLayout(a4With5mm(), "15", "10", 8, true);
    EXPECT_EQ(l.OffsetX, 50);
    EXPECT_EQ(l.PageWidth, 1990);
    EXPECT_EQ(l.PageHeight, 2870);
    EXPECT_EQ(l.FontHeight, 30);
    EXPECT_EQ(l.BottomY, 2870 - 30 - 5 - 10);
    EXPECT_EQ(MakePrintLayout(a4With5mm(), "15", "10", 8, false).BottomY, 2870);
    EXPECT_EQ(MakePrintLayout(a4With5mm(), "15", "10", 10, true).FontHeight, 37);
}

TEST(PrintLayout, MarginsThatLeaveNoPage)
{
    // Bottom 2825; one line under title and rule needs top + 30 + 5 + 10 + 30 < 2825.
    struct Case {
        const char *left, *top;
        int fault;
    };
    const Case cases[] = {
        {"15", "10", 0}, {"204", "10", 1}, {"203", "10", 0}, {"204", "400", 1},
        {"15", "280", 2}, {"15", "279", 0}, {"15", "1000", 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PrintMarginFault(MakePrintLayout(a4With5mm(), c.left, c.top, 8, true)), c.fault)
            << c.left << " / " << c.top;
}

// Qt gives an A4 page at 1200 dpi as 9917 device pixels, 209.9 mm; the
// driver counts whole millimetres: 210, so the rule under the title ends at
// 2090 (the page width less 1 mm), not 1 mm short of it.
TEST(PrintLayout, A4PrinterAt1200DpiCountsTheNearestMillimetre)
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("a4.pdf")));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0));
    ASSERT_EQ(printer.resolution(), 1200);
    const TPrinterMetrics m = PrinterMetrics(printer);
    EXPECT_EQ(m.HorzSizeMm, 210);
    EXPECT_EQ(m.VertSizeMm, 297);

    RecordingCanvas canvas;
    TPrintWriter w;
    w.BeginDocument(canvas, MakePrintLayout(m, "15", "10", 8, false), QFont(), QStringLiteral("A4"), QString());
    EXPECT_EQ(w.PageWidth, 2090);
    EXPECT_EQ(w.PageHeight, 2970);
    w.PrintLine(QStringLiteral("abc"));
    const auto rules = canvas.of(Op::Line);
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].x2, 2090);
}

class PrintWriterTest : public ::testing::Test {
protected:
    void begin(const QString& footer = QStringLiteral("Seite "))
    {
        w.BeginDocument(canvas, MakePrintLayout(a4With5mm(), "15", "10", 8, !footer.isEmpty()), QFont(),
                        QStringLiteral("Liste"), footer);
    }
    static QStringList lines(int n)
    {
        QStringList l;
        for (int i = 1; i <= n; ++i)
            l << QStringLiteral("%1\tP%1\tv%1").arg(i);
        return l;
    }

    RecordingCanvas canvas;
    TPrintWriter w;
};

TEST_F(PrintWriterTest, FirstLineDrawsThePageHeader)
{
    begin();
    EXPECT_EQ(canvas.lineHeight, 30);
    EXPECT_TRUE(w.HeaderPending);
    EXPECT_EQ(w.CurY, 50);
    EXPECT_TRUE(canvas.ops.empty());
    w.PrintLine(QStringLiteral("abc"));
    EXPECT_EQ(w.PageNo, 1);
    const Op* title = canvas.text(QStringLiteral("Liste"));
    ASSERT_TRUE(title);
    EXPECT_EQ(title->x1, 1990 / 2 - 50 / 2);
    EXPECT_EQ(title->y1, 50);
    const auto rules = canvas.of(Op::Line);
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].pen, 5);
    EXPECT_EQ(rules[0].x1, 100);
    EXPECT_EQ(rules[0].x2, 1990);
    EXPECT_EQ(rules[0].y1, 80);
    const Op* line = canvas.text(QStringLiteral("abc"));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->x1, 100);
    EXPECT_EQ(line->y1, 95);
    EXPECT_EQ(w.CurY, 125);
    EXPECT_TRUE(w.Finish());
    const Op* footer = canvas.text(QStringLiteral("Seite 1"));
    ASSERT_TRUE(footer);
    EXPECT_EQ(footer->y1, 2825 + 5 + 10);
    EXPECT_EQ(footer->x1, 1990 / 2 - 70 / 2);
    EXPECT_EQ(canvas.of(Op::Line).back().y1, 2825);
    EXPECT_TRUE(canvas.of(Op::NewPage).empty());
}

TEST_F(PrintWriterTest, TabColumns)
{
    begin();
    w.SetTabWidth(0, 10);
    w.SetTabWidth(1, 0);
    w.SetTabWidth(2, 20);
    w.SetTabWidth(21, 50);  // ignored
    w.SetTabWidth(-1, 50);
    w.CurY = 500;
    w.PrintTabbedLine(QStringLiteral("a\tb\tc\td"));
    ASSERT_EQ(canvas.of(Op::Text).size(), 3u);
    EXPECT_EQ(canvas.text("a")->x1, 100);
    EXPECT_FALSE(canvas.text("b"));
    EXPECT_EQ(canvas.text("c")->x1, 100 + 199);  // the hidden column's place
    EXPECT_EQ(canvas.text("d")->x1, 100 + 199 + 398);
    EXPECT_EQ(canvas.text("d")->y1, 500);
    EXPECT_EQ(w.CurY, 530);

    // More columns than widths: past index 20 they count 0, the rest is written.
    canvas.ops.clear();
    for (int i = 0; i < TPrintWriter::kTabCount; ++i)
        w.SetTabWidth(i, 4);
    QString text;
    for (int i = 0; i < 25; ++i)
        text += QStringLiteral("c%1\t").arg(i);
    w.PrintTabbedLine(text + QStringLiteral("rest"));
    ASSERT_TRUE(canvas.text("c20"));
    EXPECT_EQ(canvas.text("c20")->x1, 100 + 20 * (4 * 1990 / 100));
    EXPECT_FALSE(canvas.text("c21"));
    EXPECT_EQ(canvas.text("rest")->x1, 100 + 21 * (4 * 1990 / 100));
    // A long rest is not cut.
    canvas.ops.clear();
    const QString longRest(400, u'x');
    w.PrintTabbedLine(QStringLiteral("a\t") + longRest);
    EXPECT_TRUE(canvas.text(longRest));
}

TEST_F(PrintWriterTest, ListBreaksPagesWithHeaders)
{
    begin();
    w.SetTabWidth(0, 10);
    w.SetTabWidth(1, 30);
    w.SetHeader(QStringLiteral("Nr\tParameter\tWert"));
    w.PrintList(nullptr);
    EXPECT_TRUE(canvas.ops.empty());
    const QStringList list = lines(200);
    w.PrintList(&list);
    EXPECT_TRUE(w.Finish());

    // Per page: 30 for the title, 15 for its rule, 30 + 1 for the column
    // header and its rule, then lines of 30 while they end above 2825.
    EXPECT_EQ(w.PageNo, 3);
    EXPECT_EQ(canvas.of(Op::NewPage).size(), 2u);
    std::vector<int> perPage(3);
    int page = 0;
    for (const Op& o : canvas.ops) {
        if (o.kind == Op::NewPage)
            ++page;
        if (o.kind == Op::Text && o.text.startsWith(u'v')) {
            ++perPage[size_t(page)];
            EXPECT_LT(o.y1 + 30, 2825 + 1) << qPrintable(o.text);
        }
        if (o.kind == Op::Text && o.text == "Wert") {
            EXPECT_EQ(o.y1, 95);
        }
        if (o.kind == Op::Text && o.text == "v1") {
            EXPECT_EQ(o.y1, 126);
        }
    }
    EXPECT_EQ(perPage, (std::vector<int>{89, 89, 22}));
    EXPECT_EQ(canvas.text("v90")->y1, 126);
    for (int p = 1; p <= 3; ++p) {
        const Op* footer = canvas.text(QStringLiteral("Seite %1").arg(p));
        ASSERT_TRUE(footer) << p;
        EXPECT_EQ(footer->y1, 2840);
    }
    int titles = 0, headers = 0, thinRules = 0;
    for (const Op& o : canvas.ops) {
        titles += o.kind == Op::Text && o.text == "Liste";
        headers += o.kind == Op::Text && o.text == "Nr";
        thinRules += o.kind == Op::Line && o.pen == 1 && o.y1 == 125;
    }
    EXPECT_EQ(titles, 3);
    EXPECT_EQ(headers, 3);
    EXPECT_EQ(thinRules, 3);
}

TEST_F(PrintWriterTest, WithoutFooterPagesStillBreak)
{
    begin(QString());
    EXPECT_EQ(w.BottomY, 2870);
    for (int i = 0; i < 100; ++i)
        w.PrintLine(QStringLiteral("l%1").arg(i));
    EXPECT_TRUE(w.Finish());
    EXPECT_EQ(canvas.of(Op::NewPage).size(), 1u);
    EXPECT_EQ(w.PageNo, 2);
    for (const Op& o : canvas.ops)
        EXPECT_FALSE(o.kind == Op::Text && o.text.startsWith(QStringLiteral("Seite")));
    // The first line of page 2 sits under its title again.
    EXPECT_EQ(canvas.text("l92")->y1, 95);
}

TEST_F(PrintWriterTest, Frames)
{
    begin();
    w.PrintLine(QStringLiteral("x"));  // CurY 125
    w.BeginFrame(1000, 500);
    EXPECT_EQ(w.FrameScale, 1890);
    EXPECT_EQ(w.FrameTop, 125);
    auto rects = canvas.of(Op::Rect);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].pen, 5);
    EXPECT_EQ(rects[0].x1, 100);
    EXPECT_EQ(rects[0].y1, 125);
    EXPECT_EQ(rects[0].x2, 1990);
    EXPECT_EQ(rects[0].y2, 125 + 945);
    EXPECT_EQ(w.CurY, 125 + 945 + 5);
    EXPECT_EQ(w.PenWidth, 2);

    canvas.ops.clear();
    w.MoveTo(0, 0);
    w.LineTo(1000, 500, Qt::red, Qt::DashLine);
    w.LineTo(500, 0, Qt::blue, Qt::SolidLine);
    w.TextOut(100, 100, Qt::green, QStringLiteral("t"));
    auto drawn = canvas.of(Op::Line);
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[0].x1, 100);
    EXPECT_EQ(drawn[0].y1, 125);
    EXPECT_EQ(drawn[0].x2, 1990);
    EXPECT_EQ(drawn[0].y2, 1070);
    EXPECT_EQ(drawn[0].pen, 1);
    EXPECT_EQ(drawn[0].style, Qt::DashLine);
    EXPECT_EQ(drawn[0].colour, QColor(Qt::red));
    EXPECT_EQ(drawn[1].x1, 1990);
    EXPECT_EQ(drawn[1].x2, 100 + 945);
    EXPECT_EQ(drawn[1].y2, 125);
    EXPECT_EQ(drawn[1].pen, 2);
    EXPECT_EQ(canvas.text("t")->x1, 100 + 189);
    EXPECT_EQ(canvas.text("t")->y1, 125 + 189);
    EXPECT_EQ(canvas.text("t")->colour, QColor(Qt::green));

    // Taller than the rest of the page: scaled to end at the footer line.
    canvas.ops.clear();
    w.BeginFrame(1000, 5000);
    EXPECT_EQ(w.FrameScale, (2825 - 1075) * 1000 / 5000);
    rects = canvas.of(Op::Rect);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].y2, 2825);
    EXPECT_EQ(rects[0].x2, 100 + 350);
    EXPECT_TRUE(canvas.of(Op::NewPage).empty());

    // No room left: a new page.
    canvas.ops.clear();
    w.BeginFrame(100, 100);
    EXPECT_EQ(canvas.of(Op::NewPage).size(), 1u);
    EXPECT_TRUE(canvas.text("Seite 1"));
    EXPECT_EQ(w.PageNo, 2);
    EXPECT_EQ(w.FrameTop, 95);
    EXPECT_EQ(w.FrameScale, 18900);
    EXPECT_EQ(canvas.of(Op::Rect).at(0).y2, 95 + 1890);

    // Nothing to scale: nothing drawn.
    for (auto [lw, lh] : {std::pair{0, 100}, {100, 0}, {-5, 100}, {100, -1}}) {
        canvas.ops.clear();
        const int y = w.CurY;
        w.BeginFrame(lw, lh);
        EXPECT_TRUE(canvas.ops.empty());
        EXPECT_EQ(w.CurY, y);
    }
    // Huge logical sizes do not overflow.
    canvas.ops.clear();
    w.BeginFrame(1, 2'000'000'000);
    EXPECT_GE(w.FrameScale, 0);
    EXPECT_LE(w.CurY, 2825 + 2);
}

TEST_F(PrintWriterTest, Picture)
{
    w.BeginPicture(canvas, QFont(), 13, QStringLiteral("Scope"));
    EXPECT_TRUE(w.MetafileMode);
    EXPECT_EQ(w.PageWidth, 640);
    EXPECT_EQ(w.LeftMargin, 5);
    EXPECT_EQ(w.BottomY, 470);
    EXPECT_FALSE(w.HeaderPending);
    EXPECT_EQ(canvas.text("Scope")->y1, 5);
    EXPECT_EQ(canvas.text("Scope")->x1, 320 - 25);
    const auto rules = canvas.of(Op::Line);
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0].pen, 2);
    EXPECT_EQ(rules[0].y1, 18);
    EXPECT_EQ(rules[0].x1, 5);
    EXPECT_EQ(rules[0].x2, 640);
    EXPECT_EQ(w.CurY, 21);
    EXPECT_EQ(w.PenWidth, 1);

    // Lines never break the picture's page; frames get pen 2, then 1.
    for (int i = 0; i < 40; ++i)
        w.PrintLine(QStringLiteral("l%1").arg(i));
    EXPECT_EQ(canvas.text("l39")->y1, 21 + 39 * 13);
    EXPECT_EQ(w.PageNo, 0);
    w.CurY = 100;
    w.BeginFrame(635, 100);
    EXPECT_EQ(w.FrameScale, 1000);
    EXPECT_EQ(canvas.of(Op::Rect).back().pen, 2);
    EXPECT_EQ(w.PenWidth, 1);
    // No room above the footer line: scale 0, no page.
    w.CurY = 475;
    w.BeginFrame(635, 100);
    EXPECT_EQ(w.FrameScale, 0);
    EXPECT_EQ(canvas.of(Op::Rect).back().y2, 475);
    EXPECT_TRUE(canvas.of(Op::NewPage).empty());
    EXPECT_TRUE(w.Finish());
    EXPECT_TRUE(canvas.of(Op::NewPage).empty());
}

TEST_F(PrintWriterTest, NoPageNoFooterAndFailedPagesReported)
{
    begin();
    EXPECT_TRUE(w.Finish());
    EXPECT_TRUE(canvas.ops.empty());

    canvas.newPageResult = false;
    begin();
    for (int i = 0; i < 100; ++i)
        w.PrintLine(QStringLiteral("l"));
    EXPECT_FALSE(w.Finish());
}

}  // namespace
