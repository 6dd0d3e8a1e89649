// The Quintel program's commands end to end: save, open, copy, print,
// edit, download and the settings and inverter dialogs against simulated
// inverters.

#include "q2_fixture.h"

#include <QFile>

using q2::ProgramTest;

namespace {

QByteArray readFile(const QString& name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class ProgramCommandsTest : public ProgramTest {
protected:
    std::shared_ptr<qelsim::SimInverter> startWith(int type, int rows)
    {
        auto inv = addInverter(1, type);
        EXPECT_TRUE(start());
        EXPECT_TRUE(qeltest::waitUntil([&] { return tableRead(rows); }, 30000));
        prog->Now = [] { return QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)); };
        return inv;
    }
    // Sets a request flag and waits until the cycle took it up.
    void request(bool TQuintelProgram::*flag)
    {
        prog.get()->*flag = true;
        ASSERT_TRUE(qeltest::waitUntil([&] { return !(prog.get()->*flag); }, 10000));
    }
};

TEST_F(ProgramCommandsTest, CopyTextWithAndWithoutTheSetColumn)
{
    startWith(21, 9);
    request(&TQuintelProgram::CopyReq);
    const QStringList lines = ui.clipboard.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4 + 9 + 1);  // the last line ends with CR LF too
    EXPECT_EQ(lines[0], QStringLiteral("Quintel V5.4"));
    EXPECT_EQ(lines[1], QStringLiteral("Inverter:1 VX-210 02.01.2026 03:04:05"));
    EXPECT_EQ(lines[2], QStringLiteral(" "));
    EXPECT_EQ(lines[3], QStringLiteral("    \tSet\tParameter\tValue"));
    EXPECT_EQ(lines[4], QStringLiteral("CP00\t0\tPassword\t5179"));
    EXPECT_EQ(lines[9], QStringLiteral("CP06\t0\tControl word\t17: On+Stop+Terminal"));
    EXPECT_EQ(lines[13], QString());

    // A hidden set column leaves it out of the header and the rows.
    prog->Rows.SetWidth(TCpRowModel::ColSet, 1);
    const QStringList hidden = prog->CopyLines();
    EXPECT_EQ(hidden[3], QStringLiteral("    \tParameter\tValue"));
    EXPECT_EQ(hidden[5], QStringLiteral("CP01\tMaximum frequency\t50.0 Hz"));
}

TEST_F(ProgramCommandsTest, PrintJobCarriesHeadingColumnsAndRows)
{
    startWith(3, 4);
    request(&TQuintelProgram::PrintReq);
    ASSERT_EQ(ui.printed.size(), 1u);
    const TCpPrintJob& job = ui.printed[0];
    EXPECT_EQ(job.Header, QStringLiteral("Quintel Inverter:1"));
    EXPECT_EQ(job.Lines, (QStringList{"Quintel V5.4", "Inverter:1 VL-03 02.01.2026 03:04:05", " "}));
    EXPECT_EQ(job.ColWidths, (std::array<int, 4>{40, 0, 200, 240}));  // no set column for type 3
    EXPECT_EQ(job.HeaderLine, QStringLiteral("\tSet\tParameter\tValue"));
    EXPECT_EQ(job.Rows.value(3), QStringLiteral("CP04\t0\tControl word\t17: On+Stop+Terminal"));
}

TEST_F(ProgramCommandsTest, NothingToSavePrintOrCopyWithoutRows)
{
    ASSERT_TRUE(start());  // no inverter: the start-up asks for a scan, declined
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Mode() == TQuintelProgram::cmRunning; }, 10000));
    request(&TQuintelProgram::SaveReq);
    request(&TQuintelProgram::PrintReq);
    request(&TQuintelProgram::CopyReq);
    EXPECT_EQ(ui.count(text(0, 32)), 2);
    EXPECT_EQ(ui.saveCalls, 0);
    EXPECT_TRUE(ui.printed.empty());
    EXPECT_TRUE(ui.clipboard.isEmpty());
}

TEST_F(ProgramCommandsTest, SaveWritesTheTableAndOpenShowsItOffline)
{
    startWith(21, 9);
    ui.saveFile = path(QStringLiteral("table.cp5"));
    request(&TQuintelProgram::SaveReq);
    EXPECT_EQ(ui.saveDir, dir());  // DataPath of the install step
    EXPECT_EQ(ui.saveProposed, QString());
    const QByteArray saved = readFile(ui.saveFile);
    EXPECT_TRUE(saved.startsWith("0,21,100,0\r\n")) << saved.left(40).toStdString();
    EXPECT_EQ(prog->Caption, QStringLiteral("Quintel V5.4 ") + ui.saveFile);

    QStringList online;
    for (int i = 0; i < prog->Rows.Count(); ++i)
        online << row(i);
    ui.openFile = ui.saveFile;
    request(&TQuintelProgram::OpenReq);
    EXPECT_TRUE(prog->Offline);
    EXPECT_EQ(prog->InvBtnCaption, text(0, 22));
    QStringList opened;
    for (int i = 0; i < prog->Rows.Count(); ++i)
        opened << row(i);
    EXPECT_EQ(opened, online);

    // The inverter dialog opened while offline proposes the current address
    // with offline chosen.
    int proposed = -2;
    bool offlineChosen = false;
    ui.onSelMode = [&](int& a, bool offline) {
        proposed = a;
        offlineChosen = offline;
        return false;
    };
    request(&TQuintelProgram::InvDlgReq);
    EXPECT_EQ(proposed, prog->CurAdr);
    EXPECT_EQ(proposed, 1);
    EXPECT_TRUE(offlineChosen);
    EXPECT_TRUE(prog->Offline);

    // Saving again over the file asks first; No keeps it.
    writeFile(ui.saveFile, "keep");
    ui.answers = {1};
    request(&TQuintelProgram::SaveReq);
    EXPECT_EQ(ui.count(QStringLiteral("already exists")), 1);
    EXPECT_EQ(readFile(ui.saveFile), QByteArray("keep"));
}

TEST_F(ProgramCommandsTest, OpenOfACpdFileAndItsSaveProposal)
{
    create();
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Mode() == TQuintelProgram::cmRunning; }, 10000));
    const QString cpd = path(QStringLiteral("plant.cpd"));
    writeFile(cpd, "; plant\n21\n0\n257\n0\n420\n257\n1\n480\n259\n0\n75\n");
    ui.openFile = cpd;
    request(&TQuintelProgram::OpenReq);
    EXPECT_EQ(prog->StaticText1, QStringLiteral("21:VX-210"));
    QStringList rows;
    for (int i = 0; i < prog->Rows.Count(); ++i)
        rows << row(i);
    EXPECT_EQ(rows, (QStringList{"CP00|0|Maximum frequency|42.0 Hz", "CP01|1|Maximum frequency|48.0 Hz",
                                 "CP02|0|Acceleration time|0.75 s"}));

    // The save dialog proposes the name without ".cpd".
    ui.saveFile = path(QStringLiteral("plant.cp5"));
    request(&TQuintelProgram::SaveReq);
    EXPECT_EQ(ui.saveProposed, QStringLiteral("plant"));
    EXPECT_EQ(ui.saveDir, dir());
    EXPECT_TRUE(QFile::exists(ui.saveFile));

    // Offline the blinking button never reaches the print title.
    request(&TQuintelProgram::PrintReq);
    ASSERT_EQ(ui.printed.size(), 1u);
    EXPECT_EQ(ui.printed[0].Header, QStringLiteral("Quintel ") + text(0, 22));
    EXPECT_EQ(ui.printed[0].Lines.value(1), text(0, 22) + QStringLiteral(" ") + ui.saveFile + QStringLiteral(" VX-210"));
}

TEST_F(ProgramCommandsTest, OpenOfAFileWithoutANumberOrConfiguration)
{
    create();
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Mode() == TQuintelProgram::cmRunning; }, 10000));
    const QString none = path(QStringLiteral("none.cp5"));
    writeFile(none, "garbage\n");
    ui.openFile = none;
    request(&TQuintelProgram::OpenReq);
    EXPECT_EQ(prog->LastResult, 1000);
    EXPECT_EQ(ui.count(QStringLiteral("Error code: 1000")), 1);

    const QString unknown = path(QStringLiteral("unknown.cpd"));
    writeFile(unknown, "77\n0\n257\n0\n1\n");
    ui.openFile = unknown;
    request(&TQuintelProgram::OpenReq);
    EXPECT_EQ(ui.count(QStringLiteral("configuration 77")), 1);
    EXPECT_EQ(prog->Rows.Count(), 0);
}

TEST_F(ProgramCommandsTest, EditReachesTheInverterOnlineAndTheRowOffline)
{
    auto inv = startWith(21, 9);
    QString label;
    ui.onEdit = [&](const std::shared_ptr<TParaRec>&, const QString& l, int32_t& v) {
        label = l;
        v = 550;
        return true;
    };
    prog->SelectedRow = 1;
    request(&TQuintelProgram::EditReq);
    EXPECT_EQ(label, QStringLiteral("CP01 Maximum frequency"));
    ASSERT_TRUE(qeltest::waitUntil([&] { return inv->value(0x101, 0) == 550; }));
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->Rows.Row(1).ValueText == QStringLiteral("55.0 Hz"); }));

    // A value the inverter refuses: its error with the entry's name.
    ui.onEdit = [&](const std::shared_ptr<TParaRec>&, const QString&, int32_t& v) {
        v = 70000;
        return true;
    };
    request(&TQuintelProgram::EditReq);
    ASSERT_TRUE(qeltest::waitUntil([&] { return ui.count(QStringLiteral("CP01\nInverter error 3")) == 1; }));
    EXPECT_EQ(inv->value(0x101, 0), 550);

    // Offline only the row changes.
    ui.saveFile = path(QStringLiteral("t.cp5"));
    request(&TQuintelProgram::SaveReq);
    ui.openFile = ui.saveFile;
    request(&TQuintelProgram::OpenReq);
    ui.onEdit = [&](const std::shared_ptr<TParaRec>&, const QString&, int32_t& v) {
        v = 300;
        return true;
    };
    const size_t handled = inv->handledRequests().size();
    request(&TQuintelProgram::EditReq);
    EXPECT_EQ(prog->Rows.Row(1).ValueText, QStringLiteral("30.0 Hz"));
    EXPECT_EQ(prog->Engine.GetEntry(1)->Value, 300);
    // Nothing went out, and nothing waits to go.
    EXPECT_TRUE(prog->Offline);
    EXPECT_FALSE(prog->Engine.Busy);
    EXPECT_EQ(inv->handledRequests().size(), handled);
    EXPECT_EQ(inv->value(0x101, 0), 550);
}

TEST_F(ProgramCommandsTest, DownloadIntoTheSameInverter)
{
    auto inv = addInverter(1, 21);
    // Normalisation set 5 with a divisor of 0 and a format beyond 16 bits:
    // the engine stores 1 and the low 16 bits, the check compares the same.
    inv->setValue(0x0E00 + 72, 0, 5);
    inv->setValue(0x0E00 + 75, 40000, 5);
    // CP05 (undefined so far) stands for the operating hours, read-only
    // for downloads.
    inv->setValue(0x0E08, 0x0207);
    inv->setValue(0x0E09, 1);
    ASSERT_TRUE(start());
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(10); }, 30000));
    ASSERT_EQ(prog->Rows.Row(5).Name, QStringLiteral("CP05"));
    ASSERT_EQ(prog->Engine.Norm[5].Div, 1);
    ASSERT_EQ(prog->Engine.Norm[5].Format, int16_t(40000 - 65536));
    ui.saveFile = path(QStringLiteral("same.cp5"));
    request(&TQuintelProgram::SaveReq);
    const int32_t ro = inv->value(0x104);
    inv->setValue(0x101, 600, 0);
    inv->setValue(0x101, 610, 1);

    ui.openFile = ui.saveFile;
    ui.answers = {0};  // write the values: yes
    request(&TQuintelProgram::DownloadReq);
    EXPECT_EQ(ui.openCalls, 1);
    EXPECT_EQ(ui.count(text(0, 27)), 1) << (ui.messages.empty() ? "" : ui.messages.back().text().toStdString());
    EXPECT_EQ(ui.count(text(0, 24).section('\n', 0, 0).left(10)), 0);
    EXPECT_EQ(inv->value(0x101, 0), 500);
    EXPECT_EQ(inv->value(0x101, 1), 500);
    EXPECT_EQ(inv->value(0x104), ro);
    for (const auto& r : inv->handledRequests())
        EXPECT_FALSE(r.isWrite && r.data.u16(0) == 0x0207) << "the read-only entry was written";
    EXPECT_EQ(ui.progressStarts, ui.progressStops);
}

TEST_F(ProgramCommandsTest, DownloadInSelectorModeWritesTheSelectorOncePerEntry)
{
    auto inv = startWith(22, 9);
    ui.saveFile = path(QStringLiteral("t22.cp5"));
    request(&TQuintelProgram::SaveReq);
    inv->setValue(0x103, 900);
    const size_t before = inv->handledRequests().size();
    ui.openFile = ui.saveFile;
    ui.answers = {0};
    request(&TQuintelProgram::DownloadReq);
    EXPECT_EQ(ui.count(text(0, 27)), 1) << (ui.messages.empty() ? "" : ui.messages.back().text().toStdString());
    EXPECT_EQ(inv->value(0x103), 500);
    // The verification: selector written with 1..36 in turn, each followed by its reads.
    const auto handled = inv->handledRequests();
    std::vector<int> selected;
    for (size_t k = before; k < handled.size(); ++k)
        if (handled[k].isWrite && handled[k].data.u16(0) == 0x0E00)
            selected.push_back(int16_t(handled[k].data.u16(2)));
    ASSERT_EQ(selected.size(), 36u);
    for (int n = 1; n <= 36; ++n)
        EXPECT_EQ(selected[size_t(n - 1)], n);
}

TEST_F(ProgramCommandsTest, DownloadIntoAnotherTypeAsksThenFindsOtherDefinitions)
{
    startWith(21, 9);
    ui.saveFile = path(QStringLiteral("t21.cp5"));
    request(&TQuintelProgram::SaveReq);
    din.removeInverter(1);
    auto other = addInverter(1, 22);
    const int32_t before = other->value(0x101, 0);

    ui.openFile = ui.saveFile;
    ui.answers = {0, 0};  // write: yes; other configuration: yes
    request(&TQuintelProgram::DownloadReq);
    EXPECT_EQ(ui.count(QStringLiteral("has a different configuration")), 1);
    EXPECT_EQ(ui.count(QStringLiteral("differ from the file")), 1);
    EXPECT_EQ(other->value(0x101, 0), before);
    EXPECT_EQ(ui.progressStarts, ui.progressStops);

    // Cancelling the open dialog ends the download without a question.
    ui.messages.clear();
    prog->Offline = false;
    ui.openFile.clear();
    request(&TQuintelProgram::DownloadReq);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(ProgramCommandsTest, DownloadEndedByADriverCodeShowsItsText)
{
    startWith(21, 9);
    ui.saveFile = path(QStringLiteral("t.cp5"));
    request(&TQuintelProgram::SaveReq);
    ui.openFile = ui.saveFile;
    ui.answers = {0};
    // The inverter goes away while the definitions are checked: the
    // driver's code is shown with its text, not as a program message.
    ui.onProgressStep = [&] { din.removeInverter(1); };
    request(&TQuintelProgram::DownloadReq);
    EXPECT_EQ(ui.count(prog->Texts.GetErrorText(-10)), 1);
    EXPECT_EQ(ui.count(QStringLiteral("No configuration file")), 0);
    EXPECT_EQ(ui.count(text(0, 27)), 0);
    EXPECT_EQ(ui.progressStarts, ui.progressStops);
}

TEST_F(ProgramCommandsTest, OpenDuringADownloadWaitsForItsEnd)
{
    startWith(21, 9);
    ui.saveFile = path(QStringLiteral("t.cp5"));
    request(&TQuintelProgram::SaveReq);
    const QString other = path(QStringLiteral("other.cpd"));
    writeFile(other, "21\n0\n257\n0\n420\n");
    ui.openFile = ui.saveFile;
    ui.answers = {0};
    bool asked = false;
    ui.onProgressStep = [&] {
        if (asked)
            return;
        asked = true;
        prog->OpenReq = true;  // the button while the download walks the entries
        ui.openFile = other;
    };
    request(&TQuintelProgram::DownloadReq);
    ASSERT_TRUE(asked);
    ASSERT_TRUE(qeltest::waitUntil([&] { return !prog->OpenReq; }));
    EXPECT_EQ(ui.count(text(0, 27)), 1);
    EXPECT_EQ(ui.openCalls, 2);
    EXPECT_EQ(prog->FileName, other);
}

// The inverter dialog: another address reads its table, offline stops the
// polling, an address where nothing answers leaves the engine idle rather
// than reading with the last configuration.
TEST_F(ProgramCommandsTest, InverterChoiceRestartsOrStopsTheTable)
{
    setValue("TimeOut", 1500);  // one try per identification: no miss on a loaded machine
    startWith(21, 9);
    addInverter(2, 3);
    int choice = 2;
    ui.onSelMode = [&](int& a, bool) {
        a = choice;
        return true;
    };
    request(&TQuintelProgram::InvDlgReq);
    EXPECT_EQ(prog->Mode(), TQuintelProgram::cmRunning);
    EXPECT_EQ(prog->InvBtnCaption, QStringLiteral("Inverter:2"));
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->CurCfgId == 3 && tableRead(4); }, 30000));
    EXPECT_EQ(prog->Rows.Count(), 4);
    EXPECT_EQ(prog->Settings.Inverter, 2);

    choice = -1;
    request(&TQuintelProgram::InvDlgReq);
    EXPECT_TRUE(prog->Offline);
    EXPECT_EQ(prog->Engine.State, 0);
    EXPECT_EQ(prog->Rows.Count(), 4);

    choice = 7;
    request(&TQuintelProgram::InvDlgReq);
    EXPECT_FALSE(prog->Offline);
    EXPECT_EQ(ui.count(text(0, 21)), 1);
    EXPECT_EQ(prog->Rows.Count(), 0);
    EXPECT_EQ(prog->Engine.State, 0);
    EXPECT_EQ(prog->StaticText1, QStringLiteral("(?)"));

    choice = 1;
    request(&TQuintelProgram::InvDlgReq);
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->CurCfgId == 21 && tableRead(9); }, 30000));
    EXPECT_EQ(ui.messages.size(), 1u) << ui.messages.back().text().toStdString();
}

// The settings dialog identifies the inverter again: the same type goes on
// being polled, another type is read afresh, no answer leaves the engine
// idle, and offline nothing is identified.
TEST_F(ProgramCommandsTest, SettingsIdentifyTheInverterAgain)
{
    setValue("TimeOut", 1500);
    startWith(21, 9);
    ui.onSettings = [](TCpSettings&) { return true; };
    request(&TQuintelProgram::ComDlgReq);
    EXPECT_EQ(prog->Mode(), TQuintelProgram::cmRunning);
    EXPECT_EQ(prog->Engine.State, 3);  // polling, not reading the definitions again
    ASSERT_TRUE(qeltest::waitUntil([&] { return tableRead(9); }, 30000));

    din.removeInverter(1);
    addInverter(1, 3);
    request(&TQuintelProgram::ComDlgReq);
    ASSERT_TRUE(qeltest::waitUntil([&] { return prog->CurCfgId == 3 && tableRead(4); }, 30000));
    EXPECT_EQ(prog->Rows.Count(), 4);

    din.removeInverter(1);
    request(&TQuintelProgram::ComDlgReq);
    EXPECT_EQ(ui.count(text(0, 21)), 1);
    EXPECT_EQ(prog->Rows.Count(), 0);
    EXPECT_EQ(prog->Engine.State, 0);

    ui.onSelMode = [](int& a, bool) {
        a = -1;
        return true;
    };
    request(&TQuintelProgram::InvDlgReq);
    auto inv = addInverter(1, 21);
    request(&TQuintelProgram::ComDlgReq);
    EXPECT_TRUE(prog->Offline);
    EXPECT_EQ(prog->CurCfgId, -1);
    EXPECT_TRUE(inv->handledRequests().empty());
    EXPECT_EQ(ui.messages.size(), 1u) << ui.messages.back().text().toStdString();
}

}  // namespace
