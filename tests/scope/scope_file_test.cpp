// Recording files: exact bytes written, reading back from hand-written
// bytes, damaged files, the configuration-number reader, the inverter
// matching of a load, the export text and failed saves.

#include "scope/scope_file.h"

#include "scope_fixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using scopetest::Bytes;

namespace {

class ScopeFileTest : public scopetest::ScopeTest {
protected:
    // Channels A (0x0105, set 0) and C (0x0109, set 2) on inverter 1, and
    // three samples with deltas 1, 2, 2.
    void recordOnInverter1()
    {
        addInv(1);
        eng.ScopeInv = 1;
        for (TScopeChannel& c : eng.Setup.Chan)
            c.Inverter = 1;
        eng.Setup.Chan[0].Address = 0x0105;
        eng.Setup.Chan[2].Address = 0x0109;
        eng.Setup.Chan[2].SetSel = 2;
        eng.CheckChannels();
        eng.StartDate = 45000.5;
        eng.Ring[0] = {{10, 0, -3, 0}, 1};
        eng.Ring[1] = {{11, 0, 70000, 0}, 2};
        eng.Ring[2] = {{-12, 0, 5, 0}, 2};
        eng.RingStart = 0;
        eng.RingEnd = 2;
        eng.Unsaved = true;
        screen->scroll = 7;
    }

    // The slot records of recordOnInverter1 (one-inverter layout), with
    // slot 4's scroll position 7.
    static Bytes slotBytes(Bytes b)
    {
        b.i32(0x0105).i32(0).i32(0).i32(1).i32(0x0000FF).i32(0).i32(1000).i32(-1).i32(0);
        b.i32(-1).i32(0).i32(0).i32(1).i32(0xFF0000).i32(0).i32(0).i32(1000).i32(0xC0C0C0);
        b.i32(0x0109).i32(2).i32(0).i32(1).i32(0x008000).i32(0).i32(999999999).i32(0).i32(0);
        b.i32(-1).i32(0).i32(0).i32(1).i32(0x00FFFF).i32(0).i32(0).i32(0).i32(0);
        b.i32(-1).i32(0).i32(7).i32(0).i32(0).i32(0).i32(2).i32(0).i32(0);
        return b;
    }
    static Bytes samples(Bytes b)
    {
        b.i32(2);
        b.i32(10).i32(0).i32(-3).i32(0).u16(1);
        b.i32(11).i32(0).i32(70000).i32(0).u16(2);
        b.i32(-12).i32(0).i32(5).i32(0).u16(2);
        return b;
    }
    static QByteArray oneInverterFile(bool notes)
    {
        Bytes b;
        b.i32(0x390A4B05).i32(notes ? 266 : 0).i32(21).i32(1000).f64(45000.5).i32(4);
        b = samples(slotBytes(b));
        if (notes)
            b.i32(2).raw(QByteArray("\x02" "ab\x00", 4));
        b.i32(int32_t(0xA55AA55A));
        return b.b;
    }
};

TEST_F(ScopeFileTest, OneInverterFileBytesWithAndWithoutNotesAndReadBack)
{
    recordOnInverter1();
    const QString f = path(QStringLiteral("rec.sc5"));
    ASSERT_EQ(eng.SaveToFile(f), 0);
    EXPECT_EQ(readBytes(f), oneInverterFile(false));
    EXPECT_FALSE(eng.Unsaved);
    EXPECT_EQ(eng.FileName, f);

    eng.ScopeNotes = QStringList{QStringLiteral("ab"), QString()};
    ASSERT_EQ(eng.SaveToFile(f), 0);
    EXPECT_EQ(readBytes(f), oneInverterFile(true));

    // Read back from hand-written bytes into another scope of the project.
    TScopeEngine other;
    other.Project = &prj;
    other.Interaction = ui;
    other.ScopeInv = 1;
    const QString g = writeFile(QStringLiteral("hand.sc5"), oneInverterFile(true));
    ASSERT_EQ(other.LoadFromFile(g), 0);
    EXPECT_TRUE(ui->shown.empty());
    EXPECT_EQ(other.RingStart, 0);
    EXPECT_EQ(other.RingEnd, 2);
    EXPECT_EQ(other.Ring[1].ChanVal[2], 70000);
    EXPECT_EQ(other.Ring[2].ChanVal[0], -12);
    EXPECT_EQ(other.Ring[2].TimeDelta, 2);
    EXPECT_EQ(other.RecTime, 5);
    EXPECT_EQ(other.StartDate, 45000.5);
    EXPECT_EQ(other.ScopeNotes, (QStringList{QStringLiteral("ab"), QString()}));
    EXPECT_EQ(other.Setup.Chan[2].Address, 0x0109);
    EXPECT_EQ(other.Setup.Chan[2].SetSel, 2);
    EXPECT_NE(other.Setup.Chan[2].Para, nullptr);  // resolved on inverter 1
    EXPECT_EQ(other.Setup.Chan[0].Colour, 0x0000FFu);
    EXPECT_EQ(other.Setup.ScrollPos(), 7);
    EXPECT_EQ(other.Setup.TrigChannel(), -1);
    EXPECT_EQ(other.FileName, g);
    EXPECT_FALSE(other.Unsaved);
    EXPECT_FALSE(other.FileLoading);
    other.Ring.fill(TScopeSample{});
}

TEST_F(ScopeFileTest, MultiInverterFileBytes)
{
    addInv(3, 21);
    addInv(7, 22);
    eng.ScopeInv = 3;
    eng.Setup.Chan[0].Address = 0x0105;
    eng.Setup.Chan[0].Inverter = 3;
    eng.Setup.Chan[1].Address = 0x0101;
    eng.Setup.Chan[1].Inverter = 7;
    eng.Setup.Chan[2].Inverter = 3;
    eng.Setup.Chan[3].Inverter = 100;  // left the project: number 0
    eng.Setup.Chan[4].Inverter = 3;
    eng.StartDate = 1.25;
    eng.Ring[0] = {{1, 2, 3, 4}, 1};
    eng.RingEnd = 0;
    const QString f = path(QStringLiteral("multi"));
    ASSERT_EQ(eng.SaveToFile(f), 0);

    Bytes b;
    b.i32(0x390A4B06).i32(0).i32(21).i32(1000).f64(1.25).i32(4);
    b.i32(0x0105).i32((3 << 16) + 21).i32(0).i32(0).i32(1).i32(0x0000FF).i32(0).i32(1000).i32(-1).i32(0);
    b.i32(0x0101).i32((7 << 16) + 22).i32(0).i32(0).i32(1).i32(0xFF0000).i32(0).i32(0).i32(1000).i32(0xC0C0C0);
    b.i32(-1).i32((3 << 16) + 21).i32(0).i32(0).i32(1).i32(0x008000).i32(0).i32(999999999).i32(0).i32(0);
    b.i32(-1).i32(100 << 16).i32(0).i32(0).i32(1).i32(0x00FFFF).i32(0).i32(0).i32(0).i32(0);
    b.i32(-1).i32((3 << 16) + 21).i32(0).i32(0).i32(0).i32(0).i32(0).i32(2).i32(0).i32(0);
    b.i32(0).i32(1).i32(2).i32(3).i32(4).u16(1).i32(int32_t(0xA55AA55A));
    EXPECT_EQ(readBytes(f), b.b);

    int A = 9, B = 9, C = 9, D = 9;
    EXPECT_EQ(ReadScopeFileCfgIds(f, A, B, C, D), 0);
    EXPECT_EQ(std::vector<int>({A, B, C, D}), std::vector<int>({21, 22, 21, 0}));

    // Loaded again: each channel keeps its own inverter; D's number 0 is
    // asked about (No: it takes the scope's inverter).
    eng.Setup = TScopeSetup{};
    ui->answers = {1};
    ASSERT_EQ(eng.LoadFromFile(f), 0);
    // (1,47): channels on two inverters cannot use the fast read.
    EXPECT_EQ(shownTexts(), (QStringList{QStringLiteral("0.44"), QStringLiteral("1.47")}));
    EXPECT_EQ(ui->shown[0].P1, QStringLiteral("0"));
    EXPECT_EQ(eng.Setup.Chan[0].Inverter, 3);
    EXPECT_EQ(eng.Setup.Chan[1].Inverter, 7);
    EXPECT_EQ(eng.Setup.Chan[3].Inverter, 3);
    EXPECT_NE(eng.Setup.Chan[1].Para, nullptr);
}

TEST_F(ScopeFileTest, WrappedRingIsWrittenOldestFirstAndLongFilesLoadTheRing)
{
    addInv(1);
    eng.ScopeInv = 1;
    eng.Setup.Chan[0].Address = 0x0105;
    eng.Setup.Chan[0].Inverter = 1;
    for (int i = 0; i < kScopeRingSize; ++i)
        eng.Ring[i] = {{i, 0, 0, 0}, 1};
    eng.Wrapped = true;
    eng.LastIndex = kScopeLastIndex;
    eng.RingEnd = 4;
    eng.RingStart = 5;
    const QString f = path(QStringLiteral("wrapped.sc5"));
    ASSERT_EQ(eng.SaveToFile(f), 0);
    const QByteArray bytes = readBytes(f);
    TScopeFileImage img;
    ASSERT_EQ(ParseScopeFile(bytes, img), sfOk);
    ASSERT_EQ(img.Samples.size(), size_t(kScopeRingSize));
    EXPECT_EQ(img.Samples[0].ChanVal[0], 5);
    EXPECT_EQ(img.Samples[kScopeLastIndex].ChanVal[0], 4);

    // A recording that had lowered LastIndex still loads every sample; a
    // file with M above 10000 loads 10001.
    eng.LastIndex = 500;
    eng.Wrapped = false;
    eng.Unsaved = false;
    QByteArray longer = bytes;
    Bytes m;
    m.i32(20000);
    longer.replace(28 + 5 * 36, 4, m.b);
    ASSERT_EQ(eng.LoadFromFile(writeFile(QStringLiteral("long.sc5"), longer)), 0);
    EXPECT_EQ(eng.RingStart, 0);
    EXPECT_EQ(eng.RingEnd, kScopeLastIndex);
    EXPECT_EQ(eng.LastIndex, kScopeLastIndex);
    EXPECT_EQ(eng.Ring[kScopeLastIndex].ChanVal[0], 4);
}

// Damaged files: what stays, what is taken, what is shown.
TEST_F(ScopeFileTest, DamagedFiles)
{
    recordOnInverter1();
    const QByteArray good = oneInverterFile(true);
    const int slotsEnd = 28 + 5 * 36;
    auto withInt = [&](int at, int32_t v) {
        QByteArray b = good;
        Bytes x;
        x.i32(v);
        b.replace(at, 4, x.b);
        return b;
    };
    auto withDouble = [&](int at, double v) {
        QByteArray b = good;
        Bytes x;
        x.f64(v);
        b.replace(at, 8, x.b);
        return b;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        bool taken;        // the file's recording replaces the one in memory
        const char* text;  // message shown ("" none)
        int ringEnd;       // when taken
        int notes;         // when taken
    };
    const Case cases[] = {
        {"wrong magic", withInt(0, 0x12345678), false, "0.25", 0, 0},
        {"header cut", good.left(20), false, "0.29", 0, 0},
        {"slot record cut", good.left(100), false, "0.29", 0, 0},
        {"four slot records", withInt(24, 3), false, "0.25", 0, 0},
        {"negative sample count", withInt(slotsEnd, -2), false, "0.25", 0, 0},
        {"samples cut", good.left(slotsEnd + 4 + 18 + 10), true, "0.29", 0, 0},
        {"no samples", good.left(slotsEnd), true, "0.29", 0, 0},
        {"notes beyond the end", withInt(4, 5000), true, "0.29", 2, 0},
        {"notes cut", good.left(266 + 4 + 2), true, "0.29", 2, 0},
        {"no notes", withInt(4, 0), true, "", 2, 0},
        {"date not finite", withDouble(16, std::numeric_limits<double>::quiet_NaN()), true, "", 2, 2},
    };
    auto restoreOld = [&] {
        eng.Setup.TimeBase() = 777;
        eng.FileName = QStringLiteral("old");
        eng.Ring[1].ChanVal[2] = 70000;
        eng.RingStart = 0;
        eng.RingEnd = 2;
        eng.ScopeNotes = QStringList{QStringLiteral("keep")};
        eng.Unsaved = false;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restoreOld();
        ui->shown.clear();
        const QString f = writeFile(QStringLiteral("bad.sc5"), c.bytes);
        eng.LoadFromFile(f);
        EXPECT_EQ(shownTexts(), c.text[0] ? QStringList{QString::fromLatin1(c.text)} : QStringList{});
        if (std::string(c.text) == "0.29") {
            EXPECT_EQ(ui->shown[0].P2, QStringLiteral("100"));
        }
        EXPECT_FALSE(eng.FileLoading);
        if (!c.taken) {
            EXPECT_EQ(eng.FileName, QStringLiteral("old"));
            EXPECT_EQ(eng.RingEnd, 2);
            EXPECT_EQ(eng.Ring[1].ChanVal[2], 70000);
            EXPECT_EQ(eng.ScopeNotes, QStringList{QStringLiteral("keep")});
            EXPECT_EQ(eng.Setup.TimeBase(), 777);
            continue;
        }
        EXPECT_EQ(eng.FileName, f);
        EXPECT_EQ(eng.RingEnd, c.ringEnd);
        EXPECT_EQ(eng.ScopeNotes.size(), c.notes);
        EXPECT_EQ(eng.Setup.TimeBase(), 1000);
        EXPECT_TRUE(std::isfinite(eng.StartDate));
        if (std::string(c.name) == "no samples") {
            EXPECT_EQ(eng.Ring[0].ChanVal[0], 0);
        }
        if (std::string(c.name) == "samples cut") {
            EXPECT_EQ(eng.Ring[0].ChanVal[0], 10);
        }
    }
}

TEST_F(ScopeFileTest, SettingsOutOfRangeAreBroughtIntoRange)
{
    addInv(1);
    eng.ScopeInv = 1;
    Bytes b;
    b.i32(0x390A4B05).i32(0).i32(21).i32(0).f64(std::numeric_limits<double>::infinity()).i32(4);
    b.i32(0x0105).i32(9).i32(0).i32(0).i32(0).i32(0).i32(0).i32(7).i32(0);      // set 9, factor 0, time base 0, trigger 7
    b.i32(-1).i32(-5).i32(0).i32(-1).i32(0).i32(0).i32(90000).i32(-4).i32(0);   // cycle 90000, delay -4
    b.i32(-1).i32(0).i32(0).i32(1).i32(0).i32(0).i32(5).i32(6).i32(0);          // max read time 5, slope 6
    b.i32(-1).i32(0).i32(0).i32(1).i32(0).i32(0).i32(3).i32(4).i32(0);          // roll 3, offline 4
    b.i32(-1).i32(0).i32(0).i32(9).i32(0).i32(0).i32(2).i32(0).i32(0);          // X/Y 9
    b.i32(0).i32(1).i32(2).i32(3).i32(4).u16(1).i32(int32_t(0xA55AA55A));
    ASSERT_EQ(eng.LoadFromFile(writeFile(QStringLiteral("range.sc5"), b.b)), 0);
    const TScopeSetup& s = eng.Setup;
    EXPECT_EQ(s.Chan[0].SetSel, 7);
    EXPECT_EQ(s.Chan[1].SetSel, -1);
    EXPECT_EQ(s.Chan[0].YFactor, 1);
    EXPECT_EQ(s.TimeBase(), 1);
    EXPECT_EQ(s.TrigChannel(), -1);
    EXPECT_EQ(s.ReadCycle(), 60000);
    EXPECT_EQ(s.TrigDelay(), 0);
    EXPECT_EQ(s.MaxReadTime(), 1000);
    EXPECT_EQ(s.TrigSlope(), 3);
    EXPECT_EQ(const_cast<TScopeSetup&>(s).RollMode(), 1);
    EXPECT_EQ(s.OfflineMode(), 1);  // type 21 has an offline block
    EXPECT_EQ(s.XYChannel(), 4);
    EXPECT_EQ(eng.StartDate, 0);
}

TEST_F(ScopeFileTest, MatchingInvertersOnLoad)
{
    addInv(1);
    eng.ScopeInv = 1;
    // A one-inverter file of number 22, which no inverter has.
    QByteArray file = oneInverterFile(false);
    file[8] = char(22);
    const QString f = writeFile(QStringLiteral("m.sc5"), file);

    // Cancel: nothing changes (the old recording stays).
    eng.FileName = QStringLiteral("old");
    ui->answers = {2};
    EXPECT_EQ(eng.LoadFromFile(f), 1);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("0.44")});
    EXPECT_EQ(ui->shown[0].P1, QStringLiteral("22"));
    EXPECT_EQ(eng.FileName, QStringLiteral("old"));
    EXPECT_FALSE(eng.FileLoading);

    // No: every slot takes the scope's inverter, resolved there by address.
    ui->shown.clear();
    ui->answers = {1};
    EXPECT_EQ(eng.LoadFromFile(f), 0);
    EXPECT_EQ(eng.FileName, f);
    for (const TScopeChannel& c : eng.Setup.Chan)
        EXPECT_EQ(c.Inverter, 1);
    EXPECT_NE(eng.Setup.Chan[0].Para, nullptr);

    // Multi-inverter: a slot naming inverter 300 becomes 1 before the
    // matching; a declined number is asked once when the scope's inverter
    // can stand in, and later channels of it take the scope's number.
    Bytes b;
    b.i32(0x390A4B06).i32(0).i32(21).i32(1000).f64(0).i32(4);
    b.i32(0x0105).i32((300 << 16) + 21).i32(0).i32(0).i32(1).i32(0).i32(0).i32(1000).i32(-1).i32(0);
    b.i32(0x0105).i32((5 << 16) + 26).i32(0).i32(0).i32(1).i32(0).i32(0).i32(0).i32(1000).i32(0);
    b.i32(0x0105).i32((6 << 16) + 26).i32(0).i32(0).i32(1).i32(0).i32(0).i32(1000).i32(0).i32(0);
    b.i32(-1).i32((6 << 16) + 26).i32(0).i32(0).i32(1).i32(0).i32(0).i32(0).i32(0).i32(0);
    b.i32(-1).i32(0).i32(0).i32(0).i32(0).i32(0).i32(0).i32(2).i32(0).i32(0);
    b.i32(0).i32(1).i32(2).i32(3).i32(4).u16(1).i32(int32_t(0xA55AA55A));
    ui->shown.clear();
    ui->answers = {1};
    EXPECT_EQ(eng.LoadFromFile(writeFile(QStringLiteral("multi.sc5"), b.b)), 0);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("0.44")});  // 26 asked once
    EXPECT_EQ(eng.Setup.Chan[0].Inverter, 1);  // 300 -> 1, which has 21
    EXPECT_EQ(eng.Setup.Chan[1].Inverter, 1);  // 5 not in the project: the scope's
    EXPECT_EQ(eng.Setup.Chan[2].Inverter, 1);  // took 21, found on 1
    EXPECT_EQ(eng.ScopeInv, 1);
}

TEST_F(ScopeFileTest, FindInverterByCfg)
{
    addInv(4, 22);
    addInv(2, 22);
    eng.ScopeInv = 4;
    EXPECT_EQ(eng.FindInverterByCfg(22), 2);
    EXPECT_TRUE(ui->shown.empty());
    ui->answers = {1};
    EXPECT_EQ(eng.FindInverterByCfg(21), -1);
    ui->answers = {2};
    EXPECT_EQ(eng.FindInverterByCfg(21), -2);
    eng.ScopeInv = 9;  // not in the project: Cancel cannot cancel
    ui->answers = {2};
    EXPECT_EQ(eng.FindInverterByCfg(21), -1);
    // Yes: the project's inverter dialog; declined it gives -1, accepted
    // the new inverter at the first free address from 1.
    ui->answers = {0};
    EXPECT_EQ(eng.FindInverterByCfg(21), -1);
    EXPECT_EQ(ui->shown.back().Buttons, sbYesNoCancel);
    struct Accept : IPrjInteraction {
        int Message(const QStringList&, const QStringList&, const QString&, int, const QString&, const QString&,
                    const QString&, int, int Cancel) override
        {
            return Cancel;
        }
        QString ChooseSaveFile(const TSaveDlgOptions&) override { return {}; }
        int ChooseCfg(int, bool) override { return -1; }
        bool EditInv(TInvEditData& d) override
        {
            seen = d;
            return true;
        }
        int AskAddFile(const QString&, const QStringList&) override { return -2; }
        TInvEditData seen;
    };
    auto accept = std::make_shared<Accept>();
    prj.SetInteraction(accept);
    ui->answers = {0};
    EXPECT_EQ(eng.FindInverterByCfg(21), 1);
    EXPECT_EQ(accept->seen.CfgId, 21);
    EXPECT_FALSE(accept->seen.EditCfg);
    EXPECT_EQ(accept->seen.Prot, prOffline);
    ASSERT_NE(prj.GetInv(1), nullptr);
    EXPECT_EQ(eng.FindInverterByCfg(21), 1);
}

TEST_F(ScopeFileTest, ReadScopeFileCfgIds)
{
    int A, B, C, D;
    EXPECT_EQ(ReadScopeFileCfgIds(path(QStringLiteral("missing.sc5")), A, B, C, D), -1);
    const QByteArray one = oneInverterFile(true);
    EXPECT_EQ(ReadScopeFileCfgIds(writeFile(QStringLiteral("a.sc5"), one), A, B, C, D), 0);
    EXPECT_EQ(std::vector<int>({A, B, C, D}), std::vector<int>({21, 21, 21, 21}));
    QByteArray bad = one;
    bad[0] = 0;
    EXPECT_EQ(ReadScopeFileCfgIds(writeFile(QStringLiteral("b.sc5"), bad), A, B, C, D), 0);
    EXPECT_EQ(std::vector<int>({A, B, C, D}), std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(ReadScopeFileCfgIds(writeFile(QStringLiteral("c.sc5"), one.left(100)), A, B, C, D), -1);
    EXPECT_EQ(ReadScopeFileCfgIds(writeFile(QStringLiteral("d.sc5"), one.left(2)), A, B, C, D), -1);
    // The slot records are all a reader needs.
    EXPECT_EQ(ReadScopeFileCfgIds(writeFile(QStringLiteral("e.sc5"), one.left(28 + 5 * 36)), A, B, C, D), 0);
}

TEST_F(ScopeFileTest, EveryCutOfAFileIsReadSafely)
{
    const QByteArray good = oneInverterFile(true);
    const int slotsEnd = 28 + 5 * 36;
    for (int n = 0; n <= good.size(); ++n) {
        SCOPED_TRACE(n);
        const QByteArray cut = good.left(n);
        TScopeFileImage img;
        const TScopeFileResult r = ParseScopeFile(cut, img);
        EXPECT_EQ(r, n < slotsEnd ? sfShortHeader : n < 266 + 8 ? sfShortData : sfOk);
        if (r == sfShortData || r == sfOk) {
            const size_t whole = n >= slotsEnd + 4 ? std::min<size_t>((n - slotsEnd - 4) / 18, 3) : 0;
            EXPECT_EQ(img.Samples.size(), std::max<size_t>(whole, 1));
        }
        int A, B, C, D;
        EXPECT_EQ(ReadScopeFileCfgIds(QByteArrayView(cut), A, B, C, D), n < slotsEnd ? -1 : 0);
    }
}

TEST_F(ScopeFileTest, ExportText)
{
    recordOnInverter1();
    eng.AppName = QStringLiteral("Halvorn");
    eng.FileName = QStringLiteral("/x/rec.sc5");
    eng.ScopeNotes = QStringList{QStringLiteral("Läuft"), QString()};
    const QByteArray expected = QByteArray("Halvorn,/x/rec.sc5, , , ,\r\nL\xE4uft\r\n\r\nTIME ,")
        + eng.Setup.Chan[0].Para->GetIdText().toLatin1() + ",OFF," + eng.Setup.Chan[2].Para->GetIdText().toLatin1()
        + ",OFF,\r\n1,10,0,-3,0,\r\n3,11,0,70000,0,\r\n5,-12,0,5,0,\r\n";
    EXPECT_EQ(eng.ExportText(), expected);

    ui->files = {path(QStringLiteral("out"))};
    EXPECT_EQ(eng.DoExport(), 0);
    EXPECT_EQ(ui->proposals.back(), QStringLiteral("/x/rec"));
    EXPECT_EQ(ui->options.back().FilterIndex, 2);
    EXPECT_EQ(readBytes(path(QStringLiteral("out.se5"))), expected);
    // An existing file is asked about; No keeps it.
    ui->files = {path(QStringLiteral("out.se5"))};
    ui->answers = {1};
    eng.AppName = QStringLiteral("Other");
    EXPECT_EQ(eng.DoExport(), 1);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("0.13")});
    EXPECT_EQ(readBytes(path(QStringLiteral("out.se5"))), expected);
}

TEST_F(ScopeFileTest, SaveAskedForAndFailedSaveKeepsUnsavedAndTheOldFile)
{
    recordOnInverter1();
    // While recording nothing is saved or exported.
    eng.RecState = TScopeEngine::recSampling;
    EXPECT_EQ(eng.SaveToFile(path(QStringLiteral("x.sc5"))), 1);
    EXPECT_EQ(eng.DoExport(), 1);
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("x.sc5"))));
    eng.RecState = TScopeEngine::recIdle;

    // Save as: the dialog's name gets ".sc5".
    eng.DataPath = dir();
    ui->files = {path(QStringLiteral("chosen.txt"))};
    ASSERT_EQ(eng.SaveToFile(QString()), 0);
    EXPECT_EQ(eng.FileName, path(QStringLiteral("chosen.sc5")));
    EXPECT_EQ(ui->options.back().InitialDir, dir());

    // A folder that cannot take the file: (0,30), Unsaved stays.
    eng.Unsaved = true;
    const QString old = eng.FileName;
    ASSERT_EQ(eng.SaveToFile(path(QStringLiteral("no/such/folder.sc5"))), 1);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("0.30")});
    EXPECT_TRUE(eng.Unsaved);
    EXPECT_EQ(eng.FileName, old);

    // Loading asks about the unsaved recording: Cancel loads nothing.
    ui->shown.clear();
    ui->answers = {2};
    EXPECT_EQ(eng.LoadFromFile(old), 1);
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("0.24")});
    EXPECT_TRUE(eng.Unsaved);
    // No: loads.
    ui->answers = {1};
    EXPECT_EQ(eng.LoadFromFile(old), 0);
    EXPECT_FALSE(eng.Unsaved);

    // A note line longer than 255 bytes is cut.
    eng.ScopeNotes = QStringList{QString(300, u'x')};
    ASSERT_EQ(eng.SaveToFile(old), 0);
    TScopeFileImage img;
    ASSERT_EQ(ParseScopeFile(readBytes(old), img), sfOk);
    EXPECT_EQ(img.Notes.value(0).size(), 255);
}

TEST_F(ScopeFileTest, AddProjLinksTheFileToTheScopesInverter)
{
    recordOnInverter1();
    const QString f = path(QStringLiteral("link.sc5"));
    ASSERT_EQ(eng.SaveToFile(f), 0);
    eng.AddProj1Click();
    EXPECT_EQ(prj.FindFile(f), 1);
    eng.AddProj1Click();  // already linked: nothing
    EXPECT_EQ(prj.GetInv(1)->ScopeFiles.size(), 1);
}

TEST(ScopeSetNumberText, Sets)
{
    EXPECT_EQ(SetNumberText(-1), QStringLiteral("I"));
    EXPECT_EQ(SetNumberText(3), QStringLiteral("3"));
    EXPECT_EQ(SetNumberText(0), QStringLiteral("0"));
}

} // namespace
