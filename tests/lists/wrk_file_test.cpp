#include "lists/wrk_list_core.h"
#include "lists/wrk_list_file.h"
#include "wrk_fixture.h"

#include <QDir>

using namespace listtest;

namespace {

struct WrkFileTest : qeltest::TempDirTest {
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        FillProject(prj);
        core.Project = &prj;
        core.SetInteraction(ui);
    }
    // Column texts of a row.
    QStringList rowTexts(int row) const
    {
        QStringList t;
        for (int c = 0; c < 7; ++c)
            t << core.Model().Text(row, c);
        return t;
    }
    TVortalinPrj prj;
    TWrkListCore core;
    std::shared_ptr<ScriptedListUi> ui = std::make_shared<ScriptedListUi>();
};

TEST(WrkLineTest, RowLinesAsTheFileGivesThem)
{
    struct Case {
        const char* line;
        bool taken;
        int inv, set, adr;
        const char* remark;
    };
    const Case cases[] = {
        {"5,3,4711;x", true, 5, 3, 4711, "x"},
        {"5,256,10;x", true, -1, -1, -1, "x"},       // set out of range: blank row
        {"5,10;x", true, -1, -1, -1, "x"},           // no second comma: set stays -2
        {"a,0,10;x", false, 0, 0, 0, ""},
        {"-1,-1,-1;Note", true, -1, -1, -1, "Note"},
        {"5,0,10", true, 5, 0, 10, ""},
        {" 7 , -1 , +32767 ; keep ;blanks ", true, 7, -1, 0x7FFF, " keep ;blanks "},
        {"1,1,32768;x", true, -1, -1, -1, "x"},      // address past 0x7FFF
        {"240,1,1;x", true, -1, -1, -1, "x"},
        {"1,1,2,3;x", false, 0, 0, 0, ""},           // address part still holds a comma
        {"1,,3;x", false, 0, 0, 0, ""},              // empty field
        {"", false, 0, 0, 0, ""},
        {"1,1,0x10;x", false, 0, 0, 0, ""},
        {"1,1,99999999999;x", false, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TWrkListItem row;
        ASSERT_EQ(wrkfile::ParseLine(QString::fromUtf8(c.line), row), c.taken);
        if (!c.taken)
            continue;
        EXPECT_EQ(row.Inverter, c.inv);
        EXPECT_EQ(row.SetSel, c.set);
        EXPECT_EQ(row.Address, c.adr);
        EXPECT_EQ(row.Remark, QString::fromUtf8(c.remark));
        EXPECT_FALSE(row.ValueValid);
        EXPECT_EQ(row.Value, 0);
    }
}

TEST_F(WrkFileTest, WritesTheExactBytes)
{
    core.ColWidth = {41, 52, 73, 44, 175, 106, 333};
    core.Comments = {QStringLiteral("Kommentar äö€"), QString(), QStringLiteral("#x Ω")};
    auto a = core.ParseLine(QStringLiteral("1,3,257;Bemerkung"));
    auto b = core.ParseLine(QStringLiteral("-1,-1,-1;Leer\nzeile"));
    ASSERT_TRUE(a && b);
    b->Remark = QStringLiteral("Leer\r\nzeile\rund\nmehr");
    core.InsertItem(a, -1);
    core.InsertItem(b, -1);
    core.InsertItem(core.ParseLine(QStringLiteral("2,-1,264;")), -1);
    const QString p = path(QStringLiteral("a.wr5"));
    ASSERT_EQ(core.SaveToFile(p), 0);
    const QByteArray want = QByteArray(";#COLWIDTH_0=41\r\n;#COLWIDTH_1=52\r\n;#COLWIDTH_2=73\r\n"
                                       ";#COLWIDTH_3=44\r\n;#COLWIDTH_4=175\r\n;#COLWIDTH_5=106\r\n"
                                       ";Kommentar \xE4\xF6\x80\r\n;\r\n;#x ?\r\n"
                                       "1,3,257;Bemerkung\r\n-1,-1,-1;Leer zeile und mehr\r\n2,-1,264;\r\n");
    EXPECT_EQ(ReadBytes(p), want);
    EXPECT_EQ(core.FileName, p);
    EXPECT_EQ(core.Caption, p);
    EXPECT_FALSE(core.Modified);

    // An empty memo writes no comment line; the file reads back the same.
    core.Comments.clear();
    ASSERT_EQ(core.SaveToFile(p), 0);
    TWrkListCore again;
    again.Project = &prj;
    ASSERT_EQ(again.LoadFromFile(p), 0);
    EXPECT_TRUE(again.Comments.isEmpty());
    ASSERT_EQ(again.Model().TrailingRow(), 3);
    EXPECT_EQ(again.Model().Item(0)->Remark, QStringLiteral("Bemerkung"));
    EXPECT_EQ(again.Model().Item(1)->Remark, QStringLiteral("Leer zeile und mehr"));
    EXPECT_EQ(again.ColWidth[4], 175);
    EXPECT_FALSE(again.Modified);
}

TEST_F(WrkFileTest, ReadsHandWrittenLists)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        int result;
        int rows;
        QStringList comments;
    };
    const Case cases[] = {
        {"crlf.wr5", ";c\r\n1,1,257;x\r\n2,0,264;y\r\n", 0, 2, {"c"}},
        {"cr.wr5", ";c\r1,1,257;x\r2,0,264;y\r", 0, 2, {"c"}},
        {"lf.wr5", ";c\n1,1,257;x\n2,0,264;y", 0, 2, {"c"}},
        {"mixed.wr5", ";#OTHER=1\r\n ;#COLWIDTH_7=9\n;\r\nbad,1,1;x\r\n", 0, 0, {"#OTHER=1", "#COLWIDTH_7=9", ""}},
        {"badwidth.wr5", ";a\r\n1,1,257;x\r\n;#COLWIDTH_3=abc\r\n2,0,264;y\r\n", -1, 1, {"a"}},
        {"dupwidth.wr5", ";#COLWIDTH_3=55\r\n;#COLWIDTH_3=abc\r\n", 0, 0, {}},
        {"upper.TRC", "1,1,257;x\r\n", 0, 1, {}},  // only ".trc" is a trace file
        {"three.trc", "1\r\n257\r\n2\r\n", -1, 0, {}},
        {"pairs.trc", " 1 \r\n 257\r\n2\r\n264\r\n", 0, 2, {}},
        {"broken.trc", "1\r\n257\r\nx\r\n264\r\n", -1, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString p = path(QString::fromUtf8(c.name));
        WriteBytes(p, c.bytes);
        TWrkListCore w;
        w.Project = &prj;
        EXPECT_EQ(w.LoadFromFile(p), c.result);
        EXPECT_EQ(w.Model().TrailingRow(), c.rows);
        EXPECT_EQ(w.Comments, c.comments);
        EXPECT_EQ(w.FileName, c.result == 0 ? p : QString());
        EXPECT_EQ(w.Caption, c.result == 0 ? p : QStringLiteral("Arbeitsliste"));
        EXPECT_EQ(w.Modified, c.result != 0 && c.rows > 0);
        EXPECT_EQ(w.LastRow, c.rows - 1);
    }
    TWrkListCore w;
    EXPECT_EQ(w.LoadFromFile(path(QStringLiteral("missing.wr5"))), -1);
}

TEST_F(WrkFileTest, RowsShowTheirParameters)
{
    WriteBytes(path(QStringLiteral("l.wr5")),
               "5,3,4711;x\r\n1,3,257;a\r\n2,0,264;b\r\n1,1,16383;c\r\n-1,-1,-1;Note\r\n");
    ASSERT_EQ(core.LoadFromFile(path(QStringLiteral("l.wr5"))), 0);
    EXPECT_EQ(rowTexts(0), (QStringList{"5", "1267h", "0-1", "", "Unbekannter Umrichter", "Nicht aktuell", "x"}));
    const TParaRec* p = prj.GetInv(1)->Cfg->FindPara(0x101);
    EXPECT_EQ(rowTexts(1), (QStringList{"1", "0101h", "0-1", p->GetIdText(), p->GetName(0), "Nicht aktuell", "a"}));
    EXPECT_EQ(core.Model().Item(1)->Para.get(), p);
    EXPECT_EQ(rowTexts(2)[2], QStringLiteral("A"));
    EXPECT_EQ(rowTexts(3)[4], QStringLiteral("Unbekannter Parameter"));
    EXPECT_EQ(rowTexts(4), (QStringList{"", "", "", "", "", "", "Note"}));
    EXPECT_EQ(rowTexts(5), (QStringList{" ", " ", " ", " ", " ", " ", " "}));

    // Names follow the language; blank rows keep their texts.
    core.SetLanguage(1);
    EXPECT_EQ(rowTexts(1)[4], p->GetName(1));
    EXPECT_EQ(rowTexts(4)[4], QString());
}

TEST_F(WrkFileTest, ColumnWidthsTheHeaderWouldRefuseAreIgnored)
{
    WriteBytes(path(QStringLiteral("w.wr5")), ";#COLWIDTH_0=-5\r\n;#COLWIDTH_1=1048576\r\n;#COLWIDTH_2=0\r\n"
                                              ";#COLWIDTH_5=1048575\r\n");
    ASSERT_EQ(core.LoadFromFile(path(QStringLiteral("w.wr5"))), 0);
    EXPECT_EQ(core.ColWidth[0], 40);
    EXPECT_EQ(core.ColWidth[1], 50);
    EXPECT_EQ(core.ColWidth[2], 0);
    EXPECT_EQ(core.ColWidth[5], 1048575);
}

TEST_F(WrkFileTest, SaveAsOffersTheCaptionAndAsksBeforeOverwriting)
{
    std::vector<QString> dataPaths;
    core.OnDataPath = [&](const QString& d) { dataPaths.push_back(d); };
    core.SaveDlgInitialDir = QStringLiteral("/data/path");
    core.InsertItem(core.ParseLine(QStringLiteral("1,1,257;x")), -1);

    // A new list is offered as its caption with ".wr5"; cancelling keeps it.
    EXPECT_FALSE(core.Save());
    ASSERT_EQ(ui->saveOptions.size(), 1u);
    EXPECT_EQ(ui->saveOptions[0].FileName, QStringLiteral("Arbeitsliste.wr5"));
    EXPECT_EQ(ui->saveOptions[0].DefaultExt, QStringLiteral("wr5"));
    EXPECT_EQ(ui->saveOptions[0].InitialDir, QStringLiteral("/data/path"));
    EXPECT_TRUE(core.Modified);
    EXPECT_TRUE(dataPaths.empty());

    // ".wr5" is appended to a name without it.
    ui->saveAnswers = {path(QStringLiteral("neu"))};
    EXPECT_TRUE(core.SaveAs());
    EXPECT_EQ(core.FileName, path(QStringLiteral("neu.wr5")));
    EXPECT_EQ(dataPaths, std::vector<QString>{dir()});
    EXPECT_TRUE(ui->messages.empty());

    // An existing file is written only after Yes; the dialog starts where
    // the list is.
    ui->saveAnswers = {path(QStringLiteral("neu.wr5")), path(QStringLiteral("neu.wr5"))};
    ui->answers = {1, 0};
    core.InsertItem(core.ParseLine(QStringLiteral("2,1,257;y")), -1);
    EXPECT_FALSE(core.SaveAs());
    EXPECT_TRUE(core.Modified);
    EXPECT_TRUE(core.SaveAs());
    EXPECT_FALSE(core.Modified);
    ASSERT_EQ(ui->messages.size(), 2u);
    EXPECT_EQ(ui->messages[0].Buttons, (QStringList{"3Ja", "4Nein"}));
    EXPECT_EQ(ui->messages[0].Icon, 4);
    EXPECT_EQ(ui->messages[0].P1, path(QStringLiteral("neu.wr5")));
    EXPECT_EQ(ui->messages[0].Cancel, -1);
    EXPECT_EQ(ui->saveOptions.back().InitialDir, dir());
    EXPECT_EQ(ui->saveOptions.back().FileName, QStringLiteral("neu.wr5"));
}

TEST_F(WrkFileTest, SaveOfATraceListWritesTheWorkListFormatIntoIt)
{
    const QString p = path(QStringLiteral("t.trc"));
    WriteBytes(p, "1\r\n257\r\n");
    ASSERT_EQ(core.LoadFromFile(p), 0);
    EXPECT_EQ(core.Model().Item(0)->SetSel, -1);
    core.InsertItem(core.ParseLine(QStringLiteral("2,0,264;z")), -1);
    EXPECT_TRUE(core.Save());
    EXPECT_TRUE(ui->saveOptions.empty());
    EXPECT_TRUE(ReadBytes(p).endsWith("1,-1,257;\r\n2,0,264;z\r\n"));
    EXPECT_TRUE(ReadBytes(p).startsWith(";#COLWIDTH_0=40\r\n"));
}

TEST_F(WrkFileTest, CloseQuestion)
{
    // Unchanged, or only the memo changed: nothing is asked.
    core.Comments = {QStringLiteral("memo")};
    EXPECT_TRUE(core.CanClose());
    EXPECT_TRUE(ui->messages.empty());

    core.InsertItem(core.ParseLine(QStringLiteral("1,1,257;x")), -1);
    // Cancel refuses; an unknown answer asks again; No allows without saving.
    ui->answers = {2};
    EXPECT_FALSE(core.CanClose());
    ui->answers = {7, 1};
    EXPECT_TRUE(core.CanClose());
    EXPECT_FALSE(core.Modified);
    ASSERT_EQ(ui->messages.size(), 3u);
    EXPECT_EQ(ui->messages[0].Buttons, (QStringList{"3Ja", "4Nein", "1Abbrechen"}));
    EXPECT_EQ(ui->messages[0].P1, QStringLiteral("Arbeitsliste"));
    EXPECT_EQ(ui->messages[0].Title, QStringLiteral("Arbeitsliste speichern"));

    // Yes with a cancelled dialog asks again; then Yes saves (always the dialog).
    core.InsertItem(core.ParseLine(QStringLiteral("1,1,258;x")), -1);
    ui->messages.clear();
    ui->answers = {0, 0};
    ui->saveAnswers = {QString(), path(QStringLiteral("c.wr5"))};
    EXPECT_TRUE(core.CanClose());
    EXPECT_EQ(ui->messages.size(), 2u);
    EXPECT_EQ(core.FileName, path(QStringLiteral("c.wr5")));

    // The default interaction cancels the close instead of asking for ever.
    TWrkListCore plain;
    plain.InsertItem(plain.ParseLine(QStringLiteral("1,1,258;x")), -1);
    EXPECT_FALSE(plain.CanClose());
}

TEST_F(WrkFileTest, AFailedSaveIsReportedAndChangesNothing)
{
    core.InsertItem(core.ParseLine(QStringLiteral("1,1,257;x")), -1);
    const QString bad = path(QStringLiteral("no/such/dir/x.wr5"));
    EXPECT_NE(core.SaveToFile(bad), 0);
    ASSERT_EQ(ui->messages.size(), 1u);
    EXPECT_EQ(ui->messages[0].P1, bad);
    EXPECT_EQ(ui->messages[0].Icon, 2);
    EXPECT_EQ(ui->messages[0].Msg.first(), QStringLiteral("Datei @P1"));
    EXPECT_TRUE(core.Modified);
    EXPECT_TRUE(core.FileName.isEmpty());
    EXPECT_EQ(core.Caption, QStringLiteral("Arbeitsliste"));

    // The close question comes again after a failed save.
    ui->messages.clear();
    ui->answers = {0, 2};
    ui->saveAnswers = {bad};
    EXPECT_FALSE(core.CanClose());
    EXPECT_EQ(ui->messages.size(), 3u);  // question, write error, question
}

} // namespace
