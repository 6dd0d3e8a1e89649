// The download-list windows in the started main program: the new-list
// entry, opening and restoring list files, the command line, the
// hexadecimal display, the operation slots and closing all windows.
#include "mainwin_fixture.h"

#include "comm/scheduler.h"
#include "config/value_conversion.h"
#include "dialogs/glyph_button.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "lists/adr_edit.h"
#include "lists/dwn_file.h"
#include "lists/dwn_load.h"
#include "lists/mode_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "wait_until.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QDir>
#include <QFile>
#include <QTableView>
#include <gtest/gtest.h>

#include <deque>

using namespace mwtest;

namespace {

class DwnMain : public MainWinTest {
protected:
    // The download-list kind's open windows (none once the windows have gone).
    QList<TDwnLoad*> dwnWindows() const
    {
        return windows ? windows->DwnLoad().Windows().Open() : QList<TDwnLoad*>();
    }
    void TearDown() override
    {
        for (TDwnLoad* w : dwnWindows()) {
            w->Engine().Modified = false;
            delete w;
        }
        HexDisplay = 0;
        MainWinTest::TearDown();
    }
    void startWith(const QString& cmdLine)
    {
        start(cmdLine);
        ASSERT_TRUE(main->Shown);
    }
    // A list of configuration 21 with one line of parameter 0x0101.
    QString listFile(const QString& name)
    {
        TDwnFileHeader h;
        h.CfgId = 21;
        TDwnList lines;
        auto e = std::make_shared<TDwnEntry>();
        e->Address = 0x0101;
        e->Value = 1234;
        e->SetMask = 1;
        lines.push_back(e);
        const QString file = path(QStringLiteral("prefix/data/") + name);
        QDir().mkpath(QFileInfo(file).path());
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(DwnListBytes(h, lines));
        return file;
    }
};

TEST_F(DwnMain, NewListEntryOpensAWindowForTheFirstInverter)
{
    startWith(demoProject());
    ASSERT_TRUE(main->MenuNewDownloadList1->isEnabled());
    main->MenuNewDownloadList1->trigger();
    ASSERT_EQ(dwnWindows().size(), 1);
    TDwnLoad* w = dwnWindows()[0];
    EXPECT_EQ(w->Engine().InvAdr, 1);
    EXPECT_TRUE(w->windowTitle().endsWith(QStringLiteral(" - Conveyor")));
    EXPECT_GE(w->Engine().SchedSlot, 0);
    // Below the main bar.
    EXPECT_GE(w->frameGeometry().top(), main->frameGeometry().bottom());

    // The active window's slots drive the main window's entries.
    w->activateWindow();
    ASSERT_TRUE(qeltest::waitUntil([&] { return main->CurOpFuncs == &w->OpFuncs; }));
    EXPECT_TRUE(main->MenuMarkAll1->isEnabled());
    w->Engine().InsertNewLine(0, nullptr, 0x0101, 5, 1, 0, false, QString());
    w->Engine().InsertNewLine(1, nullptr, 0x0102, 5, 1, 0, false, QString());
    w->RefreshView(false);
    w->ListView1->setFocus();
    main->MenuMarkAll1->trigger();
    EXPECT_TRUE(w->Engine().Lines[0]->Selected && w->Engine().Lines[1]->Selected);
    // Closing all windows closes it.
    w->Engine().Modified = false;
    main->CloseAllWindows();
    EXPECT_TRUE(dwnWindows().isEmpty());
}

TEST_F(DwnMain, OpenRestoreAndHexDisplay)
{
    startWith(demoProject());
    const QString file = listFile(QStringLiteral("set.dw5"));
    ui->openAnswers = {file};
    main->OpenFile();
    ASSERT_EQ(dwnWindows().size(), 1);
    TDwnLoad* w = dwnWindows()[0];
    EXPECT_EQ(GetDwnLoadFileName(w), file);
    EXPECT_EQ(w->WindowFileName(), file);
    const QString decimal = w->Model().index(0, 6).data().toString();
    EXPECT_TRUE(decimal.startsWith(QStringLiteral("123.4"))) << decimal.toStdString();
    main->ToggleHexDisplay();
    EXPECT_TRUE(w->Model().index(0, 6).data().toString().contains(QStringLiteral("4D2"), Qt::CaseInsensitive));
    main->ToggleHexDisplay();
    EXPECT_EQ(w->Model().index(0, 6).data().toString(), decimal);

    // A saved window of kind 4 opens its list again.
    TSavedWdwRec rec;
    rec.WdwType = wkDownList;
    rec.InvNr = 2;
    rec.FileName = file;
    rec.Width = 500;
    rec.Height = 300;
    rec.Left = 30;
    rec.Top = 200;
    Project->SavedWindows.clear();
    Project->SavedWindows.push_back(std::make_unique<TSavedWdwRec>(rec));
    main->RestoreWindows();
    ASSERT_EQ(dwnWindows().size(), 2);
    TDwnLoad* again = dwnWindows()[1];
    EXPECT_EQ(GetDwnLoadFileName(again), file);
    // It stays with the inverter it was saved for, which has the list's
    // configuration too.
    EXPECT_EQ(again->Engine().InvAdr, 2);
    EXPECT_TRUE(again->windowTitle().endsWith(QStringLiteral(" - Pump")));
    EXPECT_EQ(w->Engine().InvAdr, 1);
}

TEST_F(DwnMain, CommandLineListOpensInAProjectMadeForIt)
{
    const QString file = listFile(QStringLiteral("cmd.dw5"));
    startWith(file);
    ASSERT_EQ(dwnWindows().size(), 1);
    TDwnLoad* w = dwnWindows()[0];
    EXPECT_EQ(GetDwnLoadFileName(w), file);
    EXPECT_EQ(w->Engine().CfgId, 21);
    ASSERT_EQ(w->Engine().Lines.size(), 1u);
    EXPECT_NE(w->Engine().Lines[0]->Para, nullptr);
}

}  // namespace

namespace {

// Answers the modal windows of the parameter save: the inverter choice
// with OK, messages with their first button, the save dialog with `file`.
class ModalAnswers : public QObject {
public:
    explicit ModalAnswers(QString file) : file_(std::move(file))
    {
        timer_.setInterval(5);
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    QStringList seen;

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible() || w == last_)
            return;
        last_ = w;
        seen << w->objectName();
        if (auto* fd = qobject_cast<QFileDialog*>(w)) {
            fd->selectFile(file_);
            QMetaObject::invokeMethod(fd, "accept", Qt::QueuedConnection);
        } else if (auto* inv = qobject_cast<TfrmInvSel*>(w)) {
            inv->ComboBox1->setCurrentIndex(1);  // the second inverter
            inv->OkButton->click();
        } else if (auto* b = w->findChild<QAbstractButton*>(QStringLiteral("btn0"))) {
            b->click();
        }
    }
    QString file_;
    QTimer timer_;
    QPointer<QWidget> last_;
};

TEST_F(DwnMain, ParameterSaveUploadsACompleteListOfTheChosenInverterAndSavesIt)
{
    startWith(demoProject());
    ASSERT_TRUE(main->MenusaveParas->isEnabled());
    din.inverter(2)->setValue(0x0104, 1234, 0);
    const QString file = path(QStringLiteral("prefix/data/params.dw5"));
    ModalAnswers answers(file);
    main->MenusaveParas->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dwnWindows().isEmpty());
    ASSERT_TRUE(QFile::exists(file)) << answers.seen.join(u',').toStdString();
    EXPECT_GE(answers.seen.size(), 3);  // choice, build mode, end of the upload, save dialog
    // The list was read from inverter 2 and names its configuration.
    EXPECT_EQ(GetDwnFileCfgId(file), 21);
    TDwnLoad* w = static_cast<TDwnLoad*>(main->Kinds.DwnLoad->Show(2, 0, file));
    ASSERT_NE(w, nullptr);
    EXPECT_GT(w->Engine().Lines.size(), 10u);
    EXPECT_EQ(w->Engine().InvAdr, 2);
    bool read = false;
    for (const auto& e : w->Engine().Lines)
        read |= e->Address == 0x0104 && e->Value == 1234;
    EXPECT_TRUE(read);
}

}  // namespace

namespace {

TEST_F(DwnMain, ExplorerRequestFocusesTheOpenWindowOfALinkedList)
{
    startWith(demoProject());
    const QString file = listFile(QStringLiteral("linked.dw5"));
    // Not part of the project: nothing.
    main->PrjChgReq(nullptr, 0, file);
    EXPECT_TRUE(dwnWindows().isEmpty());
    ASSERT_EQ(Project->AddFile(file, 2), 0);
    main->PrjChgReq(nullptr, 0, file);
    ASSERT_EQ(dwnWindows().size(), 1);
    TDwnLoad* w = dwnWindows()[0];
    EXPECT_EQ(w->Engine().InvAdr, 2);
    // Again, also spelt another way: the same window.
    main->PrjChgReq(nullptr, 0, file);
    EXPECT_EQ(dwnWindows().size(), 1);
    EXPECT_EQ(windows->DwnLoad().Windows().Find(QFileInfo(file).path() + QStringLiteral("/../data/linked.dw5")), w);
    // Other files go to the desktop.
    const QString text = path(QStringLiteral("prefix/data/notes.txt"));
    QFile(text).open(QIODevice::WriteOnly);
    ASSERT_EQ(Project->AddFile(text, -1), 0);
    main->PrjChgReq(nullptr, 0, text);
    ASSERT_FALSE(ui->urls.isEmpty());
    EXPECT_EQ(ui->urls.back(), QUrl::fromLocalFile(text));
}

}  // namespace

namespace {

// A compare makes a saved list untitled; when it ends while another window
// is active, the main bar still holds the list's items and would ignore a
// plain hand-over of them: activating the list must show its new name.
TEST_F(DwnMain, ListMadeUntitledWhileInactiveShowsItsNewNameWhenActivated)
{
    startWith(demoProject());
    const QString file = listFile(QStringLiteral("cmp.dw5"));
    TDwnLoad* w = static_cast<TDwnLoad*>(main->Kinds.DwnLoad->Show(1, 0, file));
    ASSERT_NE(w, nullptr);
    w->activateWindow();
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->isActiveWindow() && main->CurContext == &w->ContextItems; }));
    EXPECT_EQ(main->MenuContext0->title(), QStringLiteral("cmp.dw5"));

    // Every message is answered with its first button (start: Yes); before
    // the one that ends the compare another window becomes active.
    QWidget other;
    other.setWindowTitle(QStringLiteral("other"));
    other.show();
    QTimer answer;
    QPointer<QWidget> last;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        if (!m || !m->isVisible() || m == last)
            return;
        last = m;
        auto* b = m->findChild<QAbstractButton*>(QStringLiteral("btn0"));
        ASSERT_NE(b, nullptr);
        b->click();
        if (w->Engine().TransferState != DwnTransfer::Idle && w->Engine().TransferState != DwnTransfer::CompareReq) {
            other.activateWindow();
            EXPECT_TRUE(qeltest::waitUntil([&] { return other.isActiveWindow(); }));
        }
    });
    answer.start();
    w->DoCompare();
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->Engine().TransferState == DwnTransfer::Idle; }, 20000));
    answer.stop();
    ASSERT_TRUE(w->Engine().FileName.isEmpty());
    ASSERT_TRUE(other.isActiveWindow());

    w->activateWindow();
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->isActiveWindow(); }));
    EXPECT_EQ(main->CurContext, &w->ContextItems);
    EXPECT_EQ(main->MenuContext0->title(), w->GetShortName());
    EXPECT_NE(w->GetShortName(), QStringLiteral("cmp.dw5"));
}

}  // namespace

namespace {

// Closing all windows while a list still uploads: the list refuses until
// its transfer has ended; the close-all sleeps in the event loop meanwhile
// (a spin never lets the loop block) and then closes it.
TEST_F(DwnMain, CloseAllSleepsUntilARefusingListHasEndedItsTransfer)
{
    startWith(demoProject());
    TDwnLoad* w = static_cast<TDwnLoad*>(main->Kinds.DwnLoad->Show(1, 0, QString()));
    ASSERT_NE(w, nullptr);
    constexpr int kLines = 20;
    for (int i = 0; i < kLines; ++i)
        w->Engine().InsertNewLine(i, FindSharedPara(w->Engine().Cfg(), 0x0101), 0x0101, 0, -1, DwnMode::RW, false, {});
    // Start question Yes, end message OK, save question No.
    std::deque<int> answers{0, 0, 1};
    QPointer<QWidget> last;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        if (!m || !m->isVisible() || m == last || answers.empty())
            return;
        last = m;
        if (auto* b = m->findChild<QAbstractButton*>(QStringLiteral("btn%1").arg(answers.front())))
            b->click();
        answers.pop_front();
    });
    answer.start();
    w->DoUpload();
    ASSERT_EQ(w->Engine().TransferState, DwnTransfer::UploadReq);

    // Passes of the event loop while the list transfers and no message box
    // (which sleeps in its own loop) is up: a wait that sleeps wakes about
    // once per event; a spin passes thousands of times without sleeping.
    const QPointer<TDwnLoad> guard(w);
    auto counted = [&] { return guard && guard->Transferring() && !QApplication::activeModalWidget(); };
    int slept = 0, passed = 0;
    auto* dispatcher = QAbstractEventDispatcher::instance();
    const QMetaObject::Connection sleeping =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [&] { slept += counted() ? 1 : 0; });
    const QMetaObject::Connection waking =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&] { passed += counted() ? 1 : 0; });
    main->CloseAllWindows();
    QObject::disconnect(sleeping);
    QObject::disconnect(waking);
    answer.stop();
    EXPECT_TRUE(dwnWindows().isEmpty() || !guard || !guard->isVisible());
    EXPECT_TRUE(answers.empty());
    EXPECT_GT(slept, 0);
    EXPECT_LT(passed, 4 * (slept + kLines));  // the progress bar passes once per line
}

}  // namespace
