// Download-list windows with a scheduler against the simulator: an upload
// that pauses while its window is minimised and goes on when it is
// restored, the exclusive fall-back of a restored window, the parameter
// save; and print to PDF with a look at the window and the page.

#include "dwn_line_fixture.h"
#include "dwn_load_fixture.h"

#include "comm/prot_sel.h"
#include "dialogs/glyph_button.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_model.h"

#include "modal.h"
#include "sample_inverter.h"
#include "pdf_text.h"
#include "screenshot.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>

using namespace dwntest;

namespace {

class DwnLoadSim : public DwnWindowTest, protected DwnSimLine {
protected:
    void SetUp() override
    {
        openLine();
        if (HasFatalFailure())
            return;
        DwnWindowTest::SetUp();
        addInv(1, 21, QStringLiteral("Conveyor"));
        addInv(2, 21, QStringLiteral("Pump"));
        sel->SetProtocol(1, prANSI);
        sch->SetActive(true);
    }
    void TearDown() override
    {
        closeAll();
        DwnWindowTest::TearDown();
        closeLine();
    }
    TScheduler* scheduler() override { return sch.get(); }
    int readsOf(int adr) const
    {
        int n = 0;
        for (const auto& r : inv1->handledRequests())
            n += !r.isWrite && r.data.u16(0) == adr;
        return n;
    }
    int requests() const { return int(inv1->handledRequests().size()); }
};

TEST_F(DwnLoadSim, MinimisedUploadPausesAndGoesOnWhenRestored)
{
    TDwnLoad* w = open(1);
    for (int i = 0; i < 40; ++i)
        add(w, 0x0101, 0, DwnMode::RW, 1 << (i % 4));
    inv1->setValue(0x0101, 777, 2);
    w->DoUpload();
    ASSERT_EQ(w->Engine().TransferState, DwnTransfer::UploadReq);
    // The list, memo, splitter and scroll bar rest during the transfer.
    EXPECT_FALSE(w->ListView1->isEnabled());
    EXPECT_FALSE(w->Memo1->isEnabled());
    ASSERT_TRUE(qeltest::waitUntil([&] { return requests() >= 5; }));
    w->showMinimized();
    ASSERT_TRUE(qeltest::waitUntil([&] { return sch->GetState(w->Engine().SchedSlot) == 2; }));
    // The answer outstanding at that moment may still come; then nothing.
    ASSERT_TRUE(qeltest::waitUntil([&] { return sch->RunState() != TScheduler::rsAwaiting; }));
    const int paused = requests();
    qeltest::runEventLoopFor(400);
    EXPECT_EQ(requests(), paused);
    EXPECT_NE(w->Engine().TransferState, DwnTransfer::Idle);
    w->showNormal();
    ASSERT_TRUE(qeltest::waitUntil([&] { return w->Engine().TransferState == DwnTransfer::Idle; }, 30000));
    // Every line was read once: the upload went on with the next line.
    EXPECT_EQ(readsOf(0x0101), 40);
    int withValue = 0;
    for (const auto& e : w->Engine().Lines)
        withValue += e->Value == 777;
    EXPECT_EQ(withValue, 10);  // the lines of set 2
    EXPECT_EQ(sch->GetState(w->Engine().SchedSlot), 2);
    EXPECT_EQ(answerer.texts().back(), txt(2, 2));
    EXPECT_TRUE(w->ListView1->isEnabled() && w->ScrollBar1->isEnabled());
}

TEST_F(DwnLoadSim, RestoredWhileAnotherIsExclusiveFallsBackToPolledInTurn)
{
    TDwnLoad* a = open(1);
    TDwnLoad* b = open(2);
    const int slotA = a->Engine().SchedSlot;
    const int slotB = b->Engine().SchedSlot;
    // A holds the scheduler exclusively during its transfer.
    a->Engine().TransferState = DwnTransfer::Upload;
    a->Engine().SchedState = sch->SetState(slotA, csExclusive);
    ASSERT_EQ(a->Engine().SchedState, csExclusive);
    a->showMinimized();
    ASSERT_TRUE(qeltest::waitUntil([&] { return sch->GetState(slotA) == 2; }));
    // Meanwhile B takes it.
    ASSERT_EQ(sch->SetState(slotB, csExclusive), csExclusive);
    a->showNormal();
    ASSERT_TRUE(qeltest::waitUntil([&] { return sch->GetState(slotA) != 2; }));
    EXPECT_EQ(sch->GetState(slotA), 3);
    EXPECT_EQ(a->Engine().SchedState, 3);
    a->Engine().TransferState = DwnTransfer::Idle;
}

TEST_F(DwnLoadSim, ParameterSaveUploadsACompleteListAndSavesIt)
{
    inv1->setValue(0x0101, 4321, 0);
    const QString target = path(QStringLiteral("saved.dw5"));
    // The save dialog: the file name typed in.
    qeltest::onModal<QFileDialog>([target](QFileDialog& fd) {
        fd.selectFile(target);
        QMetaObject::invokeMethod(&fd, "accept");
    });
    DwnSaveParas(shared, 1, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(windows.Open().isEmpty());
    ASSERT_TRUE(QFile::exists(target));
    // The file holds the values read.
    TDwnLoad* w = open(1, target);
    ASSERT_FALSE(w->Engine().Lines.empty());
    bool found = false;
    for (const auto& e : w->Engine().Lines)
        found |= e->Address == 0x0101 && e->Value == 4321;  // read after set pointer 0
    EXPECT_TRUE(found);
}

// The parameter save waits for its upload asleep in the event loop (a spin
// never lets the loop block), and the wait ends when its window goes.
TEST_F(DwnLoadSim, ParameterSaveSleepsDuringTheUploadAndEndsWhenItsWindowGoes)
{
    int blockedDuringUpload = 0;
    auto uploading = [this] {
        for (TDwnLoad* w : windows.Open())
            if (w->Engine().TransferState == DwnTransfer::Upload)
                return w;
        return static_cast<TDwnLoad*>(nullptr);
    };
    const QMetaObject::Connection counting =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                         [&] { blockedDuringUpload += uploading() ? 1 : 0; });
    bool saveDialog = false;
    QTimer closer;
    closer.setInterval(5);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            saveDialog = true;
            fd->reject();
        }
        // Later: the timer may fire inside the window's own progress pumping.
        if (TDwnLoad* w = uploading(); w && requests() >= 10)
            w->deleteLater();
    });
    closer.start();
    DwnSaveParas(shared, 1, 0);
    closer.stop();
    QObject::disconnect(counting);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(windows.Open().isEmpty());
    EXPECT_GE(requests(), 10);
    EXPECT_GT(blockedDuringUpload, 0);
    EXPECT_FALSE(saveDialog);
}

// ---------------------------------------------------------------- print

QString pdfText(const QString& pdf)
{
    if (qeltest::pdfToTextTool().isEmpty()) {
        ADD_FAILURE() << "pdftotext missing (poppler-utils, scripts/install-deps.sh)";
        return {};
    }
    const qeltest::PdfText read = qeltest::pdfText(pdf);
    EXPECT_TRUE(read.finished);
    return read.text;
}

TEST_F(DwnLoadSim, CompleteListWithAUserStepPrintsToPdf)
{
    TDwnLoad* w = open(1);
    w->DoMakeList();  // the first build choice
    ASSERT_GT(w->Engine().Lines.size(), 10u);
    w->View().FocusRow = 3;
    w->MenuInsertUserClick();
    w->Engine().Lines[3]->Note = QStringLiteral("Check the motor");
    w->Engine().Lines[3]->Value = -2000;
    w->Memo1->setPlainText(QStringLiteral("Commissioning set"));
    w->SelectLine(5);
    w->resize(760, 420);
    QCoreApplication::processEvents();
    qeltest::saveScreenshot(*w, QStringLiteral("dwnload_complete.png"));
    EXPECT_EQ(w->Model().index(3, 5).data().toString(), txt(2, 18));

    print.Printer().setPageSize(QPageSize(QPageSize::A4));
    qeltest::onModal(print, [this] { print.printbtn->click(); });
    w->DoPrint();
    const QStringList pdfs = QDir(dir()).entryList({QStringLiteral("*.pdf")});
    ASSERT_EQ(pdfs.size(), 1);
    const QString pdf = QDir(dir()).filePath(pdfs[0]);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Commissioning set")));
    EXPECT_TRUE(text.contains(QStringLiteral("Check the motor")));
    EXPECT_TRUE(text.contains(txt(2, 18)));
    EXPECT_TRUE(text.contains(txt(2, 19)));  // the column header line
    EXPECT_TRUE(text.contains(QStringLiteral("Maximum frequency")));
    const auto cfg = w->Engine().Cfg();
    EXPECT_TRUE(text.contains(cfg->GetTypeName()));
    const QString shots = qEnvironmentVariable("QEL_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                                                       QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                       QStringLiteral("1"), pdf,
                                                       QDir(shots).filePath(QStringLiteral("dwnload_print"))});
}

TEST_F(DwnLoadSim, AnOpenListIsFoundByItsCanonicalPath)
{
    TDwnLoad* w = open(1);
    add(w, 0x0101, 1);
    const QString file = path(QStringLiteral("Set.dw5"));
    ASSERT_EQ(w->Engine().SaveData(file), 0);
    EXPECT_EQ(windows.Find(file), w);
    EXPECT_EQ(windows.Find(dir() + QStringLiteral("/./x/../Set.dw5")), w);
    // Names differing in case are other files on Linux.
    EXPECT_EQ(windows.Find(path(QStringLiteral("set.dw5"))), nullptr);
    ASSERT_TRUE(QFile::link(file, path(QStringLiteral("alias.dw5"))));
    EXPECT_EQ(ShowDwnLoadFile(shared, 1, 0, path(QStringLiteral("alias.dw5"))), w);
    EXPECT_EQ(windows.Open().size(), 1);
    TDwnLoad* other = ShowDwnLoadFile(shared, 1, 0, file + QStringLiteral(".missing.dw5"));
    EXPECT_NE(other, w);
}

}  // namespace
