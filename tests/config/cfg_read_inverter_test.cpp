// Reading a configuration from an inverter, end to end: the protocol
// selector's DIN 66019 II driver on a pseudo-terminal, the simulator
// playing an inverter described by a sample source. A configuration read
// and saved must equal the file the configuration tool builds from that
// source.

#include "tests/support/sim_virtual_time.h"
#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"
#include "config/cfg_codes.h"
#include "config/cfg_file.h"
#include "config/cfg_list.h"
#include "config/cfg_read_inverter.h"
#include "config/value_conversion.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_model.h"

#include "temp_dir.h"
#include "sample_inverter.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <set>

using qelsim::SimDinPtyServer;
using qelsim::SimInverter;
using qelsim::SimModel;

namespace {

constexpr int kAddr = 1;

QByteArray readFile(const QString& p)
{
    QFile f(p);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Records what the upload shows and cancels when told to.
class ScriptedProgress : public IProgress {
public:
    struct Log {
        QString title, cancelText;
        QStringList texts;
        int starts = 0, finishes = 0;
        bool cancel = false;
        std::function<void(const QString&)> onText;
    };
    explicit ScriptedProgress(Log& log) : log_(log) {}
    void Start(const QString& title, const QString& cancelText) override
    {
        ++log_.starts;
        log_.title = title;
        log_.cancelText = cancelText;
    }
    void SetText(const QString& text) override
    {
        log_.texts << text;
        if (log_.onText)
            log_.onText(text);
    }
    void SetMax(int) override {}
    void SetPosition(int) override {}
    bool Cancelled() const override { return log_.cancel; }
    void Finish() override { ++log_.finishes; }

private:
    Log& log_;
};

class CfgReadTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        QString error;
        ASSERT_TRUE(sim.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM7", sim.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com7);
        sel->Ansi()->SetTimeOut(2000);  // generous: other test programs may load the machine
        sel->SetProtocol(kAddr, prANSI);
        ASSERT_TRUE(sel->DriverOf(prANSI)->IsOpen());
        sel->SetRetryCnt(3);
        list.ReadTitle = QStringLiteral("Reading");
        list.CancelText = QStringLiteral("Stop");
        list.GroupText = QStringLiteral("Group");
        list.SetProgress(std::make_unique<ScriptedProgress>(progress));
    }
    void TearDown() override
    {
        sel.reset();
        qunsetenv("QEL_COM7");
        HexDisplay = 0;
    }

    // An inverter of the sample type that reports the sample's own number.
    std::shared_ptr<SimInverter> addSample(int type)
    {
        auto inv = qeltest::sampleInverter(kAddr, type);
        inv->setConfigNumber(inv->model().fileCfgId);
        sim.addInverter(inv);
        return inv;
    }
    static QString sampleFile(int type)
    {
        return QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs/") + TVortalinCfgList::BinFileName(type));
    }
    // Different requests of a service the simulator received (a request
    // repeated after a late answer on a loaded machine counts once).
    int requests(int service) const
    {
        std::set<std::array<uint8_t, 8>> seen;
        for (const auto& r : sim.inverter(kAddr)->handledRequests())
            if (r.service == service)
                seen.insert({r.data.b[0], r.data.b[1], r.data.b[2], r.data.b[3], r.data.b[4], r.data.b[5], r.data.b[6], r.data.b[7]});
        return int(seen.size());
    }

    // Addresses of the service-3 requests before the first group: the
    // defaults of the access and finish parameters.
    std::set<int> headerDefaults() const
    {
        std::set<int> out;
        for (const auto& r : sim.inverter(kAddr)->handledRequests()) {
            if (r.service == 10)
                break;
            if (r.service == 3)
                out.insert(r.data.u16(0));
        }
        return out;
    }

    qeltest::SimVirtualTime time;
    SimDinPtyServer sim;
    std::unique_ptr<TProtSel> sel;
    TVortalinCfgList list;
    ScriptedProgress::Log progress;
};

} // namespace

TEST_F(CfgReadTest, ReadAndSavedGivesTheBytesTheToolBuilds)
{
    for (int type : {21, 25}) {
        SCOPED_TRACE(type);
        const QByteArray expected = readFile(sampleFile(type));
        ASSERT_FALSE(expected.isEmpty()) << "build the sample_configs target";
        sim.removeInverter(kAddr);
        addSample(type);

        int retriesSeen = 0;
        progress.onText = [&](const QString&) { retriesSeen = sel->GetRetryCnt(); };
        const int index = list.ReadFromInverter(kAddr, *sel, true);
        ASSERT_GE(index, 0) << "error " << list.LastError;
        EXPECT_EQ(list.LastError, 0);
        TCfgRec* cfg = list.GetCfg(index);
        EXPECT_EQ(cfg->CfgId, type);
        EXPECT_TRUE(cfg->FileName.isEmpty());

        const QString out = path(QStringLiteral("read%1.bin").arg(type));
        ASSERT_EQ(cfg->SaveToFile(out), 0);
        EXPECT_EQ(readFile(out), expected);

        EXPECT_EQ(retriesSeen, 10);
        EXPECT_EQ(sel->GetRetryCnt(), 3);
        EXPECT_EQ(progress.title, QStringLiteral("Reading"));
        EXPECT_EQ(progress.cancelText, QStringLiteral("Stop"));
        EXPECT_EQ(progress.texts.value(0), QStringLiteral(" "));
        EXPECT_EQ(progress.texts.value(1), QStringLiteral("Group iv"));
        EXPECT_EQ(progress.starts, progress.finishes);
        list.Delete(index);
    }
}

TEST_F(CfgReadTest, SelectorHeaderInverterReadsThroughParameterFour)
{
    // The selector type's file keeps a Quintel value parameter that an
    // inverter does not report; reading leaves QuintelSel at -1.
    TVortalinCfgList ref;
    const int refIndex = ref.LoadFromFile(sampleFile(22), false);
    ASSERT_GE(refIndex, 0) << "build the sample_configs target";
    TCfgRec* expected = ref.GetCfg(refIndex);
    expected->QuintelSel = -1;

    addSample(22);
    const int index = list.ReadFromInverter(kAddr, *sel, false);
    ASSERT_GE(index, 0) << "error " << list.LastError;
    EXPECT_EQ(BuildCfgFile(*list.GetCfg(index)), BuildCfgFile(*expected));
    EXPECT_EQ(list.GetCfg(index)->QuintelCount, 37);
    // Every header value went through the selector: parameter 4 written,
    // the classic header parameters never read.
    std::set<int32_t> selectors;
    int classicReads = 0;
    for (const auto& r : sim.inverter(kAddr)->handledRequests()) {
        if (r.isWrite && r.data.u16(0) == 4)
            selectors.insert(r.data.i32(4));
        classicReads += !r.isWrite && r.service == 0 && (r.data.u16(0) == 8 || r.data.u16(0) == 42) ? 1 : 0;
    }
    EXPECT_EQ(selectors, (std::set<int32_t>{0, 1, 2, 3, 5, 6, 11}));
    EXPECT_EQ(classicReads, 0);
    EXPECT_EQ(progress.starts, 0);
}

TEST_F(CfgReadTest, QuintelCountMustFitTheConfigurationFile)
{
    // The count is the selector's upper limit + 1, kept in 16 bits by the
    // configuration file: a limit beyond that fails the read, nothing stays.
    const struct {
        int32_t upper;
        int count;  // -1: the read fails
    } cases[] = {{2147483647, -1}, {99999, -1}, {-5, -1}, {65535, -1}, {-2, -1}, {65534, 65535}, {-1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.upper);
        sim.removeInverter(kAddr);
        qelsim::SimModel model = qeltest::sampleInverter(kAddr, 22)->model();
        model.cfgId = model.fileCfgId;
        model.params.at(uint16_t(-model.quintelBase)).upper = c.upper;
        sim.addInverter(std::make_shared<SimInverter>(kAddr, model));
        const int index = list.ReadFromInverter(kAddr, *sel, false);
        if (c.count < 0) {
            EXPECT_EQ(index, -1);
            EXPECT_EQ(list.LastError, QelResult::Malformed);
            EXPECT_EQ(list.Count(), 0);
            continue;
        }
        ASSERT_GE(index, 0) << "error " << list.LastError;
        EXPECT_EQ(list.GetCfg(index)->QuintelCount, c.count);
        list.Delete(index);
    }
}

TEST_F(CfgReadTest, TypeNameIgnoresTheHexadecimalDisplay)
{
    addSample(21);
    HexDisplay = 1;
    const int index = list.ReadFromInverter(kAddr, *sel, false);
    ASSERT_GE(index, 0) << "error " << list.LastError;
    EXPECT_EQ(list.GetCfg(index)->TypeName, QStringLiteral("VX-210"));
    EXPECT_EQ(HexDisplay, 1);
}

TEST_F(CfgReadTest, AlreadyLoadedNumberTakesExactlyOneRequest)
{
    auto known = std::make_shared<TCfgRec>();
    known->CfgId = 21;
    list.Append(std::make_shared<TCfgRec>());
    list.Append(known);
    addSample(21);
    sim.clearLog();
    EXPECT_EQ(list.ReadFromInverter(kAddr, *sel, true), 1);
    EXPECT_EQ(sim.requestCount(), 1);
    ASSERT_EQ(sim.inverter(kAddr)->handledRequests().size(), 1u);
    EXPECT_EQ(sim.inverter(kAddr)->handledRequests()[0].service, QelService::Plain);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(progress.starts, 0);
    EXPECT_EQ(sel->GetRetryCnt(), 3);
}

TEST_F(CfgReadTest, RefusalsFailOrAreSkippedWhereAllowed)
{
    struct Case {
        const char* what;
        uint16_t par;
        int service;
        int error;
        int lastError;  // 0: the read succeeds
    };
    const Case cases[] = {
        {"parameter in the middle refuses its attributes", 0x0203, 4, 5, 5},
        {"group answers error 5", 0x0300, 10, 5, 5},
        {"group not available is skipped", 0x0300, 10, 2, 0},
        {"parameter not available is skipped", 0x0105, 2, 13, 0},
        {"configuration number refused", 0x160F, QelService::Plain, 4, 4},
        {"type name not available", 0x0002, 0, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim.removeInverter(kAddr);
        auto inv = addSample(21);
        inv->setRefusal(c.par, c.service, c.error);
        progress = {};
        const int index = list.ReadFromInverter(kAddr, *sel, true);
        EXPECT_EQ(sel->GetRetryCnt(), 3);
        EXPECT_EQ(progress.starts, progress.finishes);
        if (c.lastError != 0) {
            EXPECT_EQ(index, -1);
            EXPECT_EQ(list.LastError, c.lastError);
            EXPECT_EQ(list.Count(), 0);
            continue;
        }
        ASSERT_GE(index, 0) << "error " << list.LastError;
        const TCfgRec* cfg = list.GetCfg(index);
        if (c.service == 10) {
            EXPECT_EQ(cfg->GrpList.FindGroup(0x0300), nullptr);
        }
        if (c.service == 2) {
            EXPECT_EQ(cfg->FindPara(c.par), nullptr);
        }
        if (c.par == 0x0002 && c.service == 0) {
            EXPECT_EQ(cfg->TypeName, QStringLiteral("No Type"));
        }
        list.Delete(index);
    }
}

TEST_F(CfgReadTest, AccessHeaderValueAndItsDefault)
{
    // Not available: no default is asked for.
    auto inv = addSample(21);
    inv->setRefusal(0x0005, 0, 2);  // the classic access header parameter
    int index = list.ReadFromInverter(kAddr, *sel, false);
    ASSERT_GE(index, 0) << "error " << list.LastError;
    EXPECT_EQ(list.GetCfg(index)->AccessParAdr, -1);
    EXPECT_EQ(headerDefaults(), (std::set<int>{0x0007}));  // the finish default only
    list.Delete(index);

    // An access parameter without a default gets 683.
    sim.removeInverter(kAddr);
    inv = addSample(21);
    inv->setValue(0x0005, 0x0070);
    index = list.ReadFromInverter(kAddr, *sel, false);
    ASSERT_GE(index, 0) << "error " << list.LastError;
    EXPECT_EQ(list.GetCfg(index)->AccessParAdr, 0x0070);
    EXPECT_EQ(list.GetCfg(index)->AccessValue, 683);
    EXPECT_EQ(headerDefaults(), (std::set<int>{0x0070, 0x0007}));
}

TEST_F(CfgReadTest, CancelInTheFirstGroupStopsBeforeTheSecond)
{
    addSample(21);
    progress.onText = [&](const QString& text) {
        if (text.startsWith(QStringLiteral("Group")))
            progress.cancel = true;
    };
    EXPECT_EQ(list.ReadFromInverter(kAddr, *sel, true), kErrCancelled);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(requests(10), 1);
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_EQ(sel->GetRetryCnt(), 3);
}

TEST_F(CfgReadTest, SecondUploadWhileOneRunsIsRefusedWithoutTraffic)
{
    addSample(21);
    int nestedResult = 0, nestedError = 0, trafficDuring = -1;
    progress.onText = [&](const QString& text) {
        if (text != QStringLiteral("Group dr"))
            return;
        const int before = sim.requestCount();
        nestedResult = list.ReadFromInverter(kAddr, *sel, true);
        nestedError = list.LastError;
        trafficDuring = sim.requestCount() - before;
    };
    const int index = list.ReadFromInverter(kAddr, *sel, true);
    EXPECT_EQ(nestedResult, -1);
    EXPECT_EQ(nestedError, QelResult::DriverBusy);
    EXPECT_EQ(trafficDuring, 0);
    EXPECT_GE(index, 0);
    EXPECT_EQ(list.LastError, 0);
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.finishes, 1);
}

TEST_F(CfgReadTest, AddressOutsideTheRangeSendsNothing)
{
    addSample(21);
    EXPECT_EQ(list.ReadFromInverter(240, *sel, true), -1);
    EXPECT_EQ(list.LastError, QelResult::AddrRange);
    EXPECT_EQ(list.ReadFromInverter(-1, *sel, true), -1);
    EXPECT_EQ(sim.requestCount(), 0);
    EXPECT_EQ(sel->GetRetryCnt(), 3);
}

TEST_F(CfgReadTest, GroupEndsTablesSharedAndGroupOrder)
{
    // Group "aa" (index 5) ends once it holds LastPara + 1 = 4 parameters,
    // before 0x010C; "bb" (index 2) never gets its 11 and ends after offset
    // 100, before 0x0265; "cc" (index 5 again) keeps its place after "aa".
    // A0 and A1 share plain-text table 9.
    const char* source = R"({
      "cfgId": 77, "newStyle": true, "info": null,
      "plainTexts": [ { "textId": 9, "defs": [ { "mask": 3, "name": "Mode",
          "values": [ {"value": 0, "name": "Off"}, {"value": 1, "name": "On"} ] } ] } ],
      "groups": [
        { "index": 5, "idChar": "aa", "baseAddr": "0x0100", "lastPara": 3, "params": [
            {"addr": "0x0100", "name": "A0", "textId": 9}, {"addr": "0x0101", "name": "A1", "textId": 9},
            {"addr": "0x0107", "name": "A7"}, {"addr": "0x0109", "name": "A9"}, {"addr": "0x010C", "name": "A12"} ] },
        { "index": 2, "idChar": "bb", "baseAddr": "0x0200", "lastPara": 10, "params": [
            {"addr": "0x0200", "name": "B0"}, {"addr": "0x0264", "name": "B100"}, {"addr": "0x0265", "name": "B101"} ] },
        { "index": 5, "idChar": "cc", "baseAddr": "0x0300", "params": [ {"addr": "0x0305", "name": "C5"} ] }
      ] })";
    SimModel model;
    QString error;
    ASSERT_TRUE(SimModel::fromJson(source, model, &error)) << error.toStdString();
    auto inv = std::make_shared<SimInverter>(kAddr, model);
    sim.addInverter(inv);

    const int index = list.ReadFromInverter(kAddr, *sel, true);
    ASSERT_GE(index, 0) << "error " << list.LastError;
    const TCfgRec* cfg = list.GetCfg(index);

    ASSERT_EQ(cfg->GrpList.Count(), 3);
    const char* order[] = {"bb", "aa", "cc"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cfg->GrpList.GetItem(i)->IdText(), QLatin1String(order[i]));
    auto addrs = [](const TGrpRec* g) {
        std::vector<int> out;
        for (const auto& p : g->ParaList)
            out.push_back(p->Addr);
        return out;
    };
    EXPECT_EQ(addrs(cfg->GrpList.GetItem(1)), (std::vector<int>{0x0100, 0x0101, 0x0107, 0x0109}));
    EXPECT_EQ(addrs(cfg->GrpList.GetItem(0)), (std::vector<int>{0x0200, 0x0264}));
    EXPECT_EQ(cfg->FindPara(0x0264)->GetIdText(), QStringLiteral("bb00"));
    EXPECT_EQ(cfg->FindPara(0x0107)->GetIdText(), QStringLiteral("aa07"));

    std::set<int> limitsAsked[4];
    for (const auto& r : inv->handledRequests())
        if (r.service == 2)
            limitsAsked[std::min(r.data.u16(0) >> 8, 3)].insert(r.data.u16(0) & 0xFF);
    EXPECT_EQ(limitsAsked[1].size(), 10u);   // offsets 0..9
    EXPECT_EQ(limitsAsked[2].size(), 101u);  // offsets 0..100
    EXPECT_EQ(*limitsAsked[2].rbegin(), 100);
    EXPECT_EQ(limitsAsked[3].size(), 6u);    // offsets 0..5

    EXPECT_EQ(requests(12), 1);
    EXPECT_EQ(requests(9), 2);
    ASSERT_EQ(cfg->PlainTexts.Count(), 1);
    EXPECT_EQ(cfg->FindPara(0x0100)->PlainText.get(), cfg->PlainTexts.GetItem(0));
    EXPECT_EQ(cfg->FindPara(0x0101)->PlainText.get(), cfg->PlainTexts.GetItem(0));
    EXPECT_EQ(cfg->FindPara(0x0100)->ValueToText(1, 0, QLatin1Char('+'), false), QStringLiteral("On"));

    // Nothing of the header is described: every fall-back.
    EXPECT_EQ(cfg->CfgId, 77);
    EXPECT_EQ(cfg->NewStyle, 1);
    EXPECT_EQ(cfg->GroupName, QStringLiteral("No Group"));
    EXPECT_EQ(cfg->TypeName, QStringLiteral("No Type"));
    EXPECT_EQ(cfg->AccessParAdr, -1);
    EXPECT_EQ(cfg->SetPtrParAdr, -1);
    EXPECT_EQ(cfg->ActSetParAdr, -1);
    EXPECT_EQ(cfg->FinishParAdr, -1);
    EXPECT_EQ(cfg->TypeParAdr, 2);
    EXPECT_EQ(cfg->TypeValue, 77);
    EXPECT_EQ(cfg->MaxSet, 0);
    EXPECT_EQ(cfg->ScopeBase, -1);
    EXPECT_EQ(cfg->QuintelCount, 0);
    EXPECT_EQ(cfg->QuintelSel, -1);
    EXPECT_EQ(requests(3), 4 + 2 + 1);  // descriptions only: no access or finish default
    EXPECT_TRUE(headerDefaults().empty());
}
