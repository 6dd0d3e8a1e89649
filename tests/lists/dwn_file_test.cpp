// The download-list text format on its own: exact bytes written, lines
// read from bytes written by hand, rejected lines, the header probe and the
// operator-parameter window's list.

#include "lists/dwn_file.h"

#include "temp_dir.h"

#include <QFile>

#include <gtest/gtest.h>

#include <limits>

namespace {

TDwnEntryPtr line(int adr, int32_t value, int mode, int mask, const QString& note = {},
                  std::shared_ptr<TParaRec> para = nullptr)
{
    auto e = std::make_shared<TDwnEntry>();
    e->Address = int16_t(adr);
    e->Value = value;
    e->Mode = uint8_t(mode);
    e->SetMask = int16_t(mask);
    e->Note = note;
    e->Para = std::move(para);
    return e;
}

}  // namespace

TEST(DwnFileWrite, NormalListExactBytes)
{
    TDwnFileHeader h;
    h.Remark = QStringList{QStringLiteral("First remark"), QStringLiteral(" indented äöü")};
    h.CfgId = 21;
    h.ColWidths = {45, 45, 50, 45, 40, 150, 140, 333};
    TDwnList lines{line(0x0101, 500, 0, -1, QStringLiteral("max")),
                   line(0x0102, -7, 2, 0x81),
                   line(0, 0, DwnMode::Blank, 0),
                   line(0, -250, DwnMode::UserStep, 0, QStringLiteral("wait\r\nhere"))};
    const QByteArray expected =
        ";First remark\r\n"
        "; indented \xe4\xf6\xfc\r\n"
        "0,21,100,0\r\n"
        "0,45,101,0\r\n1,45,101,0\r\n2,50,101,0\r\n3,45,101,0\r\n"
        "4,40,101,0\r\n5,150,101,0\r\n6,140,101,0\r\n7,333,101,0\r\n"
        "257,500,0,-1;max\r\n"
        "258,-7,2,129;\r\n"
        "0,0,5,0;\r\n"
        "0,-250,10,0;wait  here\r\n";
    EXPECT_EQ(DwnListBytes(h, lines), expected);
}

TEST(DwnFileWrite, EmptyListWithoutRemarkAndOperatorLines)
{
    TDwnFileHeader h;
    h.CfgId = 0x20105;
    h.OpList = true;
    auto para = std::make_shared<TParaRec>();
    para->SetName(0, QStringLiteral("Speed, fast; really\nnow"));
    para->Mul = -3;
    para->Div = 10;
    para->Offset = -400;
    para->Format = 0xFFFF;
    para->Attr = 0x80000440u;
    para->Flags = 0xFFFFFFFFu;
    TDwnList lines{line(0x80, 7, 1, 1, QStringLiteral("n"), para), line(0x81, 8, 0, 0, {}, nullptr)};
    const QByteArray expected =
        "0,131333,102,0; Flag for operator list\r\n"
        "0,45,101,0\r\n1,45,101,0\r\n2,50,101,0\r\n3,45,101,0\r\n"
        "4,40,101,0\r\n5,150,101,0\r\n6,140,101,0\r\n7,200,101,0\r\n"
        "128,7,1,1;Speed  fast  really now,-3,10,-400,65535,-2147482560,-1;n\r\n"
        "129,8,0,0; ,1,1,0,0,0,0;\r\n";
    EXPECT_EQ(DwnListBytes(h, lines), expected);
}

TEST(DwnFileRead, LinesAsParsed)
{
    struct Case {
        const char* text;
        TDwnFileLine::Kind kind;
        int fields, adr, value, mode, mask;
        const char* note;
    } cases[] = {
        {"  ;remark; with , fields ", TDwnFileLine::Remark, 0, 0, 0, 0, -1, "remark; with , fields"},
        {"   ", TDwnFileLine::Empty, 0, 0, 0, 0, -1, ""},
        {"42", TDwnFileLine::Fields, 1, 0, 42, 0, -1, ""},
        {" 258 , -5 ;  a note ; more ", TDwnFileLine::Fields, 2, 258, -5, 0, -1, "a note ; more"},
        {"258,5,3", TDwnFileLine::Fields, 3, 258, 5, 0, 3, ""},
        {"258,5,2,-1;x", TDwnFileLine::Fields, 4, 258, 5, 2, -1, "x"},
        {"-32768,2147483647,255,32767", TDwnFileLine::Fields, 4, -32768, 2147483647, 255, 32767, ""},
        {"1,-2147483648", TDwnFileLine::Fields, 2, 1, std::numeric_limits<int32_t>::min(), 0, -1, ""},
        // Rejected: decimal point, not an integer, five fields, empty field.
        {"100,12.5", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
        {"100,abc", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
        {"1,2,3,4,5", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
        {"1,,3", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
        // Rejected: outside the field's range (would be cut to another one).
        {"65794,5", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
        {"258,5,256,0", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
        {"258,5,-1,0", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
        {"258,5,0,32768", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
        {"258,4294967295", TDwnFileLine::Ignored, 0, 0, 0, 0, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TDwnFileLine l = ParseDwnLine(QString::fromUtf8(c.text));
        EXPECT_EQ(l.kind, c.kind);
        if (l.kind == TDwnFileLine::Remark) {
            EXPECT_EQ(l.Text, QString::fromUtf8(c.note));
        }
        if (c.kind != TDwnFileLine::Fields)
            continue;
        EXPECT_EQ(l.FieldCount, c.fields);
        EXPECT_EQ(l.Address, c.adr);
        EXPECT_EQ(l.Value, c.value);
        EXPECT_EQ(l.Mode, c.mode);
        EXPECT_EQ(l.SetMask, c.mask);
        EXPECT_EQ(l.Text, QString::fromUtf8(c.note));
    }
}

TEST(DwnFileRead, LongLinesAreReadWholeAndTheNoteKeeps255Characters)
{
    const QString note(300, u'n');
    const TDwnFileLine l = ParseDwnLine(QStringLiteral("258,5,0,1;") + note);
    ASSERT_EQ(l.kind, TDwnFileLine::Fields);
    EXPECT_EQ(l.Text, note.left(255));

    const QByteArray bytes = "a\r\nb\nc\r\n\r\nd";
    EXPECT_EQ(SplitDwnFileLines(bytes), (QStringList{"a", "b", "c", "", "d"}));
}

TEST(DwnFileRead, OperatorDescriptionFromTheNote)
{
    struct Case {
        const char* note;
        const char* name;
        int mul, div, offset, format;
        uint32_t attr, flags;
        const char* lineNote;
    } cases[] = {
        {" ,1,1,0,0,0,0;", "", 1, 1, 0, 0, 0, 0, ""},
        {"Speed ,2,10,-400,65535,4294967295,-2147483648; the note; x", "Speed", 2, 10, -400, 65535,
         0xFFFFFFFFu, 0x80000000u, "the note; x"},
        {"Speed,2,10,-400,4,-1,3", "Speed", 2, 10, -400, 4, 0xFFFFFFFFu, 3, ""},
        // A field that does not convert leaves it and the later ones at
        // their defaults; the note stays.
        {"Speed,2,x,5,6,7,8;kept", "Speed", 2, 1, 0, 0, 0, 0, "kept"},
        {"Speed,2,10,70000,6,7,8;kept", "Speed", 2, 10, 0, 0, 0, 0, "kept"},
        {"Speed,2,10,1,6,4294967296,8;kept", "Speed", 2, 10, 1, 6, 0, 0, "kept"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.note);
        TParaRec p;
        QString note;
        ParseOpParaNote(QString::fromUtf8(c.note), p, note);
        EXPECT_EQ(p.GetName(0), QString::fromUtf8(c.name));
        EXPECT_EQ(p.GetName(1), QString::fromUtf8(c.name));
        EXPECT_EQ(p.Mul, c.mul);
        EXPECT_EQ(p.Div, c.div);
        EXPECT_EQ(p.Offset, c.offset);
        EXPECT_EQ(p.Format, c.format);
        EXPECT_EQ(p.Attr, c.attr);
        EXPECT_EQ(p.Flags, c.flags);
        EXPECT_EQ(note, QString::fromUtf8(c.lineNote));
    }
}

TEST(DwnFileRead, WrittenOperatorLinesReadBack)
{
    auto para = std::make_shared<TParaRec>();
    para->SetName(0, QStringLiteral("Torque; max, peak"));
    para->Mul = 3;
    para->Attr = 0xFFFFFFF0u;
    para->Flags = 0x80001008u;
    TDwnFileHeader h;
    h.OpList = true;
    const QStringList lines = SplitDwnFileLines(DwnListBytes(h, {line(0x90, 1, 2, 3, QStringLiteral("n; m"), para)}));
    const TDwnFileLine l = ParseDwnLine(lines.last());
    ASSERT_EQ(l.kind, TDwnFileLine::Fields);
    TParaRec back;
    QString note;
    ParseOpParaNote(l.Text, back, note);
    EXPECT_EQ(back.GetName(0), QStringLiteral("Torque  max  peak"));
    EXPECT_EQ(back.Mul, 3);
    EXPECT_EQ(back.Attr, 0xFFFFFFF0u);
    EXPECT_EQ(back.Flags, 0x80001008u);
    EXPECT_EQ(note, QStringLiteral("n; m"));
}

class DwnCfgIdTest : public qeltest::TempDirTest {};

TEST_F(DwnCfgIdTest, HeaderProbe)
{
    struct Case {
        const char* bytes;
        int expected;
    } cases[] = {
        {";remark\r\n0,21,100,0\r\n0,45,101,0\r\n", 21},
        {";Parameter of operator: Standard Version: 0001\r\n0,65537,102,0; Flag\r\n", 0},
        {"0,65537,102,0\r\n0,21,100,0\r\n", 0},
        {"just text\r\n;and a remark\r\n", 0},
        {"", 0},
        // Older files: -32768 and the number; a value of 0 is a blank line.
        {"-32768,0\r\n258,5\r\n-32768,1234\r\n", 1234},
        // Lines the reader ignores give no number.
        {"0,21.5,100,0\n0,x,100,0\n0,7,100,0,0\n0,22,100,0\n", 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        QFile f(path(QStringLiteral("l.dw5")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.bytes);
        f.close();
        EXPECT_EQ(GetDwnFileCfgId(f.fileName()), c.expected);
    }
    EXPECT_EQ(GetDwnFileCfgId(path(QStringLiteral("missing.dw5"))), -1);
    EXPECT_EQ(GetDwnFileCfgId(dir()), -1);
    EXPECT_EQ(GetDwnFileCfgId(QString()), -1);
}

TEST(OpParaList, ExactBytesAndTypeTexts)
{
    TParaRec a;
    a.SetName(0, QStringLiteral("Module id"));
    a.Attr = 0x80000480u;
    a.Flags = 0x80001000u;  // WA
    TParaRec b;
    b.SetName(0, QStringLiteral("Speed"));
    b.Div = 10;
    b.Flags = 0x8;  // written over the bus: RW
    TParaRec c;
    c.Flags = 0x4;  // RO
    const std::vector<TOpParaRow> rows{{0x80, 0x20105, 0, &a}, {0x81, -5, 255, &b}, {0x82, 1, 3, &c}};
    const QByteArray expected =
        ";Parameter of operator: InterBus Version: 0105\r\n"
        "0,131333,102,0; Flag for operator list\r\n"
        "128,131333,2,0;Module id,0,1,0,0,2147484800,2147487744;\r\n"
        "129,-5,0,255;Speed,0,10,0,0,0,8;\r\n"
        "130,1,1,3;,0,1,0,0,0,4;\r\n";
    EXPECT_EQ(OpParaListBytes(0x20105, rows), expected);
    EXPECT_EQ(OpParaTypeText(0), QStringLiteral("Unknown Type: 0"));
    EXPECT_EQ(OpParaTypeText(7 << 16), QStringLiteral("Ethernet"));
    EXPECT_EQ(OpParaTypeText(1 << 16), QStringLiteral("Standard"));
    EXPECT_EQ(OpParaTypeText(int32_t(0xFFFF0000u)), QStringLiteral("Unknown Type: -1"));
    EXPECT_TRUE(OpParaListBytes(0, {}).startsWith(";Parameter of operator: Unknown Type: 0 Version: 0000\r\n"));
}

class OpParaFileTest : public qeltest::TempDirTest {};

TEST_F(OpParaFileTest, WrittenWholeOrNotAtAll)
{
    const std::vector<TOpParaRow> rows{{0x80, 1, 0, nullptr}};
    const QString name = path(QStringLiteral("o.op5"));
    ASSERT_EQ(WriteOpParaList(name, 0x10001, rows), 0);
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), OpParaListBytes(0x10001, rows));
    EXPECT_EQ(GetDwnFileCfgId(name), 0);
    EXPECT_NE(WriteOpParaList(path(QStringLiteral("missing/o.op5")), 1, rows), 0);
}

TEST(DwnEntry, ParaModeAndDelete)
{
    struct Case {
        uint32_t flags;
        uint8_t mode;
    } cases[] = {{0, 0}, {0x20000, 1}, {0x1000, 2}, {0x2000, 3}, {0x21000, 2}, {0x23000, 3}, {0xE, 0}};
    for (const Case& c : cases) {
        TParaRec p;
        p.Flags = c.flags;
        EXPECT_EQ(DwnParaMode(&p), c.mode) << std::hex << c.flags;
    }
    EXPECT_EQ(DwnParaMode(nullptr), 0);

    TDwnList list{line(1, 1, 0, 0), line(2, 2, 0, 0)};
    DeleteDwnEntry(list, 5);
    DeleteDwnEntry(list, -1);
    ASSERT_EQ(list.size(), 2u);
    const TDwnEntryPtr kept = list[0];
    DeleteDwnEntry(list, 0);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]->Address, 2);
    EXPECT_EQ(kept->Address, 1);  // a holder (a drag) keeps the line
}
