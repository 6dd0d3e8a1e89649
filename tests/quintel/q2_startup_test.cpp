// The Quintel program's start-up, identification, bus scan and periodic
// re-identification against simulated inverters.

#include "q2_fixture.h"

#include "comm/custom_qel_prot.h"
#include "comm/ansi.h"

using q2::ProgramTest;

namespace {

class ProgramStartupTest : public ProgramTest {};

struct StartCase {
    const char* name;
    std::function<void(SettingsStore&)> prepare;
    bool starts;
    const char* errorBox;  // part of the error box text, "" none
    int proglng, baud, port, protocol;
};

const QString kKey = QString::fromLatin1(TCpSettings::Key);

TEST_F(ProgramStartupTest, StartUpCases)
{
    const StartCase cases[] = {
        {"installed values", [](SettingsStore&) {}, true, "", 0, 3, 5, 1},
        {"time-out missing: registry error",
         [](SettingsStore& s) { s.deleteValue(kKey, QStringLiteral("TimeOut")); }, false,
         "Error reading registry.\nProgram not properly installed.", 0, 3, 5, 1},
        {"key missing", [](SettingsStore& s) { s.deleteKey(kKey); }, false, "Error reading registry", 0, 3, 5, 1},
        {"protocol missing: DIN 66019 II",
         [](SettingsStore& s) {
             s.writeDword(kKey, QStringLiteral("Protocol"), 2);
             s.deleteValue(kKey, QStringLiteral("Protocol"));
         },
         true, "", 0, 3, 5, 1},
        {"language 9: cpe.srb without a message",
         [](SettingsStore& s) { s.writeDword(kKey, QStringLiteral("Proglng"), 9); }, true, "", 9, 3, 5, 1},
        {"language 3 without cpf.srb: one message, then English",
         [](SettingsStore& s) { s.writeDword(kKey, QStringLiteral("Proglng"), 3); }, true,
         "Quintel\nError reading language file\n", 0, 3, 5, 1},
        {"no English file: the program ends",
         [](SettingsStore& s) { s.writeString(kKey, QStringLiteral("ApplicationPath"), QStringLiteral("/nonexistent/")); },
         false, "Programm is terminating.", 0, 3, 5, 1},
        {"tables clamped, protocol 5 taken as 1",
         [](SettingsStore& s) {
             s.writeDword(kKey, QStringLiteral("Baudrate"), 12);
             s.writeDword(kKey, QStringLiteral("Comport"), 40);
             s.writeDword(kKey, QStringLiteral("Protocol"), 5);
         },
         true, "", 0, 7, 8, 1},
    };
    int n = 0;
    for (const StartCase& c : cases) {
        SCOPED_TRACE(c.name);
        freshStore(QStringLiteral("case%1.reg").arg(++n));
        c.prepare(*store);
        ASSERT_TRUE(store->save());
        ui = q2::ScriptUi();
        create();
        EXPECT_EQ(prog->FirstShow(), c.starts);
        EXPECT_EQ(ui.ended, !c.starts);
        if (*c.errorBox) {
            ASSERT_EQ(ui.errorBoxes.size(), 1u);
            EXPECT_TRUE(ui.errorBoxes[0].contains(QString::fromUtf8(c.errorBox))) << ui.errorBoxes[0].toStdString();
        } else {
            EXPECT_TRUE(ui.errorBoxes.empty());
        }
        if (c.starts) {
            EXPECT_EQ(prog->Settings.Proglng, c.proglng);
            EXPECT_EQ(prog->Settings.Baudrate, c.baud);
            EXPECT_EQ(prog->Settings.Comport, c.port);
            EXPECT_EQ(prog->Settings.Protocol, c.protocol);
            EXPECT_EQ(prog->Mode(), TQuintelProgram::cmStartUp);
            EXPECT_TRUE(prog->Timer1.isActive());
            EXPECT_EQ(prog->Texts.GetText(0, 22), QStringLiteral("Offline"));
        }
        prog.reset();
    }
}

TEST_F(ProgramStartupTest, SecondInstanceIsRefused)
{
    ASSERT_TRUE(start());
    q2::ScriptUi ui2;
    TQuintelProgram second(ui2, *store);
    second.LockDir = dir();
    EXPECT_FALSE(second.FirstShow());
    EXPECT_TRUE(ui2.ended);
    ASSERT_EQ(ui2.messages.size(), 1u);
    EXPECT_EQ(ui2.messages[0].text(), QStringLiteral("Quintel is already running."));
}

TEST_F(ProgramStartupTest, IdentifyRefinesAndLoadsOnlyOnChange)
{
    auto inv = addInverter(1, 26);  // reports 12 and has no 0x0B08: error 2
    ASSERT_TRUE(start());
    prog->Timer1.stop();
    prog->ApplySettings();
    EXPECT_EQ(prog->Identify(), 1);
    EXPECT_EQ(prog->CurCfgId, 26);
    EXPECT_EQ(prog->StaticText1, QStringLiteral("26:VX-260"));
    const TCfgRec* first = prog->Cfg.get();
    EXPECT_EQ(prog->Identify(), 0);
    EXPECT_EQ(prog->Cfg.get(), first);
    EXPECT_EQ(prog->Configurations.Count(), 1);

    // Another failure of the variant read counts as no answer.
    inv->setRefusal(0x0B08, -1, 4);
    prog->CurCfgId = -1;
    EXPECT_EQ(prog->Identify(), -1);
    EXPECT_EQ(prog->CurCfgId, -1);

    // A number without a configuration file drops the old configuration.
    din.removeInverter(1);
    din.addInverter(1, 77);
    EXPECT_EQ(prog->Identify(), -2);
    EXPECT_EQ(prog->CurCfgId, 77);
    EXPECT_FALSE(prog->Cfg);
    EXPECT_EQ(prog->Identify(), -2);
}

TEST_F(ProgramStartupTest, NoAnswerDeclinedThenTheInverterAppears)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Mode() == TQuintelProgram::cmRunning; }, 10000));
    EXPECT_EQ(ui.count(QStringLiteral("Inverter 1 does not answer")), 1);
    EXPECT_EQ(prog->Rows.Count(), 0);
    addInverter(1, 21);
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 30000));
    EXPECT_EQ(prog->CurCfgId, 21);
}

TEST_F(ProgramStartupTest, ReIdentificationFollowsANewTypeAndAnUnknownNumber)
{
    addInverter(1, 21);
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 30000));

    din.removeInverter(1);
    addInverter(1, 3);
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->CurCfgId == 3 && tableRead(4); }, 30000));
    EXPECT_EQ(prog->Rows.Count(), 4);

    // An unknown number: the table goes, its message comes once, nothing
    // polls the new inverter with the old table.
    din.removeInverter(1);
    auto unknown = din.addInverter(1, 77);
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->CurCfgId == 77; }, 30000));
    ASSERT_TRUE(qeltest::waitUntil([&] { return ui.count(QStringLiteral("configuration 77")) == 1; }));
    EXPECT_EQ(prog->Rows.Count(), 0);
    // Two more identifications.
    const size_t seen = unknown->handledRequests().size();
    ASSERT_TRUE(qeltest::waitUntil([&] { return unknown->handledRequests().size() >= seen + 2; }, 20000));
    EXPECT_EQ(ui.count(QStringLiteral("configuration 77")), 1);
    const auto handled = unknown->handledRequests();
    for (size_t k = seen; k < handled.size(); ++k)
        EXPECT_EQ(handled[k].data.u16(0), 0x160F);

    din.removeInverter(1);
    addInverter(1, 21);
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 30000));
    EXPECT_EQ(ui.count(QStringLiteral("configuration 77")), 1);
}

TEST_F(ProgramStartupTest, ScanFindsTheInverterAtAnotherAddress)
{
    addInverter(5, 21);
    ui.answers = {0};  // scan: yes
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 60000));
    EXPECT_EQ(prog->CurAdr, 5);
    EXPECT_EQ(prog->InvBtnCaption, QStringLiteral("Inverter:5"));
    SettingsStore check(store->filePath());
    ASSERT_TRUE(check.load());
    quint32 v = 0;
    check.readDword(kKey, QStringLiteral("Inverter"), v);
    EXPECT_EQ(v, 5u);
    check.readDword(kKey, QStringLiteral("Protocol"), v);
    EXPECT_EQ(v, 1u);
}

TEST_F(ProgramStartupTest, ScanGoesRoundTheRatesOnceThenReports)
{
    // From a stored 57600 the scan tries it, then 1200 to 38400 once each.
    const std::pair<int, QStringList> cases[] = {
        {3, {"COM6 9600", "COM6 19200", "COM6 38400", "COM6 1200", "COM6 2400", "COM6 4800", "COM6 9600"}},
        {6, {"COM6 57600", "COM6 1200", "COM6 2400", "COM6 4800", "COM6 9600", "COM6 19200", "COM6 38400",
             "COM6 57600"}},
    };
    int n = 0;
    for (const auto& [stored, expected] : cases) {
        SCOPED_TRACE(stored);
        freshStore(QStringLiteral("scan%1.reg").arg(++n));
        setValue("TimeOut", 20);
        setValue("Baudrate", stored);
        ui = q2::ScriptUi();
        ui.answers = {0};
        QStringList rates;
        create();
        prog->OnViewChanged = [&] {
            if (!prog->ComBtnCaption.isEmpty() && (rates.isEmpty() || rates.back() != prog->ComBtnCaption))
                rates << prog->ComBtnCaption;
        };
        ASSERT_TRUE(prog->FirstShow());
        ASSERT_TRUE(qeltest::waitUntil([&] { return ui.count(QStringLiteral("No inverter was found on COM6")) == 1; }, 60000));
        EXPECT_EQ(rates, expected);
        EXPECT_EQ(prog->CurAdr, 1);
        EXPECT_EQ(prog->Mode(), TQuintelProgram::cmRunning);
        prog.reset();
    }
}

TEST_F(ProgramStartupTest, ScanFindsZelkAtAddressZero)
{
    qelsim::SimZelkPty zelk;
    QString error;
    ASSERT_TRUE(zelk.start({}, &error)) << error.toStdString();
    zelk.addInverter(q2::sampleInverter(0, 21));
    qputenv("QEL_COM6", zelk.path().toLocal8Bit());
    setValue("TimeOut", 300);
    ui.answers = {0};
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 60000));
    EXPECT_EQ(prog->CurAdr, 0);
    EXPECT_EQ(prog->Settings.Protocol, 2);
    EXPECT_EQ(prog->ProtSelect->GetActiveProtocol(0), prZelk);
}

}  // namespace

namespace {

// The DIN 66019 II driver, refusing the next writes it is asked to send.
class RefusingAnsi : public TAnsi {
public:
    int refuseWrites = 0;
    int refused = 0;
    int WriteParaReq(int Addr, int Service, const TTelData& Data) override
    {
        if (refuseWrites > 0) {
            --refuseWrites;
            ++refused;
            return -101;
        }
        return TAnsi::WriteParaReq(Addr, Service, Data);
    }
};

TEST_F(ProgramStartupTest, ARefusedSendIsBuiltAgainAndPollingGoesOn)
{
    auto inv = addInverter(1, 21);
    RefusingAnsi* driver = nullptr;
    create([&](TProt kind) -> std::unique_ptr<tCustomQelProt> {
        if (kind != prANSI)
            return nullptr;
        auto d = std::make_unique<RefusingAnsi>();
        driver = d.get();
        return d;
    });
    ASSERT_TRUE(driver);
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 30000));
    driver->refuseWrites = 2;
    ui.onEdit = [](const std::shared_ptr<TParaRec>&, const QString&, int32_t& v) {
        v = 550;
        return true;
    };
    prog->SelectedRow = 1;
    prog->EditReq = true;
    ASSERT_TRUE(qeltest::waitUntil([&] { return inv->value(0x101, 0) == 550; }, 10000));
    EXPECT_EQ(driver->refused, 2);
    inv->setValue(0x103, 750);
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Rows.Row(3).ValueText == QStringLiteral("7.50 s"); }));
    EXPECT_TRUE(ui.messages.empty());
}

// The periodic identification reads the table again while it cannot be
// read; its message comes once per fault: again only after the table was
// read and a new reading failed.
TEST_F(ProgramStartupTest, UnreadableDefinitionsAreReportedOncePerFault)
{
    const QString failed = QStringLiteral("could not be read");
    auto identifications = [](const qelsim::SimInverter& inv) {
        int n = 0;
        for (const auto& r : inv.handledRequests())
            n += !r.isWrite && r.data.u16(0) == 0x160F;
        return n;
    };
    // Four periodic identifications (ten seconds of the cycle) at once.
    auto identifyFourTimes = [&](const qelsim::SimInverter& inv) {
        for (int k = 0; k < 4; ++k) {
            const int seen = identifications(inv);
            prog->CycleCount = TQuintelProgram::IdentifyEvery;
            ASSERT_TRUE(qeltest::waitUntil([&] { return identifications(inv) > seen; }, 10000));
            ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Engine.Status != -2; }, 10000));
        }
    };
    auto inv = addInverter(1, 21);
    inv->setRefusal(0x0E00, -1, 4);
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return ui.count(failed) == 1; }, 30000));
    identifyFourTimes(*inv);
    EXPECT_EQ(ui.count(failed), 1);

    // Recovery, then another inverter that refuses: a new fault.
    inv->setRefusal(0x0E00, -1, 0);
    prog->CycleCount = TQuintelProgram::IdentifyEvery;
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 30000));
    din.removeInverter(1);
    auto other = addInverter(1, 3);
    other->setRefusal(0x0E00, -1, 4);
    prog->CycleCount = TQuintelProgram::IdentifyEvery;
    ASSERT_TRUE(qeltest::waitUntil([&] { return ui.count(failed) == 2; }, 30000));
    identifyFourTimes(*other);
    EXPECT_EQ(ui.count(failed), 2);
}

TEST_F(ProgramStartupTest, UnreadableDefinitionsAreReportedOnceAndReadAgain)
{
    auto inv = addInverter(1, 21);
    inv->setRefusal(0x0E00, -1, 4);
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return ui.count(QStringLiteral("could not be read")) == 1; }, 30000));
    EXPECT_EQ(prog->Rows.Count(), 0);
    inv->setRefusal(0x0E00, -1, 0);
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 30000));
    EXPECT_EQ(ui.count(QStringLiteral("could not be read")), 1);
}

}  // namespace

namespace {

TEST_F(ProgramStartupTest, ScanFindsTheInverterAtItsOwnRate)
{
    // The simulated line answers only at 19200 bit/s; the stored rate is 9600.
    din.setLineRate(19200);
    addInverter(1, 21);
    setValue("TimeOut", 200);
    ui.answers = {0};  // scan: yes
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 60000));
    EXPECT_EQ(ui.count(QStringLiteral("Inverter 1 does not answer")), 1);
    EXPECT_EQ(prog->ComBtnCaption, QStringLiteral("COM6 19200"));
    SettingsStore check(store->filePath());
    ASSERT_TRUE(check.load());
    quint32 v = 0;
    check.readDword(kKey, QStringLiteral("Baudrate"), v);
    EXPECT_EQ(v, 4u);
    check.readDword(kKey, QStringLiteral("Inverter"), v);
    EXPECT_EQ(v, 1u);
}

}  // namespace
