// Upload, compare and download end to end: the list as a scheduler client
// through the real protocol selector and DIN 66019 II driver against the
// simulator on a pseudo-terminal.

#include "dwn_fixture.h"
#include "dwn_line_fixture.h"

#include "comm/prot_sel.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_model.h"
#include "wait_until.h"
#include "sample_inverter.h"

#include <QDir>
#include <QTimer>

#include <bit>
#include <limits>

using qelsim::SimFault;
using qelsim::SimInverter;

namespace {

SimFault fault(const char* spec)
{
    SimFault f;
    EXPECT_TRUE(SimFault::parse(QString::fromLatin1(spec), f, nullptr)) << spec;
    return f;
}

// Parameter addresses the inverter was asked for, in order, with the
// direction.
std::vector<std::pair<int, bool>> asked(const SimInverter& inv)
{
    std::vector<std::pair<int, bool>> out;
    for (const auto& r : inv.handledRequests())
        out.push_back({r.data.u16(0), r.isWrite});
    return out;
}

class DwnLineTest : public dwntest::DwnTest, protected dwntest::DwnSimLine {
protected:
    void SetUp() override
    {
        dwntest::DwnTest::SetUp();
        openLine();
        if (HasFatalFailure())
            return;
        addInv(1, 21, QStringLiteral("A"));
        sel->SetProtocol(1, prANSI);
        engine = makeEngine();
        engine->InvAdr = 1;
        engine->CfgId = 21;
        ASSERT_GE(engine->Register(nullptr), 0);
        ASSERT_EQ(sch->GetState(engine->SchedSlot), 2);
        sch->SetActive(true);
    }
    void TearDown() override
    {
        engine.reset();
        closeLine();
    }
    TScheduler* scheduler() override { return sch.get(); }

    void add(int adr, int32_t value, int mode, int mask, const QString& note = {})
    {
        engine->InsertNewLine(int(engine->Lines.size()), FindSharedPara(engine->Cfg(), adr), adr, value,
                              mask, mode, false, note);
    }
    bool idle(int ms = 30000)
    {
        return qeltest::waitUntil([&] { return engine->TransferState == DwnTransfer::Idle; }, ms);
    }
    std::vector<int32_t> values() const
    {
        std::vector<int32_t> v;
        for (const auto& e : engine->Lines)
            v.push_back(e->Value);
        return v;
    }
    // Every mode, set masks, the actual and the indirect set.
    void mixedList()
    {
        add(0x0101, 0, DwnMode::RW, 0x04);               // set 2
        add(0x0102, 0, DwnMode::RO, 0);                  // actual set
        add(0x0003, 3, DwnMode::WA, -1);                 // set pointer := 3
        add(0x0103, 0, DwnMode::RW, -1);                 // indirect: set 3
        add(0x0205, 42, DwnMode::WA, 0x02);              // set 1, written always
        add(0x0206, 7, DwnMode::WO, -1);                 // never read
        add(0, 0, DwnMode::Blank, -1);
        add(0, -250, DwnMode::UserStep, 0, QStringLiteral("wait"));
        add(0, 0, DwnMode::UserStep, 0, QStringLiteral("hello"));
        add(0x0207, 0, DwnMode::RO, -1);                 // not writable over the bus
        inv1->setValue(0x0101, 1234, 2);
        inv1->setValue(0x0102, 77, 0);
        inv1->setValue(0x0103, 999, 3);
        inv1->setValue(0x0207, 55);
    }
};

TEST_F(DwnLineTest, UploadDownloadAndCompareOfEveryKindOfLine)
{
    mixedList();
    engine->FileName = path(QStringLiteral("list.dw5"));

    engine->DoUpload();
    EXPECT_EQ(engine->TransferState, DwnTransfer::UploadReq);
    EXPECT_EQ(sch->GetState(engine->SchedSlot), 3);
    ASSERT_TRUE(idle());
    EXPECT_EQ(values(), (std::vector<int32_t>{1234, 77, 3, 999, 42, 7, 0, -250, 0, 55}));
    EXPECT_EQ(ui.firstLines(), (QStringList{msg(2, 10)[0], QStringLiteral("hello"), msg(2, 2)[0]}));
    EXPECT_EQ(ui.messages[0].P1, QStringLiteral("1"));
    EXPECT_EQ(inv1->value(0x0205, 1), 42);
    EXPECT_EQ(inv1->value(0x0003, 0), 3);
    EXPECT_EQ(asked(*inv1), (std::vector<std::pair<int, bool>>{
                                {0x0101, false}, {0x0102, false}, {0x0003, true}, {0x0103, false},
                                {0x0205, true}, {0x0207, false}}));
    ASSERT_EQ(ui.waits.size(), 1u);
    EXPECT_EQ(std::tuple(ui.waits[0].text, ui.waits[0].max), std::tuple(QStringLiteral("wait"), 250));
    EXPECT_EQ(ui.waitUpdates, (std::vector<int>{150, 50, 0}));
    EXPECT_EQ(ui.progress.starts, 1);
    EXPECT_EQ(ui.progress.max, 10);
    EXPECT_EQ(ui.progress.title, QStringLiteral("list.dw5"));
    EXPECT_EQ(ui.progress.text, txt(2, 3));
    EXPECT_EQ(ui.progress.finishes, 1);
    EXPECT_TRUE(engine->Modified);
    EXPECT_EQ(sch->GetState(engine->SchedSlot), 2);
    EXPECT_EQ(notify.controls, (std::vector<bool>{false, true}));
    EXPECT_EQ(engine->FileName, path(QStringLiteral("list.dw5")));

    // Download: RO lines stay out, WO and WA lines are written.
    const int before = inv1->handledCount();
    engine->Lines[0]->Value = 2000;
    engine->Lines[3]->Value = 888;
    ui.messages.clear();
    engine->DoDownload();
    ASSERT_TRUE(idle());
    EXPECT_EQ(ui.firstLines(), (QStringList{msg(2, 9)[0], QStringLiteral("hello"), msg(2, 2)[0]}));
    auto req = asked(*inv1);
    req.erase(req.begin(), req.begin() + before);
    EXPECT_EQ(req, (std::vector<std::pair<int, bool>>{
                       {0x0101, true}, {0x0003, true}, {0x0103, true}, {0x0205, true}, {0x0206, true}}));
    EXPECT_EQ(inv1->value(0x0101, 2), 2000);
    EXPECT_EQ(inv1->value(0x0103, 3), 888);
    EXPECT_EQ(inv1->value(0x0206, 0), 7);

    // Compare: equal RW and RO lines go, the differing one stays with the
    // inverter's value; the result is untitled.
    inv1->setValue(0x0101, 1500, 2);
    ui.messages.clear();
    engine->DoCompare();
    ASSERT_TRUE(idle());
    EXPECT_EQ(ui.firstLines(), (QStringList{msg(2, 21)[0], QStringLiteral("hello"), msg(2, 2)[0]}));
    std::vector<int> adrs;
    for (const auto& e : engine->Lines)
        adrs.push_back(e->Address);
    EXPECT_EQ(adrs, (std::vector<int>{0x0101, 0x0003, 0x0205, 0x0206, 0, 0, 0}));
    EXPECT_EQ(engine->Lines[0]->Value, 1500);
    EXPECT_TRUE(engine->FileName.isEmpty());
    EXPECT_GE(notify.captions, 1);
}

TEST_F(DwnLineTest, SixteenBitAccessOfATypeWithoutSets)
{
    auto inv2 = qeltest::sampleInverter(2, 3);
    din.addInverter(inv2);
    addInv(2, 3);
    sel->SetProtocol(2, prANSI);
    engine->InvAdr = 2;
    engine->CfgId = 3;
    add(0x0109, 0, DwnMode::RW, -1);  // signed
    add(0x0302, 0, DwnMode::RO, -1);  // unsigned
    add(0x0101, 600, DwnMode::WA, -1);
    inv2->setValue(0x0109, -1);
    inv2->setValue(0x0302, 65535);
    engine->DoUpload();
    ASSERT_TRUE(idle());
    EXPECT_EQ(values(), (std::vector<int32_t>{-1, 65535, 600}));
    EXPECT_EQ(inv2->value(0x0101), 600);
    for (const auto& r : inv2->handledRequests())
        EXPECT_EQ(r.service, -1);
    EXPECT_TRUE(asked(*inv1).empty());
}

TEST_F(DwnLineTest, RetriesSkipAndCancelOfTheErrorDialog)
{
    add(0x0101, 0, DwnMode::RW, 1);
    add(0x0102, 0, DwnMode::RW, 1);
    add(0x0103, 0, DwnMode::RW, 1);
    add(0x0104, 0, DwnMode::RW, 1);
    inv1->setValue(0x0101, 11, 0);
    inv1->setValue(0x0102, 12, 0);
    inv1->setValue(0x0103, 13, 0);
    inv1->setValue(0x0104, 14, 0);
    // Four time-outs and a run of busy answers are repeated without a
    // dialog; a refusal shows it at once, and after Skip the next failure
    // too, until an answer succeeds.
    din.faults().push(fault("silence@0x0101*4"));
    din.faults().push(fault("busy@0x0102*8"));
    din.faults().push(fault("refuse=2@0x0103"));
    din.faults().push(fault("silence@0x0104"));
    ui.answers = {0, 0, 0};  // Yes, Skip, Skip
    engine->DoUpload();
    ASSERT_TRUE(idle());
    EXPECT_EQ(values(), (std::vector<int32_t>{11, 12, 0, 0}));
    ASSERT_EQ(ui.messages.size(), 4u);
    const TDwnMessage& d = ui.messages[1];
    EXPECT_EQ(d.Lines, (QStringList{msg(0, 22)[0], txt(0, 27) + QStringLiteral(" 2"),
                                    engine->Lines[2]->Para->GetIdText() + u' ' + engine->Lines[2]->Para->GetName(0)
                                        + QStringLiteral("=")
                                        + engine->Lines[2]->Para->ValueToText(0, 0, u'+', false),
                                    texts.GetErrorText(2)}));
    EXPECT_EQ(std::tuple(d.Buttons, d.Icon, d.Default, d.Cancel),
              std::tuple(int(dblIgnoreCancel), int(dmiInformation), 0, -1));
    EXPECT_EQ(ui.messages[2].Lines[3], texts.GetErrorText(-10));
    EXPECT_EQ(ui.messages[3].Lines, msg(2, 2));

    // Cancel in the dialog: idle, the failed line selected.
    din.faults().push(fault("refuse=3@0x0102"));
    ui.messages.clear();
    ui.answers = {0, 1};
    engine->DoDownload();
    ASSERT_TRUE(idle());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(sch->GetState(engine->SchedSlot), 2);
    EXPECT_EQ(notify.selected.back(), 1);
    EXPECT_TRUE(engine->Lines[1]->Selected);
    EXPECT_FALSE(engine->Lines[0]->Selected);
    EXPECT_EQ(notify.controls.back(), true);
    EXPECT_EQ(ui.progress.finishes, 2);
    EXPECT_EQ(engine->RetryCount, 100);

    // The next transfer starts counting afresh: one time-out, no dialog.
    din.faults().push(fault("silence@0x0101"));
    ui.messages.clear();
    engine->DoUpload();
    ASSERT_TRUE(idle());
    EXPECT_EQ(ui.firstLines(), (QStringList{msg(2, 10)[0], msg(2, 2)[0]}));
}

TEST_F(DwnLineTest, CancelInTheProgressEndsTheTransferAndAWait)
{
    for (int a : {0x0101, 0x0102, 0x0103, 0x0104})
        add(a, 0, DwnMode::RW, 1);
    inv1->setValue(0x0101, 0, 0);
    inv1->setValue(0x0102, 5, 0);
    ui.progress.onPosition = [&](int p) {
        if (p == 2)
            ui.progress.cancel = true;
    };
    engine->DoCompare();
    ASSERT_TRUE(idle());
    EXPECT_EQ(ui.firstLines(), (QStringList{msg(2, 21)[0], msg(2, 4)[0]}));
    // The marks found so far stay, nothing is removed.
    EXPECT_EQ(engine->Lines.size(), 4u);
    EXPECT_TRUE(engine->Lines[0]->Selected);
    EXPECT_FALSE(engine->Lines[1]->Selected);
    EXPECT_EQ(asked(*inv1).size(), 2u);

    // A cancel during a user-step wait ends the wait and the transfer.
    ui.progress.onPosition = nullptr;
    ui.messages.clear();
    // The longest wait there is: -2^31 ms.
    engine->InsertNewLine(1, nullptr, 0, std::numeric_limits<int32_t>::min(), 0, DwnMode::UserStep, false,
                          QStringLiteral("long"));
    const size_t updates = ui.waitUpdates.size();
    QTimer t;
    t.setInterval(10);
    QObject::connect(&t, &QTimer::timeout, [&] {
        if (ui.waitUpdates.size() > updates)
            ui.progress.cancel = true;
    });
    t.start();
    engine->DoUpload();
    ASSERT_TRUE(idle(10000));
    EXPECT_EQ(ui.firstLines(), (QStringList{msg(2, 10)[0], msg(2, 4)[0]}));
    EXPECT_LT(ui.waitUpdates.size(), updates + 10);
    EXPECT_EQ(ui.waitHides, 1);
    ASSERT_EQ(ui.waits.size(), 1u);
    EXPECT_EQ(ui.waits[0].max, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(ui.waits[0].text, QStringLiteral("long"));
    EXPECT_EQ(engine->Lines[3]->Value, 0);  // never read
}

TEST_F(DwnLineTest, ListChangedDuringATransferEndsItFirst)
{
    auto inv4 = qeltest::sampleInverter(4, 21);
    din.addInverter(inv4);
    addInv(4, 21, QStringLiteral("B"));
    sel->SetProtocol(4, prANSI);
    add(0x0101, 0, DwnMode::RW, 1);
    add(0, 0, DwnMode::UserStep, 0, QStringLiteral("step"));
    add(0x0102, 9, DwnMode::RW, 1);
    add(0x0103, 9, DwnMode::RW, 1);
    // While the user step's message is open (inside the request provider)
    // the inverter leaves the project and the main window passes the
    // notice on: it waits until the provider returns.
    ui.onMessage = [&](const TDwnMessage& m) {
        if (m.Lines.value(0) == QStringLiteral("step")) {
            prj.RemoveInv(1);
            engine->ResetCfgList();
            EXPECT_EQ(engine->InvAdr, 1);
            // A close waits as well.
            engine->RequestClose();
            EXPECT_EQ(notify.closes, 0);
        }
    };
    engine->DoDownload();
    ASSERT_TRUE(idle());
    EXPECT_EQ(ui.firstLines(), (QStringList{msg(2, 9)[0], QStringLiteral("step"), msg(2, 4)[0]}));
    EXPECT_EQ(engine->InvAdr, 4);
    EXPECT_EQ(notify.closes, 1);
    EXPECT_TRUE(asked(*inv4).empty());
    EXPECT_EQ(asked(*inv1).size(), 1u);
    EXPECT_EQ(sch->GetState(engine->SchedSlot), 2);

    // Outside a scheduler call the notice ends the transfer at once.
    ui.onMessage = nullptr;
    ui.messages.clear();
    din.faults().push(fault("delay=1500@0x0102"));
    engine->DoUpload();
    // The answer for 0x0102 is outstanding: no call of the list runs.
    ASSERT_TRUE(qeltest::waitUntil([&] { return engine->TransferIndex == 2; }));
    EXPECT_FALSE(engine->InSchedulerCall());
    prj.RemoveInv(4);
    addInv(6, 21);
    engine->ResetCfgList();
    EXPECT_EQ(engine->TransferState, DwnTransfer::Idle);
    EXPECT_EQ(engine->InvAdr, 6);
    EXPECT_EQ(ui.firstLines().last(), msg(2, 4)[0]);
    // The late answer is ignored.
    qeltest::runEventLoopFor(1700);
    EXPECT_EQ(engine->Lines[2]->Value, 9);
}

TEST_F(DwnLineTest, ExclusiveStateAndEmptyLists)
{
    engine->Options.DwnHighPriority = true;
    engine->DoUpload();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].Lines, msg(0, 21));
    EXPECT_EQ(engine->TransferState, DwnTransfer::Idle);

    // Unattended: an empty list is finished at once, without progress.
    engine->TransferState = DwnTransfer::UnattendedUpload;
    engine->DoUpload();
    EXPECT_EQ(ui.messages.back().Lines, msg(2, 2));
    EXPECT_EQ(engine->TransferState, DwnTransfer::Idle);
    EXPECT_EQ(ui.progress.starts, 0);

    // Another client holds the exclusive state: refused.
    add(0x0101, 0, DwnMode::RW, 1);
    const int other = sch->Register(nullptr, [](TReqRec&) {}, [](const TRecTel&, int) {}, [] {});
    ASSERT_EQ(sch->SetState(other, 5), 5);
    ui.messages.clear();
    engine->DoUpload();
    EXPECT_EQ(ui.firstLines(), (QStringList{msg(2, 10)[0], msg(0, 23)[0]}));
    EXPECT_EQ(engine->TransferState, DwnTransfer::Idle);
    EXPECT_EQ(notify.controls, (std::vector<bool>{false, true}));
    sch->Unregister(other);

    // Exclusive while transferring, idle again afterwards.
    inv1->setValue(0x0101, 31, 0);
    int seen = 0;
    ui.progress.onPosition = [&](int) { seen = std::max(seen, sch->GetState(engine->SchedSlot)); };
    engine->DoUpload();
    ASSERT_TRUE(idle());
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(engine->Lines[0]->Value, 31);
    EXPECT_EQ(sch->GetState(engine->SchedSlot), 2);
}

TEST_F(DwnLineTest, CompleteListsUploadEverySetsOwnValues)
{
    for (int s = 0; s < 8; ++s) {
        inv1->setValue(0x0101, 100 + s, s);
        inv1->setValue(0x0204, 50 + s, s);
    }
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        ui.messages.clear();
        engine->Modified = true;
        ui.answers = {1, mode};  // No to saving, build mode
        engine->DoMakeList();
        engine->TransferState = DwnTransfer::UnattendedUpload;
        engine->DoUpload();
        ASSERT_TRUE(idle(120000));
        EXPECT_EQ(ui.messages.back().Lines, msg(2, 2));
        EXPECT_EQ(ui.messages.size(), 3u);
        // Each set's lines hold that set's value.
        int set = -1, seen = 0;
        for (const auto& e : engine->Lines) {
            if (mode == 0 && e->Address == 0x0003)
                set = e->Value;
            if (mode == 1)
                set = e->SetMask > 0 ? std::countr_zero(unsigned(e->SetMask)) : -1;
            if (e->Address == 0x0101) {
                EXPECT_EQ(e->Value, 100 + set);
                ++seen;
            }
            if (e->Address == 0x0204) {
                EXPECT_EQ(e->Value, 50 + set);
                ++seen;
            }
        }
        EXPECT_EQ(seen, 16);
    }
}

}  // namespace
