// The print window: the dialog, a real PDF job read back with pdftotext,
// the clipboard picture by its pixels; the widths helper and the page
// scroll bar.

#include "dialogs/glyph_button.h"
#include "dialogs/print_form.h"
#include "dialogs/print_scrollbar.h"
#include "dialogs/print_tab_widths.h"

#include "modal.h"
#include "temp_dir.h"
#include "pdf_text.h"
#include "screenshot.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QRegularExpression>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

TEST(PrintTabWidths, Percentages)
{
    struct Case {
        QList<int> widths, percent;
    };
    const Case cases[] = {
        {{50, 150, 200}, {12, 37, 50}},
        {{100, 0, 100}, {50, 0, 50}},
        {{-40, 100}, {0, 100}},          // negative counts 0
        {{0, 0, 0, 0}, {25, 25, 25, 25}},  // zero sum: equal shares
        {{-5, -5, 0}, {33, 33, 33}},
        {{}, {}},
        {{INT_MAX, INT_MAX}, {50, 50}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TabWidthsToPercent(c.widths), c.percent) << c.widths.size();
}

TEST(VortalinScrollbar, PageSizeKeepsTheWindowsMeaning)
{
    TVortalinScrollbar bar;
    bar.SetRange(0, 99);
    bar.SetPageSize(500);
    EXPECT_EQ(bar.PageSize(), 100);
    EXPECT_EQ(bar.maximum(), 0);
    bar.SetPageSize(-5);
    EXPECT_EQ(bar.PageSize(), 0);
    EXPECT_EQ(bar.maximum(), 99);
    bar.SetPageSize(10);
    EXPECT_EQ(bar.PageSize(), 10);
    EXPECT_EQ(bar.maximum(), 90);  // last position Max - page + 1
    EXPECT_EQ(bar.pageStep(), 10);
    bar.SetPosition(95);
    EXPECT_EQ(bar.Position(), 90);
    bar.SetRange(-50, 49);
    EXPECT_EQ(bar.minimum(), -50);
    EXPECT_EQ(bar.maximum(), 40);
    // Extreme ranges do not overflow.
    bar.SetRange(INT_MIN, INT_MAX);
    bar.SetPageSize(INT_MAX);
    EXPECT_EQ(bar.PageSize(), INT_MAX);
    EXPECT_EQ(bar.maximum(), 1);
    EXPECT_EQ(bar.minimum(), INT_MIN);
}

class PrintFormTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        form.SetDataPath(dir());
        // Never a real printer in tests.
        form.UsePdfInDataFolder();
        form.Printer().setPageSize(QPageSize(QPageSize::A4));
        form.Printer().setPageOrientation(QPageLayout::Portrait);
        form.Printer().setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    }

    // Runs act on the dialog once it is shown modally; a dialog left open
    // fails the test and is cancelled.
    void onDialog(std::function<void()> act)
    {
        qeltest::onModal(form, [this, act] {
            act();
            qeltest::failIfLeftOpen(form, "print dialog");
        });
    }
    void clickPrint() { form.printbtn->click(); }

    static QString pdftotext(const QString& pdf)
    {
        if (qeltest::pdfToTextTool().isEmpty()) {
            ADD_FAILURE() << "pdftotext missing (poppler-utils, scripts/install-deps.sh)";
            return {};
        }
        const qeltest::PdfText read = qeltest::pdfText(pdf);
        EXPECT_TRUE(read.finished);
        EXPECT_EQ(read.exitCode, 0) << read.errors.constData();
        return read.text;
    }

    TFrmvortalinprint form;
};

TEST_F(PrintFormTest, DialogDefaultsAndCancel)
{
    QString label, fontText, caption;
    onDialog([&] {
        label = form.PrtLabel->toolTip();
        fontText = form.Label1->text();
        caption = form.windowTitle();
        qeltest::saveScreenshot(form, QStringLiteral("print_dialog.png"));
        EXPECT_EQ(form.width(), form.GroupBox1->width() + 2 * form.GroupBox1->x());
        EXPECT_EQ(form.height(), form.printbtn->geometry().bottom() + 1 + 10);
        form.cancelbtn->click();
    });
    EXPECT_FALSE(form.BeginPrint(QStringLiteral("Drucken"), QStringLiteral("Liste a/b"), QStringLiteral("Seite ")));
    EXPECT_EQ(caption, "Drucken");
    EXPECT_EQ(label, QDir::toNativeSeparators(path(QStringLiteral("Liste a_b.pdf"))));
    EXPECT_EQ(fontText, "Arial 8");
    EXPECT_EQ(form.Edit1->text(), "15");
    EXPECT_EQ(form.Edit2->text(), "10");
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("Liste a_b.pdf"))));
    EXPECT_FALSE(form.EndPrint());

    QFont font(QStringLiteral("Courier"));
    font.setPointSize(10);
    form.SetFont(font);
    EXPECT_EQ(form.Label1->text(), "Courier 10");
    EXPECT_EQ(form.CurrentLayout(true).FontHeight, 37);
}

TEST_F(PrintFormTest, MarginsLeavingNoPageKeepTheDialogOpen)
{
    struct Step {
        QLineEdit* field;
        QString text;
        bool stays;
    };
    const Step steps[] = {
        {form.Edit2, QStringLiteral("290"), true},
        {form.Edit2, QStringLiteral("10"), false},
    };
    bool stayed = false, focused = false, selected = false;
    onDialog([&] {
        form.Edit1->setText(QStringLiteral("205"));
        clickPrint();
        stayed = form.isVisible();
        focused = form.Edit1->hasFocus() || QApplication::focusWidget() == form.Edit1;
        selected = form.Edit1->selectedText() == "205";
        form.Edit1->setText(QStringLiteral("15"));
        for (const Step& s : steps) {
            s.field->setText(s.text);
            clickPrint();
            EXPECT_EQ(form.isVisible(), s.stays) << qPrintable(s.text);
            if (s.stays) {
                EXPECT_EQ(s.field->selectedText(), s.text);
            }
        }
    });
    ASSERT_TRUE(form.BeginPrint(QStringLiteral("Drucken"), QStringLiteral("m"), QStringLiteral("Seite ")));
    EXPECT_TRUE(stayed);
    EXPECT_TRUE(selected);
    (void)focused;  // offscreen windows may not take the focus
    EXPECT_EQ(form.Writer().TopMargin, 100 - form.Writer().OffsetY);
    EXPECT_TRUE(form.EndPrint());
}

TEST_F(PrintFormTest, ListOfTwoHundredLinesAsPdf)
{
    onDialog([&] { clickPrint(); });
    ASSERT_TRUE(form.BeginPrint(QStringLiteral("Drucken"), QStringLiteral("Arbeitsliste 1"),
                                QStringLiteral("Seite ")));
    const TPrintWriter& w = form.Writer();
    EXPECT_EQ(w.LeftMargin, 150 - w.OffsetX);
    EXPECT_NEAR(w.OffsetX, 50, 1);
    EXPECT_NEAR(w.OffsetY, 50, 1);
    EXPECT_EQ(w.PageWidth, 1990);
    EXPECT_EQ(w.PageHeight, 2870);
    EXPECT_EQ(w.FontHeight, 30);
    form.SetTabWidth(0, 10);
    form.SetTabWidth(1, 40);
    form.SetHeader(QStringLiteral("Nr\tParameter\tWert"));
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("%1\tParam%1\tValue%1").arg(i);
    form.PrintList(&lines);
    EXPECT_TRUE(form.EndPrint());

    const QString pdf = path(QStringLiteral("Arbeitsliste 1.pdf"));
    ASSERT_TRUE(QFile::exists(pdf));
    if (const QByteArray shots = qgetenv("QEL_SCREENSHOT_DIR"); !shots.isEmpty()) {
        QFile::remove(QString::fromLocal8Bit(shots) + QStringLiteral("/print_list.pdf"));
        QFile::copy(pdf, QString::fromLocal8Bit(shots) + QStringLiteral("/print_list.pdf"));
    }
    const QStringList pages = pdftotext(pdf).split(u'\f', Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 3);
    int line = 1;
    for (int p = 0; p < 3; ++p) {
        const QString& page = pages[p];
        EXPECT_TRUE(page.contains(QStringLiteral("Arbeitsliste 1"))) << p;
        EXPECT_TRUE(page.contains(QStringLiteral("Parameter"))) << p;
        EXPECT_EQ(page.count(QStringLiteral("Seite ")), 1) << p;
        EXPECT_TRUE(page.contains(QStringLiteral("Seite %1").arg(p + 1))) << p;
        // Footer below the last line of the page.
        const int last = p < 2 ? line + 88 : 200;
        EXPECT_LT(page.indexOf(QStringLiteral("Value%1 ").arg(last).trimmed()),
                  page.indexOf(QStringLiteral("Seite %1").arg(p + 1)));
        for (; line <= last; ++line)
            EXPECT_TRUE(page.contains(QRegularExpression(QStringLiteral("\\b%1\\s+Param%1\\s+Value%1\\b").arg(line))))
                << "line " << line << " on page " << p + 1;
    }
}

TEST_F(PrintFormTest, PictureOnTheClipboard)
{
    QApplication::clipboard()->clear();
    ASSERT_TRUE(form.BeginMetafile(QStringLiteral("Scope")));
    EXPECT_TRUE(form.MetafileMode());
    const int ruleY = 5 + form.Writer().FontHeight;
    const int top = ruleY + 3;
    EXPECT_EQ(form.Writer().CurY, top);
    form.BeginFrame(635, 200);
    EXPECT_EQ(form.Writer().FrameScale, 1000);
    form.MoveTo(0, 100);
    form.LineTo(635, 100, Qt::red, Qt::SolidLine);
    form.TextOut(10, 10, Qt::blue, QStringLiteral("CH1"));
    EXPECT_TRUE(form.EndPrint());
    EXPECT_FALSE(form.MetafileMode());
    if (const QByteArray shots = qgetenv("QEL_SCREENSHOT_DIR"); !shots.isEmpty())
        form.Picture().save(QString::fromLocal8Bit(shots) + QStringLiteral("/print_picture.png"));

    const QImage img = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(640, 480));
    EXPECT_EQ(img, form.Picture().convertToFormat(QImage::Format_RGB32));
    auto colourAt = [&](int x, int y0, int y1) {
        QList<QRgb> seen;
        for (int y = y0; y <= y1; ++y)
            seen << img.pixel(x, y);
        return seen;
    };
    const QRgb black = qRgb(0, 0, 0), white = qRgb(255, 255, 255), red = qRgb(255, 0, 0);
    EXPECT_TRUE(colourAt(600, ruleY - 1, ruleY).contains(black)) << "title rule";
    EXPECT_TRUE(colourAt(600, top - 1, top).contains(black)) << "frame top";
    EXPECT_TRUE(colourAt(600, top + 199, top + 200).contains(black)) << "frame bottom";
    EXPECT_EQ(img.pixel(4, top + 50) == black || img.pixel(5, top + 50) == black, true) << "frame left";
    EXPECT_TRUE(colourAt(300, top + 99, top + 101).contains(red)) << "red line";
    EXPECT_EQ(img.pixel(300, top + 50), white);
    EXPECT_EQ(img.pixel(320, 475), white);
    EXPECT_EQ(img.pixel(630, 3), white);
    bool blueText = false;
    for (int y = top + 10; y < top + 10 + form.Writer().FontHeight; ++y)
        for (int x = 15; x < 60; ++x)
            blueText |= qBlue(img.pixel(x, y)) > 128 && qRed(img.pixel(x, y)) < 128;
    EXPECT_TRUE(blueText);
    bool titleInk = false;
    for (int y = 5; y < ruleY - 1; ++y)
        for (int x = 280; x < 360; ++x)
            titleInk |= img.pixel(x, y) != white;
    EXPECT_TRUE(titleInk);
}

}  // namespace
