// A download list's part in its window's life, without the window: the
// inverter and configuration a new window takes, the save question before
// it closes, and its scheduler state while minimised, restored and closed.

#include "dwn_fixture.h"

#include <QFileInfo>

using dwntest::DwnTest;

namespace {

// Inverters 1 and 2 of type 21 and 5 of type 3; a scheduler the list
// registers with (nothing is sent: it is never started).
class DwnWindowLife : public DwnTest {
protected:
    void SetUp() override
    {
        DwnTest::SetUp();
        addInv(1, 21, QStringLiteral("Pump"));
        addInv(2, 21, QStringLiteral("Fan"));
        addInv(5, 3, QStringLiteral("Old"));
    }
    TScheduler* scheduler() override { return &sch; }

    TScheduler sch;
};

TEST_F(DwnWindowLife, OpeningChoosesTheInverterAndItsConfiguration)
{
    struct Case {
        const char* what;
        int adr;
        QByteArray file;  // empty: a new list
        int invAdr, cfgId;
    } cases[] = {
        {"its own inverter", 2, {}, 2, 21},
        {"another type", 5, {}, 5, 3},
        {"an address without inverter takes the first", 77, {}, 1, 21},
        {"below the addresses", -1, {}, 1, 21},
        {"above the addresses", kPrjInvCount, {}, 1, 21},
        {"a list of its type stays with the second of that type", 2, "0,21,100,0\r\n257,6\r\n", 2, 21},
        {"a list of another type moves to its first inverter", 1, "0,3,100,0\r\n257,6\r\n", 5, 3},
        {"lines without a configuration line stay", 2, "257,6,0,-1\r\n", 2, 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto e = makeEngine();
        const QString name = c.file.isEmpty() ? QString() : writeFile(QStringLiteral("l.dw5"), c.file);
        ASSERT_TRUE(e->OpenFor(c.adr, name));
        EXPECT_EQ(std::pair(e->InvAdr, e->CfgId), std::pair(c.invAdr, c.cfgId));
        EXPECT_EQ(e->FileName, name);
        EXPECT_TRUE(ui.messages.empty());
    }
}

TEST_F(DwnWindowLife, OpeningWithoutAnInverterInTheProjectIsRefused)
{
    TVortalinPrj empty;
    TDwnLoadEngine e(&empty, nullptr, &texts, ui, &notify);
    EXPECT_FALSE(e.OpenFor(1, QString()));
    ASSERT_EQ(ui.messages.size(), 1u);
    const TDwnMessage& m = ui.messages[0];
    EXPECT_EQ(m.Lines, msg(0, 15));
    EXPECT_EQ(std::tuple(m.Buttons, m.Icon), std::tuple(int(dblOk), int(dmiError)));
    // Said before the list has a name.
    EXPECT_TRUE(m.Title.isEmpty());
}

TEST_F(DwnWindowLife, CloseAsksWhileTheListIsModified)
{
    struct Case {
        const char* what;
        bool modified;
        std::vector<int> answers;
        std::vector<QString> saveAs;  // the save dialog's answers
        bool closes;
        size_t questions;
        bool saved;
    } cases[] = {
        {"unchanged", false, {}, {}, true, 0, false},
        {"cancel", true, {2}, {}, false, 1, false},
        {"dialog closed", true, {-1}, {}, false, 1, false},
        {"no drops the changes", true, {1}, {}, true, 1, false},
        {"yes saves", true, {0}, {QStringLiteral("saved")}, true, 1, true},
        {"yes, save dialog cancelled, asked again", true, {0, 1}, {QString()}, true, 2, false},
        {"yes, save dialog cancelled, then cancel", true, {0, 2}, {QString()}, false, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui.messages.clear();
        ui.saveDialogs.clear();
        auto e = makeEngine();
        ASSERT_TRUE(e->OpenFor(1, QString()));
        e->InsertNewLine(0, nullptr, 0, 0, 0, DwnMode::Blank, false, {});
        e->Modified = c.modified;
        ui.answers.assign(c.answers.begin(), c.answers.end());
        for (const QString& s : c.saveAs)
            ui.saveAnswers.push_back(s.isEmpty() ? s : path(s));
        EXPECT_EQ(e->CloseQuery(), c.closes);
        ASSERT_EQ(ui.messages.size(), c.questions);
        for (const TDwnMessage& m : ui.messages) {
            EXPECT_EQ(m.Lines, msg(2, 6) + msg(0, 24));
            EXPECT_EQ(std::tuple(m.Buttons, m.Icon, m.Default, m.Cancel),
                      std::tuple(int(dblYesNoCancel), int(dmiConfirmation), 0, -1));
            // The untitled list's name (a new list is window 1).
            EXPECT_EQ(m.Title, txt(2, 12) + u'1');
            EXPECT_EQ(m.P1, m.Title);
        }
        EXPECT_EQ(QFileInfo::exists(path(QStringLiteral("saved.dw5"))), c.saved);
        EXPECT_EQ(e->Modified, !c.closes);
        QFile::remove(path(QStringLiteral("saved.dw5")));
    }
}

TEST_F(DwnWindowLife, NoCloseDuringATransferAndNoQuestion)
{
    ASSERT_TRUE(engine->OpenFor(1, QString()));
    engine->Modified = true;
    engine->TransferState = DwnTransfer::Upload;
    EXPECT_FALSE(engine->CloseQuery());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(DwnWindowLife, MinimisedPausedRestoredWithItsStateOrPolledInTurn)
{
    const int other = sch.Register(nullptr, [](TReqRec&) {}, [](const TRecTel&, int) {}, [] {});
    struct Case {
        const char* what;
        int wanted;        // the list's state when minimised
        bool otherHolds;   // another client holds the exclusive state meanwhile
        int restored;      // the slot's state afterwards
    } cases[] = {
        {"idle", csPaused, false, csPaused},
        {"polled transfer", csPolled, false, csPolled},
        {"exclusive transfer", csExclusive, false, csExclusive},
        {"exclusive taken meanwhile", csExclusive, true, csPolled},
        {"polled beside an exclusive one", csPolled, true, csPolled},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto e = makeEngine();
        ASSERT_TRUE(e->OpenFor(1, QString()));
        ASSERT_GE(e->Register(nullptr), 0);
        e->SchedState = sch.SetState(e->SchedSlot, c.wanted);
        ASSERT_EQ(e->SchedState, c.wanted);
        e->Minimised();
        EXPECT_EQ(sch.GetState(e->SchedSlot), csPaused);
        if (c.otherHolds) {
            ASSERT_EQ(sch.SetState(other, csExclusive), csExclusive);
        }
        e->Restored();
        EXPECT_EQ(sch.GetState(e->SchedSlot), c.restored);
        EXPECT_EQ(e->SchedState, c.restored);
        sch.SetState(other, csPolled);
        e->Closing();
        EXPECT_EQ(e->SchedSlot, -1);
    }
}

TEST_F(DwnWindowLife, ClosingDropsTheTransferAndGivesBackTheSlot)
{
    ASSERT_TRUE(engine->OpenFor(1, QString()));
    const int slot = engine->Register(nullptr);
    ASSERT_GE(slot, 0);
    engine->SchedState = sch.SetState(slot, csExclusive);
    engine->TransferState = DwnTransfer::Upload;
    engine->Closing();
    EXPECT_EQ(engine->TransferState, DwnTransfer::Idle);
    EXPECT_EQ(engine->SchedState, csPaused);
    EXPECT_EQ(engine->SchedSlot, -1);
    EXPECT_EQ(sch.GetItem(slot), nullptr);
}

}  // namespace
