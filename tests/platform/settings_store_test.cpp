#include "platform/settings_store.h"

#include "temp_dir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

using St = SettingsStore::Status;

class SettingsStoreTest : public qeltest::TempDirTest {
protected:
    QString file() const { return path(QStringLiteral("sub/registry.reg")); }

    void writeFile(const QByteArray& bytes)
    {
        QDir().mkpath(path(QStringLiteral("sub")));
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readFile() const
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(SettingsStoreTest, ReadsExportSyntaxWithEscapesCaseAndUnknownTypes)
{
    writeFile("Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\QEL\\Vortalin5\\Appl]\r\n"
              "\"lng\"=dword:00000001\r\n"
              "\"DataPath\"=\"C:\\\\data\\\\ \\\"q\\\"\"\r\n"
              "\"Blob\"=hex:01,02,\\\r\n"
              "  03,04\r\n"
              "\"Neg\"=dword:ffffffff\r\n"
              "@=\"default\"\r\n"
              "; comment\r\n");
    SettingsStore s(file());
    ASSERT_TRUE(s.load());

    quint32 d = 0;
    EXPECT_EQ(s.readDword(QStringLiteral("software\\qel\\VORTALIN5\\appl"), QStringLiteral("LNG"), d), St::Ok);
    EXPECT_EQ(d, 1u);
    EXPECT_EQ(s.readDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("Neg"), d), St::Ok);
    EXPECT_EQ(qint32(d), -1);
    QString str;
    EXPECT_EQ(s.readString(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("datapath"), str), St::Ok);
    EXPECT_EQ(str, QStringLiteral("C:\\data\\ \"q\""));
    EXPECT_EQ(s.readString(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QString(), str), St::Ok);
    EXPECT_EQ(str, QStringLiteral("default"));

    // Missing key, missing value and wrong type are told apart.
    EXPECT_EQ(s.readDword(QStringLiteral("Software\\QEL\\Nothing"), QStringLiteral("lng"), d), St::KeyMissing);
    EXPECT_EQ(s.readDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("x"), d), St::ValueMissing);
    EXPECT_EQ(s.readDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("DataPath"), d), St::WrongType);
    EXPECT_EQ(s.readString(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("lng"), str), St::WrongType);
    EXPECT_EQ(s.readString(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("Blob"), str), St::WrongType);
    // A parent of a stored key exists, without values.
    EXPECT_TRUE(s.keyExists(QStringLiteral("Software\\QEL")));
    EXPECT_EQ(s.readDword(QStringLiteral("Software\\QEL"), QStringLiteral("lng"), d), St::ValueMissing);

    // Saving after a change keeps the unknown value's lines intact.
    ASSERT_EQ(s.writeDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("Lng"), 2), St::Ok);
    ASSERT_TRUE(s.save());
    const QByteArray out = readFile();
    EXPECT_TRUE(out.contains("\"Blob\"=hex:01,02,\\\n  03,04\n")) << out.constData();
    EXPECT_TRUE(out.contains("\"lng\"=dword:00000002\n")) << out.constData();  // case first written
    EXPECT_TRUE(out.contains("\"DataPath\"=\"C:\\\\data\\\\ \\\"q\\\"\"\n")) << out.constData();
    EXPECT_TRUE(out.contains("[Software\\QEL\\Vortalin5\\Appl]\n"));
}

TEST_F(SettingsStoreTest, WriteSaveReloadRoundTrip)
{
    SettingsStore s(file());
    ASSERT_TRUE(s.load());  // no file yet: empty
    const QString key = QStringLiteral("Software\\QEL\\Vortalin5\\Din");
    const QString odd = QStringLiteral("a\\b\"c\\\\\" ü €");
    EXPECT_EQ(s.writeDword(key, QStringLiteral("TimeOut"), 0x80000001u), St::Ok);
    EXPECT_EQ(s.writeString(key, QStringLiteral("ModemCmd"), odd), St::Ok);
    EXPECT_EQ(s.writeString(key, QStringLiteral("Empty"), QString()), St::Ok);
    EXPECT_EQ(s.writeString(key, QStringLiteral("Bad"), QStringLiteral("two\nlines")), St::Invalid);
    EXPECT_TRUE(s.hasPendingChanges());
    ASSERT_TRUE(s.save());
    EXPECT_FALSE(s.hasPendingChanges());

    SettingsStore r(file());
    ASSERT_TRUE(r.load());
    quint32 d = 0;
    QString str = QStringLiteral("x");
    EXPECT_EQ(r.readDword(key, QStringLiteral("timeout"), d), St::Ok);
    EXPECT_EQ(d, 0x80000001u);
    EXPECT_EQ(r.readString(key, QStringLiteral("ModemCmd"), str), St::Ok);
    EXPECT_EQ(str, odd);
    EXPECT_EQ(r.readString(key, QStringLiteral("Empty"), str), St::Ok);
    EXPECT_TRUE(str.isEmpty());
    EXPECT_EQ(r.readString(key, QStringLiteral("Bad"), str), St::ValueMissing);
    EXPECT_EQ(r.valueNames(key), (QStringList{QStringLiteral("TimeOut"), QStringLiteral("ModemCmd"), QStringLiteral("Empty")}));
    EXPECT_EQ(r.subKeyNames(QStringLiteral("software\\qel")), QStringList{QStringLiteral("Vortalin5")});

    // A string overwritten by a dword changes its type.
    EXPECT_EQ(r.writeDword(key, QStringLiteral("modemcmd"), 7), St::Ok);
    EXPECT_EQ(r.readString(key, QStringLiteral("ModemCmd"), str), St::WrongType);
}

TEST_F(SettingsStoreTest, DeleteValueAndKey)
{
    SettingsStore s(file());
    ASSERT_TRUE(s.load());
    EXPECT_EQ(s.writeDword(QStringLiteral("A\\B\\C"), QStringLiteral("v"), 1), St::Ok);
    EXPECT_EQ(s.writeDword(QStringLiteral("A\\B"), QStringLiteral("w"), 2), St::Ok);
    EXPECT_EQ(s.deleteValue(QStringLiteral("A\\B\\C"), QStringLiteral("V")), St::Ok);
    EXPECT_EQ(s.deleteValue(QStringLiteral("A\\B\\C"), QStringLiteral("V")), St::ValueMissing);
    EXPECT_EQ(s.deleteValue(QStringLiteral("A\\X"), QStringLiteral("V")), St::KeyMissing);
    EXPECT_TRUE(s.keyExists(QStringLiteral("a\\b\\c")));
    EXPECT_EQ(s.deleteKey(QStringLiteral("a\\B")), St::Ok);  // with its children
    EXPECT_FALSE(s.keyExists(QStringLiteral("A\\B\\C")));
    EXPECT_FALSE(s.keyExists(QStringLiteral("A\\B")));
    EXPECT_TRUE(s.keyExists(QStringLiteral("A")));  // the parent stays
    EXPECT_EQ(s.deleteKey(QStringLiteral("A\\B")), St::KeyMissing);
    ASSERT_TRUE(s.save());
    SettingsStore r(file());
    ASSERT_TRUE(r.load());
    EXPECT_TRUE(r.keyExists(QStringLiteral("A")));
    EXPECT_FALSE(r.keyExists(QStringLiteral("A\\B")));
}

TEST_F(SettingsStoreTest, SaveMergesOnlyOwnChangesIntoTheFile)
{
    // Two programs hold the store open; each save keeps the other's values.
    SettingsStore a(file());
    SettingsStore b(file());
    ASSERT_TRUE(a.load());
    ASSERT_TRUE(b.load());
    a.writeDword(QStringLiteral("Software\\QEL\\Quintel5"), QStringLiteral("Inverter"), 3);
    ASSERT_TRUE(a.save());
    b.writeDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("lng"), 1);
    ASSERT_TRUE(b.save());

    quint32 d = 0;
    EXPECT_EQ(b.readDword(QStringLiteral("Software\\QEL\\Quintel5"), QStringLiteral("Inverter"), d), St::Ok);
    EXPECT_EQ(d, 3u);
    SettingsStore r(file());
    ASSERT_TRUE(r.load());
    EXPECT_EQ(r.readDword(QStringLiteral("Software\\QEL\\Quintel5"), QStringLiteral("Inverter"), d), St::Ok);
    EXPECT_EQ(r.readDword(QStringLiteral("Software\\QEL\\Vortalin5\\Appl"), QStringLiteral("lng"), d), St::Ok);
    EXPECT_EQ(d, 1u);
}

TEST_F(SettingsStoreTest, UnreadableFileFailsAndKeepsChangesPending)
{
    // A folder where the file should be: neither readable nor replaceable.
    ASSERT_TRUE(QDir().mkpath(file()));
    SettingsStore s(file());
    EXPECT_FALSE(s.load());
    EXPECT_EQ(s.writeDword(QStringLiteral("A"), QStringLiteral("v"), 2), St::Ok);
    EXPECT_FALSE(s.save());
    EXPECT_TRUE(s.hasPendingChanges());
}

// Found by fuzzing: a value of unknown type whose last line ends in a
// backslash (a continuation with nothing after it) took in the blank line
// the writer puts after each key, so it changed and grew with every save;
// a continuation line kept a stray carriage return that the next reading
// dropped; a key with a blank before "HKEY_CURRENT_USER\" kept the root in
// its path, which the next reading took off; dropping a backslash at either
// end of a path bared a blank there, which the next reading trimmed off, or
// a minus, which made the key a deletion entry on the next reading.
TEST_F(SettingsStoreTest, WhatIsSavedReadsBackTheSame)
{
    const struct {
        const char* name;
        QByteArray file;
    } cases[] = {
        {"at the end of the file", "[Software\\QEL]\r\n\"Blob\"=hex:01,02,\\"},
        {"before a blank line and the next key",
         "[Software\\QEL]\r\n\"Blob\"=hex:01,\\\r\n\r\n[Software\\QEL\\Ports]\r\n\"COM1\"=\"/dev/ttyS0\"\r\n"},
        {"a continuation line with a stray carriage return",
         "[Software\\QEL]\r\n\"Blob\"=hex:01,\\\r\n  02\r\r\n"},
        {"blank before the root", "[ \tHKEY_CURRENT_USER\\Software\\QEL]\r\n\"a\"=dword:00000001\r\n"},
        {"backslash before the root", "[\\HKEY_CURRENT_USER\\Software\\QEL]\r\n\"a\"=dword:00000001\r\n"},
        {"a blank bared by dropping a leading backslash", "[\\\\ \\Software\\QEL]\r\n\"a\"=dword:00000001\r\n"},
        {"a blank bared by dropping a trailing backslash", "[Software\\QEL \\\\]\r\n\"a\"=dword:00000001\r\n"},
        {"a blank bared after the root", "[HKEY_CURRENT_USER\\ \\Software]\r\n\"a\"=dword:00000001\r\n"},
        {"a key beginning with a minus once a backslash is dropped",
         "[\\\\-\\Software\\QEL]\r\n\"a\"=dword:00000001\r\n[-Software\\Gone]\r\n"},
        {"a key named like the root", "[HKEY_CURRENT_USER\\HKEY_CURRENT_USER\\QEL]\r\n\"a\"=dword:00000001\r\n"},
        {"the third input the fuzzer found",
         QByteArray(
                  "Windows Registry Editor Version 5.00\x0d\x0a\x0a[\x0dHKEY_CURRENT_USER\\S"
                  "oftware\\QEL\\Vortalin2\\Appl]\x0d\x0anl\"g\"=dword:0000010\x0a""0\x0d\"DataPath"
                  "\"=\"C\xbc\xa3\\data\\\\ \\\"q\\\"\"\x0d\x0a\"Blob\"=hex:01,02,\\\x0d\x0a  03,04\x0d\x0a\"Neg\"=dwo"
                  "rd:\x9f\x99\x99\x99""ffff\x0d\x0a@=\"default\"\x0d\x0a; comment\x0d\x0a\x0d\x0a[Software\\QEL\\Ports]\x0d"
                  "\x0a\"COM2\"=\"/de\x01\x00\x00\x00\x00\x00\x00\x00""0\"\x0d\x0a", 264)},
        {"the second input the fuzzer found",
         QByteArray(
                  "Windows Registry Editor Version 5.0!0\x0d\x0a\x0d\x0a[HKEY_CURRENT\xda\x00\x00\x00R\\"
                  "Software\\QEL\\Vortalin5\\Appl]\x0d\x0a\"lng\"=dword:0000010\x0a""0\x0d\"DataPat"
                  "h\"=\"C\xbc\xa3\\data\\\\ \\\"q\\\"\"\x0d\x0a\"Blob\"=hex:01,02,\\\x0d\x0a  03,04\x0d\x0d\x0a@=\"defa"
                  "ult\"\x0d\x0a; commen\"\x0d\x0a", 197)},
        {"the first input the fuzzer found",
         QByteArray(
                  "Win Editor Verrion 5.00\x0d\x0a\x0d\x0a[H\xff\xff\xff\xff\xff\xff\xff\xff""ENTalin5\\Appl]\x0d\x0awlng\"=d"
                  "word:00000001\x0d\x0a\"DataPath\"=\"C:\\\\data\\\\ \\\"q03,04\x0d\x0a\"Neg\"=dwWind"
                  "ows ReWgistry ord:ffffffff\x0d\x0a@=\"defad:00000001\x0d\x0a\"DiatnEdidaPa"
                  "th\"=\"tC:\\\\data\\\\", 196)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(c.file);
        SettingsStore s(file());
        ASSERT_TRUE(s.load());
        const QByteArray first = s.serialize();
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(s.writeDword(QStringLiteral("Software\\QEL\\Test"), QStringLiteral("n"), 7), St::Ok);
            ASSERT_TRUE(s.save());
            SettingsStore again(file());
            ASSERT_TRUE(again.load());
            EXPECT_EQ(again.serialize(), s.serialize());
        }
        writeFile(first);
        SettingsStore reread(file());
        ASSERT_TRUE(reread.load());
        EXPECT_EQ(reread.serialize(), first);
    }
    QString com;
    SettingsStore s(file());
    writeFile(cases[1].file);
    ASSERT_TRUE(s.load());
    EXPECT_EQ(s.readString(QStringLiteral("Software\\QEL\\Ports"), QStringLiteral("COM1"), com), St::Ok);
    EXPECT_EQ(com, QStringLiteral("/dev/ttyS0"));
    quint32 d = 0;
    writeFile(cases[3].file);
    ASSERT_TRUE(s.load());
    EXPECT_EQ(s.readDword(QStringLiteral("Software\\QEL"), QStringLiteral("a"), d), St::Ok);
}

TEST(SettingsStorePath, EnvironmentOverrideAndXdgDefault)
{
    const QByteArray oldReg = qgetenv("QEL_REGISTRY");
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("QEL_REGISTRY", "/tmp/x/reg.reg");
    EXPECT_EQ(SettingsStore::defaultPath(), QStringLiteral("/tmp/x/reg.reg"));
    qunsetenv("QEL_REGISTRY");
    qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(SettingsStore::defaultPath(), QStringLiteral("/tmp/cfg/qel/registry.reg"));
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SettingsStore::defaultPath(), QDir::homePath() + QStringLiteral("/.config/qel/registry.reg"));
    if (!oldReg.isNull())
        qputenv("QEL_REGISTRY", oldReg);
    if (!oldXdg.isNull())
        qputenv("XDG_CONFIG_HOME", oldXdg);
}

} // namespace
