// The engine against a scripted owner: request sequences, answers, failure
// rules, writes, and the answers it must not take.

#include "platform/virtual_clock.h"
#include "quintel_fixture.h"
#include "wait_until.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace qtest;

namespace {

// The 28 reads of normalisation sets 1..7 starting at `first`.
QStringList normReads(int first)
{
    QStringList out;
    for (int k = 1; k <= 7; ++k)
        for (int i = 0; i < 4; ++i)
            out << QStringLiteral("R0:%1/%2")
                       .arg(first + i, 4, 16, QLatin1Char('0'))
                       .arg(1 << k, 2, 16, QLatin1Char('0'))
                       .toUpper();
    return out;
}

struct SeqCase {
    const char* name;
    bool newStyle;
    int count;
    int base;
    int sel;
    QStringList expected;
};

ScriptedInverter pairInverter()
{
    ScriptedInverter inv;
    inv.values = {{0x0E00, 0x101}, {0x0E01, 0x0001}, {0x0E02, 0x102}, {0x0E03, 0x0100}};
    return inv;
}

ScriptedInverter selectorInverter()
{
    ScriptedInverter inv;
    inv.selPar = 0x0E00;
    inv.entries = {{0x101, 0x0001}, {0x102, 0x0200}};
    return inv;
}

} // namespace

TEST(QuintelEngine, RequestSequences)
{
    const QStringList pairDefs = {"R-1:0E00", "R-1:0E01", "R-1:0E02", "R-1:0E03"};
    const QStringList selDefs = {"W-1:0E00=1", "R-1:0E01", "R-1:0E02", "W-1:0E00=2", "R-1:0E01", "R-1:0E02"};
    const SeqCase cases[] = {
        {"pairs, values at the targets", true, 3, 0x0E00, -1,
         pairDefs + normReads(0x0E48) + QStringList{"R0:0001/01", "R0:0101/01", "R1:0102/01", "R0:0001/01"}},
        {"pairs, values at QuintelSel + n", true, 3, 0x0E00, 0x0E40,
         pairDefs + normReads(0x0E48) + QStringList{"R0:0E40/01", "R0:0E41/01", "R1:0E42/01", "R0:0E40/01"}},
        {"selector mode", true, 3, -0x0E00, 0x0E40,
         selDefs + normReads(0x0E03) + QStringList{"R0:0E40/01", "R0:0E41/01", "R1:0E42/00", "R0:0E40/01"}},
        {"selector mode, values at the targets", true, 3, -0x0E00, -1,
         selDefs + normReads(0x0E03) + QStringList{"R0:0001/01", "R0:0101/01", "R1:0102/00"}},
        {"old style: no sets, no normalisation", false, 3, 0x0E00, -1,
         pairDefs + QStringList{"R-1:0001", "R-1:0101", "R-1:0102", "R-1:0001"}},
        {"only CP00: normalisation sets still read", true, 1, 0x0E00, -1,
         normReads(0x0E48) + QStringList{"R0:0001/01", "R0:0001/01"}},
        {"only CP00 in selector mode", true, 1, -0x0E00, -1,
         normReads(0x0E03) + QStringList{"R0:0001/01"}},
    };
    for (const SeqCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedInverter inv = c.base < 0 ? selectorInverter() : pairInverter();
        tQuintel q;
        ASSERT_EQ(q.Start(7, makeCfg(21, c.newStyle, c.count, c.base, c.sel), {}), 0);
        EXPECT_EQ(q.Status, -2);
        ScriptedOwner owner{q, inv, {}};
        owner.run(int(c.expected.size()));
        EXPECT_EQ(owner.sent, c.expected);
        EXPECT_EQ(int(q.Entries.size()), c.count);
        EXPECT_EQ(q.NextId, c.count);
        EXPECT_EQ(q.State, 3);
    }
}

TEST(QuintelEngine, NoQuintelModeStopsWithoutARequest)
{
    tQuintel q;
    ScriptedInverter inv;
    q.Start(1, makeCfg(21, true, 0, 0x0E00, -1), {});
    TReqRec r;
    r.Valid = 1;
    q.GetRequest(r);
    EXPECT_FALSE(r.Valid);
    EXPECT_EQ(q.State, 0);
    EXPECT_EQ(q.Status, -2);
    q.GetRequest(r);
    EXPECT_FALSE(r.Valid);
    EXPECT_EQ(q.Status, -1);
    EXPECT_TRUE(q.Entries.empty());
}

TEST(QuintelEngine, EngineWithoutStartOrConfigurationSendsNothing)
{
    tQuintel q;
    TReqRec r;
    r.Valid = 1;
    q.GetRequest(r);  // Abort is set at creation
    EXPECT_FALSE(r.Valid);
    EXPECT_EQ(q.Status, -1);
    q.Start(1, nullptr, {});
    EXPECT_EQ(q.Status, -2);
    q.GetRequest(r);
    EXPECT_FALSE(r.Valid);
    EXPECT_EQ(q.State, 0);
}

TEST(QuintelEngine, EntriesNamesAddressesAndDefinitions)
{
    // CP01 undefined (target -1), CP02 unknown to the configuration, CP03
    // and CP10 defined; CP03 with normalisation set 3 whose divisor is 0.
    auto cfg = makeCfg(21, true, 11, 0x0E00, -1);
    ScriptedInverter inv;
    for (int n = 1; n < 11; ++n)
        inv.values[0x0E00 + 2 * (n - 1)] = -1;
    inv.values[0x0E02] = 0x999;
    inv.values[0x0E04] = 0x103;
    inv.values[0x0E05] = 0x0C01;
    inv.values[0x0E12] = 0x104;
    inv.values[0x0E13] = 0x0001;
    inv.setValues[{0x0E48, 0x08}] = 0;
    inv.setValues[{0x0E49, 0x08}] = 60;
    inv.setValues[{0x0E4A, 0x08}] = -5;
    inv.setValues[{0x0E4B, 0x08}] = 0x1234;
    tQuintel q;
    q.Start(3, cfg, {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(200);
    ASSERT_EQ(q.State, 3);
    ASSERT_EQ(q.Entries.size(), 11u);

    // No definition read after an undefined target: CP02 is read at the
    // next pair of addresses.
    EXPECT_EQ(owner.sent.mid(0, 6), (QStringList{"R-1:0E00", "R-1:0E02", "R-1:0E04", "R-1:0E05", "R-1:0E06", "R-1:0E08"}));
    const tCpEntry& cp1 = *q.Entries[1];
    EXPECT_EQ(cp1.Id, -1);
    EXPECT_EQ(cp1.Address, -1);
    const tCpEntry& cp2 = *q.Entries[2];
    EXPECT_EQ(cp2.Id, -1);
    EXPECT_EQ(cp2.Address, 0x999);  // polled like the others
    EXPECT_TRUE(owner.sent.contains(QStringLiteral("R0:0999/00")));
    const tCpEntry& cp3 = *q.Entries[3];
    EXPECT_EQ(cp3.Id, 1);
    EXPECT_EQ(cp3.Name, QStringLiteral("CP03"));
    EXPECT_EQ(cp3.Def, 0x0C01);
    EXPECT_EQ(cp3.NormSet, 3);
    EXPECT_EQ(cp3.Para->Addr, 0x103);
    EXPECT_EQ(cp3.Para->Div, 1);  // 0 is stored as 1
    EXPECT_EQ(cp3.Para->Mul, 60);
    EXPECT_EQ(cp3.Para->Offset, -5);
    EXPECT_EQ(cp3.Para->Format, 0x1234);
    EXPECT_EQ(q.Norm[3].Div, 1);
    EXPECT_EQ(q.Entries[10]->Name, QStringLiteral("CP10"));
    EXPECT_EQ(q.Entries[10]->Id, 2);
    EXPECT_EQ(q.NextId, 3);
    // The configuration's own description is untouched.
    EXPECT_EQ(cfg->FindPara(0x103)->Mul, 1);
    EXPECT_EQ(q.Entries[0]->Name, QStringLiteral("CP00"));
    EXPECT_EQ(q.Entries[0]->Para->Addr, 1);
    EXPECT_TRUE(q.AllSet0);  // every shown entry addresses set 0 only
}

TEST(QuintelEngine, AllSet0AndShowIdText)
{
    ScriptedInverter inv = pairInverter();
    inv.values[0x0E03] = 0x0001;
    inv.values[1] = -3;
    tQuintel q;
    q.Start(1, makeCfg(21, true, 3, 0x0E00, -1), {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(4 + 28);
    EXPECT_FALSE(owner.step());  // finishes the definitions
    EXPECT_TRUE(q.AllSet0);
    EXPECT_FALSE(q.ShowIdText);
    owner.step();  // CP00 polled
    EXPECT_TRUE(q.ShowIdText);
    EXPECT_EQ(q.Status, 0);
    owner.step();
    EXPECT_EQ(q.Status, 1);
    owner.step();
    inv.values[1] = 5;
    owner.step();
    EXPECT_FALSE(q.ShowIdText);
    EXPECT_EQ(q.Entries[0]->Value, 5);
}

TEST(QuintelEngine, PollStoresValuesAndResultsPerEntry)
{
    ScriptedInverter inv = pairInverter();
    inv.setValues[{0x101, 0x01}] = 150000;  // 32 bit through service 0
    tQuintel q;
    q.Start(1, makeCfg(21, true, 3, 0x0E00, -1), {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(4 + 28);
    EXPECT_EQ(q.Entries[1]->Status, tQuintel::NotReadYet);
    owner.run(2);
    EXPECT_EQ(q.Entries[1]->Value, 150000);
    EXPECT_EQ(q.Entries[1]->Status, 0);
    inv.results = {-10};
    owner.step();  // CP02 fails: stored in the entry, polling goes on
    EXPECT_EQ(q.Entries[2]->Status, -10);
    EXPECT_EQ(q.Status, 2);
    EXPECT_EQ(q.State, 3);
}

TEST(QuintelEngine, OldStyleDefinitionAndSixteenBitValues)
{
    ScriptedInverter inv = pairInverter();
    inv.values[0x0E01] = 2;  // set number 2
    inv.values[0x101] = 0xFFFE;
    std::vector<std::pair<QString, int>> errors;
    tQuintel q;
    q.Start(1, makeCfg(3, false, 3, 0x0E00, -1), [&](const QString& n, int c) { errors.push_back({n, c}); });
    ScriptedOwner owner{q, inv, {}};
    owner.run(4 + 2);
    EXPECT_EQ(q.Entries[1]->Def, 4);
    EXPECT_EQ(tQuintel::SetSelText(q.Entries[1]->Def), QStringLiteral("2"));
    EXPECT_EQ(q.Entries[1]->Value, -2);  // 16 bits, sign-extended

    q.SetValue(1, 40000);
    TReqRec r;
    q.GetRequest(r);
    EXPECT_FALSE(r.Valid);  // refused: 16 bits cannot carry it
    EXPECT_EQ(q.State, 3);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], std::make_pair(QStringLiteral("CP01"), 3));

    q.SetValue(1, -1000);
    owner.step();
    EXPECT_EQ(owner.sent.last(), QStringLiteral("W-1:0101=-1000"));
    EXPECT_EQ(q.State, 3);
    EXPECT_EQ(errors.size(), 1u);
}

TEST(QuintelEngine, WritesUseTheEntrysSetAddressing)
{
    ScriptedInverter inv = pairInverter();
    inv.values[0x0E03] = 0x0204;  // indirect
    std::vector<std::pair<QString, int>> errors;
    tQuintel q;
    q.Start(1, makeCfg(21, true, 3, 0x0E00, -1), [&](const QString& n, int c) { errors.push_back({n, c}); });
    ScriptedOwner owner{q, inv, {}};
    owner.run(4 + 28);
    owner.step();
    EXPECT_FALSE(q.AllSet0);
    q.SetValue(2, 70000);
    EXPECT_EQ(q.State, 8);
    owner.step();
    EXPECT_EQ(owner.sent.last(), QStringLiteral("W1:0102/00=70000"));
    EXPECT_EQ(q.Status, 2);
    EXPECT_EQ(q.Entries[2]->Value, 70000);
    q.SetValue(1, 12);
    inv.results = {4};
    owner.step();
    EXPECT_EQ(owner.sent.last(), QStringLiteral("W0:0101/01=12"));
    EXPECT_EQ(q.Entries[1]->Status, 4);
    EXPECT_EQ(q.Entries[1]->Value, 12);  // stays as set
    EXPECT_EQ(q.State, 3);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], std::make_pair(QStringLiteral("CP01"), 4));
    q.SetValue(99, 1);  // no such entry: nothing happens
    EXPECT_EQ(q.State, 3);
    EXPECT_EQ(tQuintel::SetSelText(0x0204), QStringLiteral("I"));
    EXPECT_EQ(tQuintel::SetSelText(0x0100), QStringLiteral("A"));
    EXPECT_EQ(tQuintel::SetSelText(0x0300), QStringLiteral("A"));
    EXPECT_EQ(tQuintel::SetSelText(0x000B), QStringLiteral("0-1;3"));
}

TEST(QuintelEngine, FailureRulesWhileReadingTheDefinitions)
{
    struct Case {
        const char* name;
        std::deque<int> results;
        bool failed;
        int requestsOfFirstRead;
    } cases[] = {
        {"five no-answers, then a success", {-10, -10, -10, -10, -10}, false, 6},
        {"a sixth no-answer in a row", {-10, -10, -10, -10, -10, -10}, true, 6},
        {"checksum, overrun, framing, parity count alike", {-11, -9, -8, -7, -11, -7}, true, 6},
        {"inverter error at once", {2}, true, 1},
        {"send time-out is no transmission failure", {-1}, true, 1},
        {"driver busy at once", {-101}, true, 1},
    };
    for (const Case& c : cases) {
        for (int base : {0x0E00, -0x0E00}) {
            SCOPED_TRACE(std::string(c.name) + (base < 0 ? ", selector" : ", pairs"));
            ScriptedInverter inv = base < 0 ? selectorInverter() : pairInverter();
            tQuintel q;
            q.Start(1, makeCfg(21, true, 3, base, -1), {});
            ScriptedOwner owner{q, inv, {}};
            owner.run(2);  // the first request answers well
            inv.results = c.results;
            owner.run(int(c.results.size()) + (c.failed ? 0 : 1));
            const QString repeated = owner.sent[2];
            EXPECT_EQ(owner.sent.count(repeated), c.requestsOfFirstRead);
            if (c.failed) {
                EXPECT_EQ(q.Status, -3);
                EXPECT_EQ(q.State, 0);
                EXPECT_FALSE(owner.step());
            } else {
                EXPECT_EQ(q.Status, -2);
                EXPECT_EQ(q.ErrCount, 0);
                // The count starts afresh after a success.
                inv.results = {-10, -10, -10, -10, -10};
                owner.run(6);
                EXPECT_EQ(q.Status, -2);
            }
        }
    }
}

TEST(QuintelEngine, FailureInTheNormalisationReadsEndsReading)
{
    ScriptedInverter inv = pairInverter();
    tQuintel q;
    q.Start(1, makeCfg(21, true, 3, 0x0E00, -1), {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(4 + 9);
    inv.results = {3};
    owner.step();
    EXPECT_EQ(q.Status, -3);
    EXPECT_EQ(q.State, 0);
}

TEST(QuintelEngine, PollWrapsAndStopsAfterAFruitlessRound)
{
    // Every target undefined, and CP00 itself moved to address -1: the
    // table has no address to poll.
    auto cfg = makeCfg(21, true, 3, 0x0E00, -1);
    cfg->AccessParAdr = -1;
    ScriptedInverter inv;
    inv.values = {{0x0E00, -1}, {0x0E02, -1}};
    tQuintel q;
    q.Start(1, cfg, {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(100);
    EXPECT_EQ(q.State, 3);
    EXPECT_EQ(owner.sent.size(), 2 + 28);
    TReqRec r;
    q.GetRequest(r);
    EXPECT_FALSE(r.Valid);
}

TEST(QuintelEngine, AnswerOfAnotherTagIsDropped)
{
    ScriptedInverter inv = pairInverter();
    tQuintel q;
    q.Start(1, makeCfg(21, true, 3, 0x0E00, -1), {});
    TReqRec first;
    q.GetRequest(first);
    ASSERT_TRUE(first.Valid);
    EXPECT_EQ(q.OutstandingTag(), first.Tag);
    TRecTel t = inv.answer(first);
    q.ResponseAvail(t, first.Tag + 1);
    EXPECT_TRUE(q.Busy);
    EXPECT_EQ(q.Entries.size(), 1u);
    q.ResponseAvail(t, 0);
    EXPECT_EQ(q.Entries.size(), 1u);
    q.ResponseAvail(t, first.Tag);
    EXPECT_FALSE(q.Busy);
    EXPECT_EQ(q.Entries.size(), 2u);
    q.ResponseAvail(t, first.Tag);  // twice: no second entry
    EXPECT_EQ(q.Entries.size(), 2u);
}

TEST(QuintelEngine, LateAnswerAfterResetNeverLandsInANewTable)
{
    ScriptedInverter inv = pairInverter();
    inv.values[1] = 0x0777;
    auto cfg = makeCfg(21, false, 3, 0x0E00, -1);
    tQuintel q;
    q.Start(1, cfg, {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(4);
    owner.step();
    TReqRec poll;
    q.GetRequest(poll);  // CP00's value, never answered in time
    ASSERT_EQ(describe(poll), QStringLiteral("R-1:0001"));
    q.Reset();
    EXPECT_FALSE(q.Busy);
    EXPECT_EQ(q.State, 0);
    EXPECT_EQ(q.Status, -1);
    q.Start(1, cfg, {});
    TReqRec firstTarget;
    q.GetRequest(firstTarget);
    ASSERT_EQ(describe(firstTarget), QStringLiteral("R-1:0E00"));
    // The poll answer (0x777) comes late: not CP01's target.
    q.ResponseAvail(inv.answer(poll), poll.Tag);
    EXPECT_EQ(q.Entries.size(), 1u);
    q.ResponseAvail(inv.answer(firstTarget), firstTarget.Tag);
    ASSERT_EQ(q.Entries.size(), 2u);
    EXPECT_EQ(q.Entries[1]->Address, 0x101);
}

TEST(QuintelEngine, RefusedSendIsBuiltAgainAndLeavesNoWait)
{
    ScriptedInverter inv = pairInverter();
    tQuintel q;
    q.Start(1, makeCfg(21, true, 3, 0x0E00, -1), {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(4 + 28);
    owner.step();
    TReqRec r;
    q.GetRequest(r);
    ASSERT_TRUE(q.Busy);
    const QString lost = describe(r);
    q.RequestNotSent();
    EXPECT_FALSE(q.Busy);
    EXPECT_EQ(q.OutstandingTag(), 0);
    TReqRec again;
    q.GetRequest(again);
    EXPECT_EQ(describe(again), lost);
    EXPECT_NE(again.Tag, r.Tag);
    q.RequestNotSent();

    // The owner's cycle is off: Stop and SetValue must not wait for it.
    bool loopRan = false;
    QTimer::singleShot(0, [&] { loopRan = true; });
    q.SetValue(1, 5);
    EXPECT_EQ(q.State, 8);
    q.Stop();
    EXPECT_EQ(q.State, 0);
    EXPECT_EQ(q.Status, -1);
    EXPECT_FALSE(loopRan);
    EXPECT_TRUE(qeltest::waitUntil([&] { return loopRan; }));
}

TEST(QuintelEngine, WaitRunsTheLoopUntilTheOutstandingAnswerStopsTheMachine)
{
    ScriptedInverter inv = pairInverter();
    tQuintel q;
    auto cfg = makeCfg(21, true, 3, 0x0E00, -1);
    q.Start(1, cfg, {});
    ScriptedOwner owner{q, inv, {}};
    owner.run(4 + 28);
    owner.step();
    TReqRec r;
    q.GetRequest(r);  // CP00's poll in flight
    ASSERT_TRUE(r.Valid);
    const TRecTel answer = inv.answer(r);
    QTimer::singleShot(10, [&] {
        EXPECT_TRUE(q.Abort);
        q.ResponseAvail(answer, r.Tag);
    });
    q.Stop();
    EXPECT_FALSE(q.Abort);
    EXPECT_EQ(q.State, 0);
    EXPECT_EQ(q.Status, -1);
    EXPECT_EQ(q.Entries[0]->Status, tQuintel::NotReadYet);  // the answer was not taken
    EXPECT_EQ(q.Entries.size(), 3u);                       // entries stay

    // Start waits likewise; the owner's next GetRequest stops the machine.
    q.SetValue(1, 3);
    TReqRec w;
    q.GetRequest(w);
    ASSERT_TRUE(w.Valid);
    QTimer::singleShot(10, [&] {
        TReqRec none;
        q.GetRequest(none);
        EXPECT_FALSE(none.Valid);
    });
    q.Start(1, cfg, {});
    EXPECT_EQ(q.State, 1);
    EXPECT_EQ(q.Status, -2);
    EXPECT_TRUE(q.Entries.empty());
    // The write's answer comes after all: dropped.
    q.ResponseAvail(inv.answer(w), w.Tag);
    EXPECT_TRUE(q.Entries.empty());
    EXPECT_EQ(q.State, 1);
}

TEST(QuintelEngine, EngineFreedDuringAWait)
{
    ScriptedInverter inv = pairInverter();
    auto q = std::make_unique<tQuintel>();
    q->Start(1, makeCfg(21, true, 3, 0x0E00, -1), {});
    TReqRec r;
    q->GetRequest(r);
    QTimer::singleShot(0, [&] { q.reset(); });
    tQuintel* raw = q.get();
    raw->Stop();  // returns without touching the freed engine
    EXPECT_EQ(q, nullptr);
}

TEST(QuintelEngine, WaitGivesUpAfterItsLimitAndDropsTheLateAnswer)
{
    // The owner neither answers nor asks again: Start gives up waiting,
    // after its limit on virtual time.
    qel::TVirtualClock clock;
    ScriptedInverter inv = pairInverter();
    auto cfg = makeCfg(21, true, 3, 0x0E00, -1);
    tQuintel q;
    q.Start(1, cfg, {});
    TReqRec lost;
    q.GetRequest(lost);
    ASSERT_TRUE(q.Busy);
    q.Start(1, cfg, {});
    EXPECT_FALSE(q.Busy);
    EXPECT_FALSE(q.Abort);
    EXPECT_EQ(q.State, 1);
    EXPECT_EQ(q.OutstandingTag(), 0);
    q.ResponseAvail(inv.answer(lost), lost.Tag);
    EXPECT_TRUE(q.Entries.empty());
    ScriptedOwner owner{q, inv, {}};
    owner.run(2);
    EXPECT_EQ(owner.sent, (QStringList{"R-1:0E00", "R-1:0E01"}));
    EXPECT_EQ(q.Entries.size(), 2u);
}
