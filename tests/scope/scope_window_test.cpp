// The scope window offscreen, found by object names: opening, value entries
// and steps, the close question, print and copy, and a screenshot.

#include "config/cfg_records.h"
#include "fake_main_form.h"
#include "config/drag_drop.h"
#include "lists/dwn_entry.h"
#include "lists/wrk_list_item.h"
#include "comm/scheduler.h"
#include "config/prog_cfg.h"
#include "dialogs/glyph_button.h"
#include "dialogs/print_form.h"
#include "dialogs/print_scrollbar.h"
#include <QPrinter>
#include "dialogs/shared_objects.h"
#include "scope/scope_plot.h"
#include "scope/scope_window.h"
#include "dialogs/text_fit.h"
#include "scope_fixture.h"
#include "wait_until.h"
#include "pdf_text.h"
#include "screenshot.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>

namespace scopetest {

class ScopeWindowTest : public ScopeTest {
protected:
    void SetUp() override
    {
        ScopeTest::SetUp();
        cfg.AppName = QStringLiteral("Halvorn");
        cfg.DataPath = dir();
        w = std::make_unique<TScope>(&prj, &texts, &cfg, nullptr);
        w->Engine().Interaction = ui;
        w->OnScopeClosed = [this] { ++closedUi; };
        mainForm.OnSetPrgOpFuncs = [this](PTOperatingFuncs f) { opFuncs.push_back(f); };
        mainForm.OnSetContextFuncs = [this](TContextList* l) { contextLists.push_back(l); };
        w->MainForm = &mainForm;
    }
    void TearDown() override
    {
        w.reset();
        ScopeTest::TearDown();
    }
    // A recording of channel A (0x0109 of inverter 1): a ramp.
    void record(int n)
    {
        TScopeEngine& e = w->Engine();
        e.Setup.Chan[0].Inverter = 1;
        e.Setup.Chan[0].Address = 0x0109;
        e.Setup.Chan[0].YFactor = 200;
        e.CheckChannels();
        for (int i = 0; i < n; ++i)
            e.Ring[i] = {{(i % 50) * 20 - 500, 0, 0, 0}, 100};
        e.RingStart = 0;
        e.RingEnd = n - 1;
        e.RecTime = 100 * int64_t(n);
        w->RedrawAll();
    }
    void enter(const QString& text)
    {
        w->Edit1->setText(text);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(w->Edit1, &press);
    }
    void shot(const QString& name)
    {
        qeltest::saveScreenshot(*w, name);
    }

    TProgCfg cfg;
    std::unique_ptr<TScope> w;
    int closedUi = 0;
    qeltest::TFakeMainForm mainForm;
    std::vector<PTOperatingFuncs> opFuncs;
    std::vector<TContextList*> contextLists;
};

TEST_F(ScopeWindowTest, EmptyProjectKeepsTheWindowClosed)
{
    w->ShowScope(0, 0, QString());
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("0.15")});
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->ScopeOpen());
    EXPECT_EQ(closedUi, 1);
}

TEST_F(ScopeWindowTest, OpensForTheLowestInverterWithItsComponents)
{
    addInv(3);
    addInv(5);
    w->ShowScope(300, 1, QString());
    ASSERT_TRUE(w->ScopeOpen());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Engine().ScopeInv, 3);
    EXPECT_EQ(w->Engine().Language, 1);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("1.44 - Inv 3"));
    EXPECT_EQ(w->objectName(), QStringLiteral("Scope"));
    for (const char* n : {"SpeedButton1", "Panel1", "ComboBox1", "Dnbtn", "Edit1", "Upbtn", "Panel2", "ButtonCH_A",
                          "ButtonCH_D", "PaintBox", "TimeBox", "MoveCursor", "PopupMenu1", "Timer1"})
        EXPECT_NE(w->findChild<QObject*>(QString::fromLatin1(n)), nullptr) << n;
    for (const char* n : {"RunStop1", "CursorI1", "C1vert", "C2off", "HLine", "Messart", "FullGrid1", "AddProj1"})
        EXPECT_NE(w->findChild<QAction*>(QString::fromLatin1(n)), nullptr) << n;
    EXPECT_EQ(w->RunStop1->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_FALSE(w->AddProj1->isEnabled());
    EXPECT_EQ(w->ComboBox1->count(), 9);
    EXPECT_EQ(w->ComboBox1->itemText(5), QStringLiteral("A: 1.1"));
    // The context items go to the main window: type 21 has an offline block.
    ASSERT_EQ(contextLists.size(), 2u);
    EXPECT_EQ(contextLists[0], nullptr);
    TContextList* l = contextLists[1];
    ASSERT_EQ(l->Count(), 4);
    EXPECT_EQ(l->Item(0)->Caption(), QStringLiteral("1.44"));
    EXPECT_EQ(l->Item(1)->Caption(), QStringLiteral("0.11"));
    EXPECT_EQ(l->Item(3)->HelpContext, 141);
    EXPECT_TRUE(l->Item(3)->Enabled);
    const TOperatingFuncs& f = w->Commands();
    for (int s = 0; s < TOperatingFuncs::SlotCount; ++s)
        EXPECT_EQ(f.Filled(s), s == osSave || s == osSaveAs || s == osCopy || s == osPrint) << s;

    // Open again with another inverter and language: both kept.
    w->ShowScope(5, 0, QString());
    EXPECT_EQ(w->Engine().ScopeInv, 3);
    EXPECT_EQ(w->Engine().Language, 1);
}

TEST_F(ScopeWindowTest, ShowingAgainKeepsTheRecordingsDate)
{
    addInv(1);
    w->ShowScope(1, 0, QString());
    w->Engine().StartDate = 45000.25;
    w->ShowScope(1, 0, QString());
    EXPECT_EQ(w->Engine().StartDate, 45000.25);
    w->close();
    w->ShowScope(1, 0, QString());
    EXPECT_EQ(w->Engine().StartDate, 45000.25);
    // While recording a file name is ignored.
    w->Engine().RecState = TScopeEngine::recSampling;
    w->ShowScope(1, 0, path(QStringLiteral("none.sc5")));
    EXPECT_TRUE(ui->shown.empty());
    w->Engine().RecState = TScopeEngine::recIdle;
}

TEST_F(ScopeWindowTest, ValueEntriesAndSteps)
{
    addInv(1);
    w->ShowScope(1, 0, QString());
    TScopeSetup& S = w->Engine().Setup;
    w->ComboBox1->setCurrentIndex(0);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("1000"));
    const std::pair<const char*, int> bases[] = {{"0", 1}, {"-5", 1}, {"999999999", 214748364}, {"250", 250}};
    for (auto [t, v] : bases) {
        enter(QString::fromLatin1(t));
        EXPECT_EQ(S.TimeBase(), v) << t;
        EXPECT_EQ(w->Edit1->text(), QString::number(v));
    }
    enter(QStringLiteral("12ms"));
    EXPECT_EQ(S.TimeBase(), 250);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("0.12")});
    S.TimeBase() = 1;
    w->Dnbtn->click();
    EXPECT_EQ(S.TimeBase(), 1);
    w->Upbtn->click();
    EXPECT_EQ(S.TimeBase(), 2);
    // Offset of channel A without a description.
    w->ComboBox1->setCurrentIndex(1);
    S.Chan[0].YOffset = 5;
    S.Chan[0].YFactor = 5;
    w->Dnbtn->click();
    EXPECT_EQ(S.Chan[0].YOffset, 0);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("0"));
    w->ComboBox1->setCurrentIndex(5);
    enter(QStringLiteral("12abc"));
    EXPECT_EQ(S.Chan[0].YFactor, 12);
    enter(QStringLiteral("abc"));
    EXPECT_EQ(S.Chan[0].YFactor, 1);
}

// The message about a wrong entry takes the focus from the edit, which
// reads the entry again: shown once.
class FocusTakingUi : public ScriptedScopeUi {
public:
    int Message(const QStringList& Msg, int ButtonList, const QString& Title, int Icon, const QString& P1,
                const QString& P2, const QString& P3, int Default, int Cancel) override
    {
        if (shown.size() < 5 && edit) {
            QFocusEvent out(QEvent::FocusOut);
            QApplication::sendEvent(edit, &out);
        }
        return ScriptedScopeUi::Message(Msg, ButtonList, Title, Icon, P1, P2, P3, Default, Cancel);
    }
    QWidget* edit = nullptr;
};

TEST_F(ScopeWindowTest, WrongEntryIsReportedOnce)
{
    addInv(1);
    w->ShowScope(1, 0, QString());
    auto focusUi = std::make_shared<FocusTakingUi>();
    focusUi->edit = w->Edit1;
    w->Engine().Interaction = focusUi;
    enter(QStringLiteral("x"));
    EXPECT_EQ(focusUi->shown.size(), 1u);
}

TEST_F(ScopeWindowTest, DropsOnTheChannelButtons)
{
    addInv(1);
    addInv(7);
    w->ShowScope(1, 0, QString());
    TDragDrop dd;
    DragDrop = &dd;
    QObject source;
    // Drag-enter, then the drop, with the running drag's data: accepted?
    auto drop = [&](int k) {
        const std::unique_ptr<QMimeData> mime = dd.MimeData();
        QMimeData none;
        const QMimeData* data = mime ? mime.get() : &none;
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->ButtonCH[size_t(k)], &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w->ButtonCH[size_t(k)], &drop);
        return drop.isAccepted();
    };
    const TScopeSetup& S = w->Engine().Setup;
    auto row = [](int adr, int inv) {
        auto r = std::make_shared<TWrkListItem>();
        r->Address = adr;
        r->Inverter = inv;
        return r;
    };

    // Work-list rows: the first row's own inverter; the others are not taken.
    ASSERT_TRUE(dd.Start(&source, ddkWrkRows, {row(0x0109, 7), row(0x0105, 1)}, 1, 0));
    EXPECT_TRUE(drop(1));
    EXPECT_EQ(S.Chan[1].Inverter, 7);
    EXPECT_EQ(S.Chan[1].Address, 0x0109);
    EXPECT_NE(S.Chan[1].Para, nullptr);
    EXPECT_EQ(S.Chan[0].Address, -1);
    // A blank row changes nothing.
    ASSERT_TRUE(dd.Start(&source, ddkWrkRows, {row(-1, -1)}, 1, 0));
    EXPECT_TRUE(drop(2));
    EXPECT_EQ(S.Chan[2].Address, -1);
    // An explorer parameter and a download line take the drag's inverter.
    auto para = std::make_shared<TParaRec>();
    para->Addr = 0x0105;
    ASSERT_TRUE(dd.Start(&source, ddkExplParams, {para}, 1, 0));
    EXPECT_TRUE(drop(2));
    EXPECT_EQ(S.Chan[2].Address, 0x0105);
    EXPECT_EQ(S.Chan[2].Inverter, 1);
    // The channel's button shows the parameter's ident text.
    ASSERT_NE(S.Chan[2].Para, nullptr);
    EXPECT_FALSE(S.Chan[2].Para->GetIdText().isEmpty());
    EXPECT_EQ(w->ButtonCH[2]->text(), S.Chan[2].Para->GetIdText());
    auto line = std::make_shared<TDwnEntry>();
    line->Address = 0x0109;
    ASSERT_TRUE(dd.Start(&source, ddkDwnLines, {line}, 7, 0));
    EXPECT_TRUE(drop(3));
    EXPECT_EQ(S.Chan[3].Address, 0x0109);
    EXPECT_EQ(S.Chan[3].Inverter, 7);
    // An address the configuration lacks switches the channel off.
    ASSERT_TRUE(dd.Start(&source, ddkWrkRows, {row(0x7777, 7)}, 1, 0));
    EXPECT_TRUE(drop(3));
    EXPECT_EQ(S.Chan[3].Address, -1);
    // Channels that are off show their letters.
    EXPECT_EQ(w->ButtonCH[3]->text(), QStringLiteral("D"));
    EXPECT_EQ(w->ButtonCH[0]->text(), QStringLiteral("A"));
    // Operator lines, an ended drag and foreign data are refused.
    ASSERT_TRUE(dd.Start(&source, ddkOpLines, {line}, 7, 0));
    EXPECT_FALSE(drop(0));
    ASSERT_TRUE(dd.Start(&source, ddkExplParams, {para}, 1, 0));
    const std::unique_ptr<QMimeData> stale = dd.MimeData();
    dd.End();
    EXPECT_FALSE(drop(0));
    EXPECT_FALSE(w->ButtonCH_XXDragOver(stale.get(), 0));
    EXPECT_EQ(S.Chan[0].Address, -1);
    DragDrop = nullptr;
}

TEST_F(ScopeWindowTest, ActivationHandsOverAndMinimisingPausesTheClient)
{
    addInv(1);
    TScheduler sch;
    TScope s(&prj, &texts, &cfg, &sch);
    s.Engine().Interaction = ui;
    s.MainForm = &mainForm;
    ASSERT_GE(s.Engine().SchedSlot, 0);
    s.ShowScope(1, 0, QString());
    EXPECT_EQ(sch.GetState(s.Engine().SchedSlot), 2);
    opFuncs.clear();
    contextLists.clear();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&s, &activate);
    ASSERT_EQ(opFuncs.size(), 1u);
    EXPECT_EQ(opFuncs[0], &s.Commands());
    ASSERT_EQ(contextLists.size(), 1u);
    EXPECT_EQ(contextLists[0], &s.ContextItems());

    // A client state of 3 (a recording with a read cycle) pauses while minimised.
    s.Engine().SchedState = sch.SetState(s.Engine().SchedSlot, 3);
    ASSERT_EQ(s.Engine().SchedState, 3);
    s.showMinimized();
    ASSERT_TRUE(qeltest::waitUntil([&] { return sch.GetState(s.Engine().SchedSlot) == 2; }, 5000));
    s.showNormal();
    ASSERT_TRUE(qeltest::waitUntil([&] { return sch.GetState(s.Engine().SchedSlot) == 3; }, 5000));
    // Closing sets state 1.
    s.close();
    EXPECT_EQ(sch.GetState(s.Engine().SchedSlot), 1);
}

TEST_F(ScopeWindowTest, CloseQuestion)
{
    addInv(1);
    w->ShowScope(1, 0, QString());
    TScopeEngine& e = w->Engine();
    e.Unsaved = true;
    // Yes with the save dialog cancelled asks again; Cancel keeps the window.
    ui->answers = {0, 2};
    w->close();
    EXPECT_TRUE(w->isVisible());
    ASSERT_EQ(ui->shown.size(), 2u);
    EXPECT_EQ(ui->shown[0].Msg,
              (QStringList{QStringLiteral("1.15"), QStringLiteral("0.24"), QStringLiteral("0.24/2")}));
    EXPECT_EQ(ui->shown[0].Buttons, int(sbYesNoCancel));
    EXPECT_EQ(ui->shown[0].Icon, 4);
    EXPECT_EQ(ui->proposals.size(), 1);
    EXPECT_TRUE(e.Unsaved);

    // During a recording: Cancel leaves it running.
    w->SpeedButton1->click();
    ASSERT_NE(e.RecState, 0);
    ui->answers = {2};
    w->close();
    EXPECT_NE(e.RecState, 0);
    EXPECT_TRUE(w->SpeedButton1->isChecked());
    // No stops it at once and closes.
    ui->answers = {1};
    w->close();
    EXPECT_EQ(e.RecState, 0);
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(w->ScopeOpen());
    EXPECT_FALSE(e.Unsaved);
    EXPECT_EQ(closedUi, 1);
    EXPECT_EQ(opFuncs.back(), nullptr);
    EXPECT_EQ(contextLists.back(), nullptr);
    EXPECT_FALSE(w->Timer1->isActive());

    // Yes with a name saves and closes.
    w->ShowScope(1, 0, QString());
    e.Unsaved = true;
    ui->answers = {0};
    ui->files = {path(QStringLiteral("kept.sc5"))};
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("kept.sc5")))) << shownTexts().join(u',').toStdString();
}

TEST_F(ScopeWindowTest, StatusBlink)
{
    addInv(1);
    w->ShowScope(1, 0, QString());
    w->Engine().SpeedButton1Click(true);
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_FALSE(w->Panel1->isEnabled());
    EXPECT_FALSE(w->Panel2->isEnabled());
    // Hints are off while recording.
    QHelpEvent hint(QEvent::ToolTip, QPoint(2, 2), QPoint(2, 2));
    EXPECT_TRUE(w->eventFilter(w->SpeedButton1, &hint));
    w->Timer1Timer();
    EXPECT_EQ(w->StatusText(), QStringLiteral("Running"));
    w->Timer1Timer();
    EXPECT_EQ(w->StatusText(), QString(12, u' '));
    w->Engine().RecState = TScopeEngine::recOfflineTrigger;
    w->Timer1Timer();
    EXPECT_EQ(w->StatusText(), QStringLiteral("Triggering"));
    w->Engine().Stop();
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_TRUE(w->Panel1->isEnabled());
    EXPECT_FALSE(w->eventFilter(w->SpeedButton1, &hint));
}

TEST_F(ScopeWindowTest, CursorsOverTheTracesAndScreenshots)
{
    addInv(1);
    w->resize(557, 400);
    w->ShowScope(1, 0, QString());
    record(400);
    w->Engine().Setup.TimeBase() = 2000;
    w->RedrawAll();
    // The trace is in the picture in channel A's colour (red).
    const QImage& img = w->PaintBox->Image();
    int red = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            red += img.pixel(x, y) == qRgb(255, 0, 0);
    EXPECT_GT(red, 100);
    // Cursors: the picture stays, lines lie over it.
    w->C1vert->trigger();
    w->C2Vert->trigger();
    ASSERT_TRUE(w->Display().ShowReadouts);
    EXPECT_TRUE(w->Readout[1][0]->isVisible());
    const QImage before = w->PaintBox->Image().copy();
    w->Display().SelCursor = 0;
    w->Display().MouseMove(100, 10);
    w->Display().SelCursor = 1;
    w->Display().MouseMove(300, 10);
    w->DrawCursors(0);
    EXPECT_EQ(w->PaintBox->Image(), before);
    EXPECT_EQ(w->PaintBox->Overlay.size(), 2u);
    EXPECT_EQ(w->Readout[0][1]->text(), w->Engine().Setup.Chan[0].Para->GetIdText());
    EXPECT_TRUE(w->Readout[3][0]->text().startsWith(QStringLiteral("1.41:")));
    EXPECT_EQ(w->Readout[1][1]->toolTip(), w->Readout[1][1]->text());
    // Every read-out fits its cell: the columns and the window grew.
    EXPECT_EQ(DescribeCutTexts(FindCutTexts(w.get())), QString());
    EXPECT_GE(w->Readout[0][1]->width(), w->Readout[0][1]->sizeHint().width());
    // A click on column 3 cycles the measurement.
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w->Readout[3][2], &click);
    EXPECT_EQ(w->Display().MeasMode, 2);
    EXPECT_EQ(w->Readout[3][0]->text(), QStringLiteral("1.42"));
    shot(QStringLiteral("scope_time.png"));

    // Roll mode while samples arrive.
    TScopeEngine& e = w->Engine();
    e.Setup.RollMode() = 1;
    e.Setup.TimeBase() = 500;
    w->C1vert->trigger();
    w->c1off->trigger();
    w->C2off->trigger();
    e.SpeedButton1Click(true);
    w->RestartDrawing();
    for (int i = 0; i < 300; ++i)
        w->DrawSample(i);
    shot(QStringLiteral("scope_roll.png"));
    e.Stop();

    // X/Y mode: A against B.
    e.Setup.RollMode() = 0;
    e.Setup.Chan[1].Inverter = 1;
    e.Setup.Chan[1].Address = 0x0105;
    e.Setup.Chan[1].YFactor = 200;
    e.Setup.Chan[1].YOffset = 500;
    e.CheckChannels();
    for (int i = 0; i < 400; ++i)
        e.Ring[i].ChanVal[1] = 500 + (i % 40) * 25;
    e.Setup.XYChannel() = 2;
    w->RedrawAll();
    w->ShowEditValue();
    EXPECT_FALSE(w->ScrollBar1->isVisible());
    shot(QStringLiteral("scope_xy.png"));
}

TEST_F(ScopeWindowTest, PrintToPdfAndCopyAPicture)
{
    addInv(1);
    TFrmvortalinprint form;
    form.SetDataPath(dir());
    form.UsePdfInDataFolder();
    form.Printer().setPageSize(QPageSize(QPageSize::A4));
    w->PrintForm = &form;
    w->ShowScope(1, 0, QString());
    record(200);
    w->Engine().ScopeNotes = {QStringLiteral("Sine test")};
    w->C1vert->trigger();

    // While recording nothing is printed.
    w->Engine().RecState = TScopeEngine::recSampling;
    EXPECT_FALSE(w->PrintScope(0));
    w->Engine().RecState = TScopeEngine::recIdle;

    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (form.isVisible()) {
            poll.stop();
            form.printbtn->click();
        }
    });
    poll.start();
    ASSERT_TRUE(w->PrintScope(0));
    QString pdf;
    QDirIterator it(dir(), {QStringLiteral("*.pdf")}, QDir::Files);
    if (it.hasNext())
        pdf = it.next();
    ASSERT_FALSE(pdf.isEmpty());
    if (!qeltest::pdfToTextTool().isEmpty()) {
        const qeltest::PdfText read = qeltest::pdfText(pdf);
        ASSERT_TRUE(read.finished);
        const QString text = read.text;
        EXPECT_TRUE(text.contains(QStringLiteral("Halvorn Version"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Sine test")));
        EXPECT_TRUE(text.contains(QStringLiteral("21: VX-210")));
        EXPECT_TRUE(text.contains(QStringLiteral("1.2: 1000")));
        EXPECT_TRUE(text.contains(w->Engine().Setup.Chan[0].Para->GetIdText()));
        EXPECT_TRUE(text.contains(QStringLiteral("0.5")));  // channels B to D off
    }

    // Copy: a 640 x 480 picture on the clipboard.
    QApplication::clipboard()->clear();
    ASSERT_TRUE(w->PrintScope(1));
    EXPECT_EQ(form.Picture().size(), QSize(640, 480));
    EXPECT_FALSE(QApplication::clipboard()->image().isNull());
}

} // namespace scopetest
