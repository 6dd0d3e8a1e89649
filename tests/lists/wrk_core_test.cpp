#include "lists/wrk_list_core.h"
#include "wrk_fixture.h"

#include "../comm/scripted_driver.h"
#include "wait_until.h"

#include <QTemporaryDir>
#include <QWidget>

#include <cstring>

using namespace listtest;

namespace {

struct WrkCoreTest : ::testing::Test {
    void SetUp() override
    {
        FillProject(prj);
        core.Project = &prj;
    }
    void add(const char* line) { ASSERT_GE(core.InsertItem(core.ParseLine(QString::fromUtf8(line)), -1), -1); }

    // One turn: the row index read, or -1 when the turn gave no request.
    int turn(TReqRec* out = nullptr)
    {
        TReqRec req;
        req.Valid = 0;
        std::memset(req.Data.Bytes(), 0xAA, TTelData::Size);  // every byte must be written
        core.GiveNextReq(req);
        if (out)
            *out = req;
        if (!req.Valid) {
            EXPECT_EQ(core.PolledRow(), nullptr);
            return -1;
        }
        return core.Model().RowOf(core.PolledRow());
    }
    std::vector<int> turns(int n)
    {
        std::vector<int> v;
        for (int i = 0; i < n; ++i)
            v.push_back(turn());
        return v;
    }
    static TRecTel answer(int service, int status, int32_t value, uint16_t word = 0)
    {
        TRecTel r;
        r.Service = service;
        r.Status = status;
        r.IsRead = 1;
        r.Data.Value = value;
        r.Data.ParSet = word;
        return r;
    }

    TVortalinPrj prj;
    TWrkListCore core;
};

TEST_F(WrkCoreTest, PollingOrder)
{
    EXPECT_EQ(turns(2), (std::vector<int>{-1, -1}));
    add("1,1,257;a");
    EXPECT_EQ(turns(3), (std::vector<int>{0, 0, 0}));
    add("1,1,258;b");
    EXPECT_EQ(turns(4), (std::vector<int>{1, 0, 1, 0}));
    // A blank row and a row of an inverter not in the project cost a turn.
    add("-1,-1,-1;blank");
    add("9,1,258;missing");
    EXPECT_EQ(turns(5), (std::vector<int>{1, -1, -1, 0, 1}));
    // Every change of the rows starts again at row 1.
    core.DeleteRow(3);
    EXPECT_EQ(turns(4), (std::vector<int>{1, -1, 0, 1}));
    core.ClearRows();
    EXPECT_EQ(turns(1), (std::vector<int>{-1}));
    EXPECT_EQ(core.LastRow, -1);
}

TEST_F(WrkCoreTest, UnreadableRowsGiveNoRequest)
{
    add("1,1,257;a");
    add("2,1,257;b");
    // An entry still being added (no configuration yet) counts as missing.
    const std::shared_ptr<TCfgRec> cfg = prj.GetInv(2)->Cfg;
    prj.GetInv(2)->Cfg.reset();
    EXPECT_EQ(turns(2), (std::vector<int>{-1, 0}));
    EXPECT_EQ(core.ParseLine(QStringLiteral("2,1,257;b"))->Para, nullptr);
    prj.GetInv(2)->Cfg = cfg;
    EXPECT_EQ(turns(1), (std::vector<int>{1}));

    // A trace row past 0x7FFF is never read.
    QTemporaryDir d;
    const QString p = d.filePath(QStringLiteral("t.trc"));
    WriteBytes(p, "1\r\n40000\r\n1\r\n257\r\n");
    ASSERT_EQ(core.LoadFromFile(p), 0);
    EXPECT_EQ(turns(3), (std::vector<int>{1, -1, 1}));
}

TEST_F(WrkCoreTest, RequestTable)
{
    struct Case {
        const char* line;
        int service;
        uint16_t parSet;
    };
    const Case cases[] = {
        {"1,5,257;", 0, 5},     {"1,255,257;", 0, 255}, {"1,0,257;", 1, 1},
        {"1,-1,257;", 1, 0},    {"2,5,265;", -1, 0},    {"2,0,265;", -1, 0},
        {"2,-1,265;", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        core.ClearRows();
        add(c.line);
        TReqRec req;
        req.Tag = 77;
        ASSERT_EQ(turn(&req), 0);
        EXPECT_EQ(req.Valid, 1);
        EXPECT_EQ(req.InvAdr, core.Model().Item(0)->Inverter);
        EXPECT_EQ(req.IsRead, 1);
        EXPECT_EQ(req.Service, c.service);
        EXPECT_EQ(req.Data.ParAdr, uint16_t(core.Model().Item(0)->Address));
        EXPECT_EQ(req.Data.ParSet, c.parSet);
        EXPECT_EQ(req.Data.Value, 0);
        for (int i = 8; i < TTelData::Size; ++i)
            ASSERT_EQ(req.Data.GetByte(i), 0) << i;
    }
}

TEST_F(WrkCoreTest, AnswersConvertAndRepaintOnlyChangedTexts)
{
    add("2,0,264;unsigned");  // 0x0108 of type 3: unsigned 16 bit
    add("2,0,265;signed");    // 0x0109: signed
    const auto& u = core.Model().Item(0);
    const auto& s = core.Model().Item(1);

    ASSERT_EQ(turn(), 1);
    core.ReceiveAnswer(answer(-1, 0, 0, 0xFFFF), 0);
    EXPECT_EQ(s->Value, -1);
    EXPECT_TRUE(s->ValueValid);
    EXPECT_EQ(core.Model().Text(1, 5), s->Para->ValueToText(-1, 0, u'+', false));
    ASSERT_EQ(turn(), 0);
    core.ReceiveAnswer(answer(-1, 0, 0, 0xFFFF), 0);
    EXPECT_EQ(u->Value, 65535);
    EXPECT_EQ(core.Model().Text(0, 5), u->Para->ValueToText(65535, 0, u'+', false));

    // The same value again rewrites nothing.
    const int changed = core.Model().ChangedCells;
    ASSERT_EQ(turn(), 1);
    core.ReceiveAnswer(answer(-1, 0, 0, 0xFFFF), 0);
    EXPECT_EQ(core.Model().ChangedCells, changed);

    // An error shows its text and invalidates the value.
    ASSERT_EQ(turn(), 0);
    core.ReceiveAnswer(answer(-1, 5, 0), 0);
    EXPECT_EQ(core.Model().Text(0, 5), QStringLiteral("Fehler: 5"));
    EXPECT_FALSE(u->ValueValid);
    EXPECT_EQ(u->Value, 0);
    core.OnGetErrorText = [](int code) { return QStringLiteral("E%1").arg(code); };
    ASSERT_EQ(turn(), 1);
    core.ReceiveAnswer(answer(-1, -10, 0), 0);
    EXPECT_EQ(core.Model().Text(1, 5), QStringLiteral("E-10"));

    // 32-bit answers of services 0 and 1; a row without description shows
    // the raw number.
    core.ClearRows();
    add("1,1,257;x");
    add("1,1,16383;unknown");
    ASSERT_EQ(turn(), 1);
    core.ReceiveAnswer(answer(0, 0, -123456), 0);
    EXPECT_EQ(core.Model().Text(1, 5), QStringLiteral("-123456"));
    EXPECT_FALSE(core.Model().Item(1)->ValueValid);
    ASSERT_EQ(turn(), 0);
    core.ReceiveAnswer(answer(1, 0, 1234), 0);
    EXPECT_EQ(core.Model().Item(0)->Value, 1234);
}

TEST_F(WrkCoreTest, LateAnswersTouchNoRowAndNoFreedRecord)
{
    add("2,0,264;a");
    add("2,0,265;b");
    ASSERT_EQ(turn(), 1);
    core.DeleteRow(1);
    EXPECT_EQ(core.PolledRow(), nullptr);
    const int changed = core.Model().ChangedCells;
    core.ReceiveAnswer(answer(-1, 0, 0, 7), 0);
    EXPECT_EQ(core.Model().ChangedCells, changed);
    EXPECT_FALSE(core.Model().Item(0)->ValueValid);

    // The project drops the configuration while a read is outstanding: the
    // row's description stays valid for the conversion.
    ASSERT_EQ(turn(), 0);
    std::weak_ptr<const TParaRec> para = core.Model().Item(0)->Para;
    prj.RemoveInv(2);
    ASSERT_EQ(prj.IndexOfCfg(3), -1);
    ASSERT_FALSE(para.expired());
    core.ReceiveAnswer(answer(-1, 0, 0, 7), 0);
    EXPECT_EQ(core.Model().Item(0)->Value, 7);

    // The list-changed notice looks the rows up again.
    core.ResetCfgList();
    EXPECT_EQ(core.Model().Item(0)->Para, nullptr);
    EXPECT_TRUE(para.expired());
    EXPECT_EQ(core.Model().Text(0, 4), QStringLiteral("Unbekannter Umrichter"));
    EXPECT_EQ(core.Model().Text(0, 5), QStringLiteral("Nicht aktuell"));
    EXPECT_EQ(core.Model().Item(0)->Value, 7);
    EXPECT_EQ(turns(2), (std::vector<int>{-1, -1}));
}

// The client through a real scheduler and selector on a scripted driver.
TEST_F(WrkCoreTest, SchedulerClientStates)
{
    ScriptedDriver* drv = nullptr;
    TProtSel sel(nullptr, [&](TProt kind) -> std::unique_ptr<tCustomQelProt> {
        if (kind != prANSI)
            return nullptr;
        auto d = std::make_unique<ScriptedDriver>(prANSI);
        drv = d.get();
        return d;
    });
    sel.SetProtocol(1, prANSI);
    sel.SetProtocol(2, prANSI);
    auto* sch = new TScheduler;
    ASSERT_EQ(sch->Attach(&sel), 0);
    QWidget form;
    int changes = 0;
    sch->OnChange = [&](QObject*) { ++changes; };
    {
        TWrkListCore w;
        w.Project = &prj;
        w.OwnerForm = &form;
        w.InsertItem(w.ParseLine(QStringLiteral("1,1,257;a")), -1);
        w.InsertItem(w.ParseLine(QStringLiteral("2,0,264;b")), -1);
        w.SetScheduler(sch);
        ASSERT_GE(w.SchSlot, 0);
        EXPECT_EQ(w.WantedState, 3);
        const int slot = w.SchSlot;
        w.SetScheduler(sch);  // the same scheduler again does nothing
        EXPECT_EQ(w.SchSlot, slot);
        sch->SetActive(true);
        ASSERT_TRUE(qeltest::waitUntil([&] { return drv && !drv->Outstanding.empty(); }));
        EXPECT_EQ(drv->SentLog.back().Addr, 2);  // row 1 first
        // Deleted while its read is outstanding: the answer changes nothing.
        w.DeleteRow(1);
        drv->Answer(drv->Outstanding.front(), 0, 0);
        ASSERT_TRUE(qeltest::waitUntil([&] { return drv->SentLog.size() >= 2 && !drv->Outstanding.empty(); }));
        EXPECT_EQ(drv->SentLog.back().Addr, 1);
        drv->Answer(drv->Outstanding.front(), 0, 4711);
        ASSERT_TRUE(qeltest::waitUntil([&] { return w.Model().Item(0)->ValueValid; }));
        EXPECT_EQ(w.Model().Item(0)->Value, 4711);

        // Minimised: nothing more is sent; restored: reading goes on.
        ASSERT_TRUE(qeltest::waitUntil([&] { return !drv->Outstanding.empty(); }));
        w.Minimised();
        EXPECT_EQ(sch->GetState(w.SchSlot), 2);
        drv->Answer(drv->Outstanding.front(), 0, 1);
        const size_t sent = drv->SentLog.size();
        qeltest::runEventLoopFor(300);
        EXPECT_EQ(drv->SentLog.size(), sent);
        w.Restored();
        EXPECT_EQ(sch->GetState(w.SchSlot), 3);
        ASSERT_TRUE(qeltest::waitUntil([&] { return drv->SentLog.size() > sent; }));

        // Saving reports the caption change.
        QTemporaryDir d;
        changes = 0;
        ASSERT_EQ(w.SaveToFile(d.filePath(QStringLiteral("x.wr5"))), 0);
        EXPECT_GE(changes, 1);
        sch->SetActive(false);
        // The scheduler goes first: the list must not call it afterwards.
        sch->Release();
        ASSERT_TRUE(qeltest::waitUntil([&] { return w.Scheduler() == nullptr; }));
    }
}

} // namespace
