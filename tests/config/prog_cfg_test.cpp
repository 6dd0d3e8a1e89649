#include "comm/prot_sel.h"
#include "comm/to_prop.h"
#include "config/prog_cfg.h"
#include "platform/settings_store.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

namespace {

namespace K = ProgCfgKeys;
using St = SettingsStore::Status;

QString S(const char* s) { return QString::fromLatin1(s); }

// A store with every value the main program reads, as an installation
// leaves it.
void seedFull(SettingsStore& s)
{
    s.writeDword(K::DefPrj, S("MinInvAdr"), 1);
    s.writeDword(K::DefPrj, S("MaxInvAdr"), 31);
    s.writeDword(K::DefPrj, S("Ansi"), 1);
    s.writeDword(K::DefPrj, S("Zelk"), 0x100);  // low byte zero: off
    s.writeDword(K::DefPrj, S("IBS"), 0);
    s.writeDword(K::DefPrj, S("IP"), 0x101);
    s.writeDword(K::DefPrj, S("CAN"), 0);
    s.writeDword(K::DefPrj, S("PBS"), 2);
    s.writeDword(K::DefPrj, S("Watchinterval"), 10);
    s.writeDword(K::PrjExpl, S("ShowPlainTextInfo"), 1);
    s.writeDword(K::PrjExpl, S("ShowParaInfo"), 0);
    s.writeDword(K::PrjExpl, S("ShowInvisible"), 0x100);  // whole value: on
    s.writeDword(K::PrjExpl, S("ShowSupervisor"), 0);
    s.writeString(K::Appl, S("ApplicationPath"), S("/opt/qel/"));
    s.writeString(K::Appl, S("BinPath"), S("/opt/qel/bin/"));
    s.writeString(K::Appl, S("DataPath"), S("/home/u/data/"));
    s.writeDword(K::Appl, S("lng"), 1);
    s.writeDword(K::Appl, S("CloseOnCancel"), 1);
    s.writeDword(K::Appl, S("CloseOnOK"), 0);
    s.writeDword(K::Appl, S("NoAdvHelpMenu"), 3);
    s.writeDword(K::Appl, S("ShowDecValue"), 1);
    s.writeDword(K::Appl, S("EnableFbsWindow"), 1);
    s.writeString(K::Appl, S("Separator"), S("/x"));
    s.writeDword(K::Appl, S("PtMode"), 77);
    s.writeDword(K::Appl, S("ProgLng"), 1);
    s.writeDword(K::Appl, S("SecondLng"), 2);
    s.writeString(K::Appl, S("AppName"), S("Halvorn"));
    s.writeDword(K::Appl, S("EnableAltBinPath"), 1);
    s.writeString(K::Appl, S("AlternateBinPath"), S("/alt/bin/"));
    s.writeString(K::Appl, S("AlternateApplPath"), S("/alt/appl/"));  // switch off: unused
    for (const QString& key : {K::Din, K::Zelk}) {
        s.writeDword(key, S("SendSingle"), 0);
        s.writeDword(key, S("Baudrate"), 0x104);  // low byte 4
        s.writeDword(key, S("Comport"), 1);
        s.writeDword(key, S("TimeOut"), 200);
        s.writeDword(key, S("CloseCom"), 1);
    }
    s.writeString(K::Din, S("ModemCmd"), S("ATDT123"));
    s.writeString(K::IP, S("Host"), S("192.168.0.5"));
    s.writeDword(K::IP, S("Port"), 502);
    s.writeDword(K::IP, S("TimeOut"), 300);
    s.writeDword(K::IP, S("UDP"), 1);
    s.writeString(K::CAN, S("CardId"), S("CAN1"));
    s.writeDword(K::CAN, S("Baudrate"), 8);
    s.writeDword(K::CAN, S("TimeOut"), 150);
    s.writeDword(K::CAN, S("WaitTOut"), 1);
    s.writeDword(K::PBS, S("Masteraddress"), 0x102);
    s.writeDword(K::PBS, S("Baudrate"), 10);
    s.writeDword(K::PBS, S("TimeOut"), 400);
    s.writeString(K::Manual, S("Path"), S("/opt/qel/manual.pdf"));
}

class ProgCfgTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        file = path(S("reg/registry.reg"));
        cfg.RegistryPath = file;
    }
    SettingsStore seeded() const
    {
        SettingsStore s(file);
        seedFull(s);
        return s;
    }
    QString file;
    TProgCfg cfg;
};

TEST_F(ProgCfgTest, LoadsEveryValueWithItsRules)
{
    SettingsStore s = seeded();
    ASSERT_TRUE(s.save());
    ASSERT_TRUE(cfg.LoadFromRegistry());

    EXPECT_EQ(cfg.MinInvAdr, 1);
    EXPECT_EQ(cfg.MaxInvAdr, 31);
    EXPECT_EQ(cfg.DefProts, ProtBit(prANSI) | ProtBit(prIP) | ProtBit(prPBS));
    EXPECT_EQ(cfg.Watchinterval, 10);
    EXPECT_TRUE(cfg.ShowPlainTextInfo);
    EXPECT_FALSE(cfg.ShowParaInfo);
    EXPECT_TRUE(cfg.ShowInvisible);
    EXPECT_EQ(cfg.ApplicationPath, S("/opt/qel/"));
    EXPECT_EQ(cfg.BinPath, S("/alt/bin/"));
    EXPECT_EQ(cfg.DataPath, S("/home/u/data/"));
    EXPECT_EQ(cfg.lng, 1);
    EXPECT_TRUE(cfg.CloseOnCancel);
    EXPECT_FALSE(cfg.CloseOnOK);
    EXPECT_EQ(cfg.NoAdvHelpMenu, 3);
    EXPECT_TRUE(cfg.ShowDecValue);
    EXPECT_FALSE(cfg.ChangeDownloadProperties);
    EXPECT_TRUE(cfg.EnableFbsWindow);
    EXPECT_FALSE(cfg.DwnHighPriority);
    EXPECT_EQ(cfg.Separator, S("/"));
    EXPECT_EQ(cfg.PtMode, 77);
    EXPECT_EQ(cfg.ProgLng, 1);
    EXPECT_EQ(cfg.SecondLng, 2);
    EXPECT_EQ(cfg.AppName, S("Halvorn"));
    EXPECT_TRUE(cfg.Vendor.isEmpty());
    EXPECT_EQ(cfg.Din.Baudrate, B_19200);
    EXPECT_EQ(cfg.Din.Comport, Com2);
    EXPECT_EQ(cfg.Din.TimeOut, 200);
    EXPECT_TRUE(cfg.Din.CloseCom);
    EXPECT_EQ(cfg.Din.ModemCmd, S("ATDT123"));
    EXPECT_EQ(cfg.Zelk.Baudrate, B_19200);
    EXPECT_TRUE(cfg.Zelk.ModemCmd.isEmpty());
    EXPECT_EQ(cfg.Ip, (TIpDrvCfg{S("192.168.0.5"), 502, 300, true}));
    EXPECT_EQ(cfg.Can, (TCanDrvCfg{S("CAN1"), 8, 150, true}));
    EXPECT_EQ(cfg.Pbs, (TPbsDrvCfg{2, 10, 400}));
    EXPECT_EQ(cfg.ManualPath, S("/opt/qel/manual.pdf"));
}

// One change to the full store and whether loading still succeeds.
struct LoadCase {
    const char* what;
    std::function<void(SettingsStore&)> change;
    bool loads;
};

TEST_F(ProgCfgTest, MissingAndMistypedValues)
{
    const auto del = [](const QString& key, const char* name) {
        return [key, name](SettingsStore& s) { ASSERT_EQ(s.deleteValue(key, S(name)), St::Ok); };
    };
    const auto str = [](const QString& key, const char* name) {
        return [key, name](SettingsStore& s) { s.writeString(key, S(name), S("1")); };
    };
    const auto dw = [](const QString& key, const char* name) {
        return [key, name](SettingsStore& s) { s.writeDword(key, S(name), 1); };
    };
    const auto dropKey = [](const QString& key) {
        return [key](SettingsStore& s) { ASSERT_EQ(s.deleteKey(key), St::Ok); };
    };
    const LoadCase cases[] = {
        {"nothing changed", [](SettingsStore&) {}, true},
        {"DefPrj key missing", dropKey(K::DefPrj), false},
        {"PrjExpl key missing", dropKey(K::PrjExpl), false},
        {"Appl key missing", dropKey(K::Appl), false},
        {"Din key missing", dropKey(K::Din), false},
        {"Zelk key missing", dropKey(K::Zelk), false},
        {"IP key missing", dropKey(K::IP), true},
        {"CAN key missing", dropKey(K::CAN), true},
        {"PBS key missing", dropKey(K::PBS), true},
        {"Manual key missing", dropKey(K::Manual), true},
        {"MinInvAdr missing", del(K::DefPrj, "MinInvAdr"), false},
        {"Zelk flag a string", str(K::DefPrj, "Zelk"), false},
        {"Watchinterval missing", del(K::DefPrj, "Watchinterval"), false},
        {"ShowSupervisor missing", del(K::PrjExpl, "ShowSupervisor"), false},
        {"lng a string", str(K::Appl, "lng"), false},
        {"PtMode missing", del(K::Appl, "PtMode"), false},
        {"SecondLng missing", del(K::Appl, "SecondLng"), false},
        {"ApplicationPath missing", del(K::Appl, "ApplicationPath"), true},
        {"ApplicationPath a dword", dw(K::Appl, "ApplicationPath"), false},
        {"NoAdvHelpMenu missing", del(K::Appl, "NoAdvHelpMenu"), true},
        {"NoAdvHelpMenu a string", str(K::Appl, "NoAdvHelpMenu"), false},
        {"Separator missing", del(K::Appl, "Separator"), true},
        {"Din TimeOut missing", del(K::Din, "TimeOut"), false},
        {"Din ModemCmd missing", del(K::Din, "ModemCmd"), true},
        {"Din CloseCom missing", del(K::Din, "CloseCom"), true},
        {"Din CloseCom a string", str(K::Din, "CloseCom"), false},
        {"Zelk Comport a string", str(K::Zelk, "Comport"), false},
        {"IP Port missing", del(K::IP, "Port"), false},
        {"IP Host missing", del(K::IP, "Host"), true},
        {"IP UDP a string", str(K::IP, "UDP"), false},
        {"CAN WaitTOut missing", del(K::CAN, "WaitTOut"), false},
        {"PBS TimeOut missing", del(K::PBS, "TimeOut"), false},
        {"Manual Path a dword", dw(K::Manual, "Path"), false},
    };
    for (const LoadCase& c : cases) {
        SettingsStore s = seeded();
        c.change(s);
        TProgCfg fresh;
        EXPECT_EQ(fresh.LoadFromStore(s), c.loads) << c.what;
    }
}

TEST_F(ProgCfgTest, MissingOptionalKeysLeaveDriversEmptyAndDefaultsApply)
{
    SettingsStore s = seeded();
    s.deleteKey(K::IP);
    s.deleteKey(K::CAN);
    s.deleteKey(K::PBS);
    s.writeString(K::Appl, S("Separator"), QString());
    s.deleteValue(K::Appl, S("NoAdvHelpMenu"));
    ASSERT_TRUE(cfg.LoadFromStore(s));
    EXPECT_EQ(cfg.Ip, TIpDrvCfg{});
    EXPECT_EQ(cfg.Can, TCanDrvCfg{});
    EXPECT_EQ(cfg.Pbs, TPbsDrvCfg{});
    EXPECT_EQ(cfg.Separator, S("+"));
    EXPECT_EQ(cfg.NoAdvHelpMenu, 0);
}

TEST_F(ProgCfgTest, IndexesAreClampedToTheirTables)
{
    struct Case {
        const char* what;
        quint32 stored;
        bool closeCom;
        int expected;
    };
    // Din baud rate: the +3 rule for a missing CloseCom, clamped.
    const Case baud[] = {
        {"no CloseCom, 2", 2, false, B_38400},
        {"no CloseCom, 5", 5, false, B_115200},
        {"no CloseCom, 255", 0xFF, false, B_115200},
        {"CloseCom, 9", 9, true, B_115200},
        {"CloseCom, low byte 2", 0x302, true, B_4800},
    };
    for (const Case& c : baud) {
        SettingsStore s = seeded();
        s.writeDword(K::Din, S("Baudrate"), c.stored);
        if (!c.closeCom)
            s.deleteValue(K::Din, S("CloseCom"));
        TProgCfg fresh;
        ASSERT_TRUE(fresh.LoadFromStore(s)) << c.what;
        EXPECT_EQ(fresh.Din.Baudrate, c.expected) << c.what;
        EXPECT_EQ(fresh.Din.CloseCom, c.closeCom) << c.what;
    }

    SettingsStore s = seeded();
    s.writeDword(K::Zelk, S("Comport"), 20);
    s.writeDword(K::CAN, S("Baudrate"), 99);
    s.writeDword(K::PBS, S("Baudrate"), 11);
    s.writeDword(K::IP, S("Port"), 100000);
    ASSERT_TRUE(cfg.LoadFromStore(s));
    EXPECT_EQ(cfg.Zelk.Comport, Com9);
    EXPECT_EQ(cfg.Can.Baudrate, kCanBaudCount - 1);
    EXPECT_EQ(cfg.Pbs.Baudrate, kPbsBaudCount - 1);
    EXPECT_EQ(cfg.Ip.Port, 65535);
    s.writeDword(K::IP, S("Port"), quint32(-5));
    ASSERT_TRUE(cfg.LoadFromStore(s));
    EXPECT_EQ(cfg.Ip.Port, 0);
}

TEST_F(ProgCfgTest, FailureKeepsWhatWasReadBefore)
{
    SettingsStore s = seeded();
    s.deleteValue(K::Appl, S("ProgLng"));
    ASSERT_FALSE(cfg.LoadFromStore(s));
    EXPECT_EQ(cfg.MaxInvAdr, 31);    // key before
    EXPECT_EQ(cfg.lng, 1);           // same key, before the gap
    EXPECT_EQ(cfg.SecondLng, 0);     // after the gap
    EXPECT_EQ(cfg.Din.TimeOut, 0);   // later key
}

TEST_F(ProgCfgTest, FailureLeavesTheValuesBehindItUnread)
{
    SettingsStore s = seeded();
    s.deleteValue(K::Appl, S("lng"));
    cfg.NoAdvHelpMenu = 9;
    cfg.EnableFbsWindow = true;
    cfg.Separator = S(";");
    cfg.AppName = S("old");
    cfg.Din.ModemCmd = S("ATZ");
    ASSERT_FALSE(cfg.LoadFromStore(s));
    EXPECT_EQ(cfg.DataPath, S("/home/u/data/"));  // before the gap
    EXPECT_EQ(cfg.NoAdvHelpMenu, 9);
    EXPECT_TRUE(cfg.EnableFbsWindow);
    EXPECT_EQ(cfg.Separator, S(";"));
    EXPECT_EQ(cfg.AppName, S("old"));
    EXPECT_EQ(cfg.Din.ModemCmd, S("ATZ"));
}

TEST_F(ProgCfgTest, SaveWritesTheChangeableValuesAndNotTheInstallationOnes)
{
    SettingsStore s = seeded();
    s.deleteValue(K::Din, S("CloseCom"));
    s.writeDword(K::Din, S("Baudrate"), 2);
    s.deleteKey(K::IP);
    ASSERT_TRUE(s.save());
    ASSERT_TRUE(cfg.LoadFromRegistry());
    EXPECT_EQ(cfg.Din.Baudrate, B_38400);

    // Values the dialog cannot change are never written back.
    cfg.ApplicationPath = S("/changed/");
    cfg.AppName = S("Changed");
    cfg.EnableFbsWindow = false;
    cfg.ManualPath = S("/changed.pdf");
    cfg.Watchinterval = 99;
    cfg.Separator = S("#");
    ASSERT_TRUE(cfg.SaveToRegistry());

    SettingsStore r(file);
    ASSERT_TRUE(r.load());
    quint32 d = 0;
    QString text;
    EXPECT_EQ(r.readDword(K::Din, S("CloseCom"), d), St::Ok);
    EXPECT_EQ(d, 0u);
    EXPECT_EQ(r.readDword(K::Din, S("Baudrate"), d), St::Ok);
    EXPECT_EQ(d, 5u);
    EXPECT_EQ(r.readDword(K::DefPrj, S("WATCHINTERVAL"), d), St::Ok);
    EXPECT_EQ(d, 99u);
    EXPECT_EQ(r.readDword(K::DefPrj, S("Zelk"), d), St::Ok);
    EXPECT_EQ(d, 0u);  // written as 1 or 0
    EXPECT_EQ(r.readDword(K::DefPrj, S("IP"), d), St::Ok);
    EXPECT_EQ(d, 1u);
    EXPECT_EQ(r.readString(K::Appl, S("ApplicationPath"), text), St::Ok);
    EXPECT_EQ(text, S("/opt/qel/"));
    EXPECT_EQ(r.readString(K::Appl, S("AppName"), text), St::Ok);
    EXPECT_EQ(text, S("Halvorn"));
    EXPECT_EQ(r.readDword(K::Appl, S("EnableFbsWindow"), d), St::Ok);
    EXPECT_EQ(d, 1u);
    EXPECT_EQ(r.readString(K::Manual, S("Path"), text), St::Ok);
    EXPECT_EQ(text, S("/opt/qel/manual.pdf"));
    EXPECT_TRUE(r.keyExists(K::IP));  // driver keys are written even when they were absent

    // Saved and reloaded: every written value is the same.
    TProgCfg again;
    again.RegistryPath = file;
    ASSERT_TRUE(again.LoadFromRegistry());
    EXPECT_EQ(again.OptValues().Din, cfg.Din);
    const TOptChanges none;
    EXPECT_EQ(compareOptValues(again.OptValues(), cfg.OptValues()), none);
    EXPECT_EQ(again.PtMode, 77);
    EXPECT_EQ(again.Separator, S("#"));
}

TEST_F(ProgCfgTest, LoadAndSaveReportStoreFailures)
{
    EXPECT_FALSE(cfg.LoadFromRegistry());  // no file: no keys
    ASSERT_TRUE(QDir().mkpath(file));      // a folder in place of the file
    EXPECT_FALSE(cfg.LoadFromRegistry());
    EXPECT_FALSE(cfg.SaveToRegistry());
}

class FakeDlg : public TOptDlgIface {
public:
    std::function<bool(TOptValues&)> run;
    TDriverVersionFn version;
    void SetDriverVersion(const TDriverVersionFn& fn) override { version = fn; }
    bool RunOptions(TOptValues& v) override { return run(v); }
};

TEST_F(ProgCfgTest, ExecuteTakesOverChangesAndFiresOnlyForImmediateOnes)
{
    SettingsStore s = seeded();
    ASSERT_TRUE(cfg.LoadFromStore(s));
    int fired = 0;
    cfg.OnPrgCfgChanged = [&](TProgCfg* sender) {
        EXPECT_EQ(sender, &cfg);
        ++fired;
    };
    auto dlg = std::make_unique<FakeDlg>();
    FakeDlg* fake = dlg.get();
    cfg.SetOptionDlg(std::move(dlg));

    struct Case {
        const char* what;
        std::function<void(TOptValues&)> edit;
        bool ok;
        bool modified;
        bool fires;
    };
    const Case cases[] = {
        {"cancel", [](TOptValues& v) { v.ProgLng = 3; v.Din.TimeOut = 1; }, false, false, false},
        {"nothing changed", [](TOptValues&) {}, true, false, false},
        {"program language only", [](TOptValues& v) { v.ProgLng = 4; }, true, true, false},
        {"default-project range", [](TOptValues& v) { v.MaxInvAdr = 200; }, true, true, false},
        {"default protocols", [](TOptValues& v) { v.DefProts ^= ProtBit(prCAN); }, true, true, false},
        {"DIN time-out", [](TOptValues& v) { v.Din.TimeOut = 999; }, true, true, true},
        {"separator, same first character", [](TOptValues& v) { v.Separator = v.Separator + S("zz"); }, true, false, false},
        {"separator emptied", [](TOptValues& v) { v.Separator.clear(); }, true, true, true},
        {"CAN card", [](TOptValues& v) { v.Can.CardId = S("CAN3"); }, true, true, true},
        {"parameter language", [](TOptValues& v) { v.lng = 0; }, true, true, true},
    };
    for (const Case& c : cases) {
        cfg.Modified = false;
        fired = 0;
        TOptValues expected;
        fake->run = [&](TOptValues& v) {
            c.edit(v);
            expected = v;
            return c.ok;
        };
        const TOptValues before = cfg.OptValues();
        cfg.Execute();
        EXPECT_EQ(cfg.Modified, c.modified) << c.what;
        EXPECT_EQ(fired, c.fires ? 1 : 0) << c.what;
        const TOptValues after = cfg.OptValues();
        if (c.ok)
            EXPECT_FALSE(compareOptValues(after, expected).Modified) << c.what;
        else
            EXPECT_FALSE(compareOptValues(after, before).Modified) << c.what;
    }
    EXPECT_EQ(cfg.Separator, S("+"));  // the emptied separator
}

TEST_F(ProgCfgTest, DialogAsksTheProtocolSelectorForDriverVersions)
{
    auto dlg = std::make_unique<FakeDlg>();
    FakeDlg* fake = dlg.get();
    cfg.SetOptionDlg(std::move(dlg));
    fake->run = [](TOptValues&) { return false; };
    cfg.Execute();
    EXPECT_FALSE(fake->version);  // no selector: the buttons do nothing

    TProtSel sel;
    cfg.ProtSel = &sel;
    cfg.Execute();
    ASSERT_TRUE(fake->version);
    EXPECT_EQ(fake->version(prANSI), sel.Ansi()->GetVersion());
    EXPECT_FALSE(fake->version(prANSI).isEmpty());
    EXPECT_EQ(fake->version(prZelk), sel.Zelk()->GetVersion());
    EXPECT_EQ(fake->version(prIP), sel.Ip()->GetVersion());
    EXPECT_EQ(fake->version(prCAN), sel.Can()->GetVersion());
    EXPECT_EQ(fake->version(prPBS), sel.PBS()->GetVersion());
    EXPECT_TRUE(fake->version(prOffline).isEmpty());
}

} // namespace
