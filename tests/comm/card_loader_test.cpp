// The card-library loader: which shared object stands for a Windows library
// name, and that every way of missing it leaves nothing loaded; a card
// driver whose library is missing does not open and its addresses are
// answered offline.

#include "comm/can.h"
#include "comm/card_library.h"
#include "comm/prot_sel.h"
#include "tests/comm/card_fixture.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

using cardtest::CardLibrary;
using cardtest::LibraryScope;

struct LoaderCase {
    const char* name;
    // What the store holds for "nican.DLL": "" nothing, "@text" a file that
    // is no library, "@none" a path that does not exist, else a card library.
    const char* configured;
    const char* entry;
    bool loads;
    bool binds;
};

class CardLoader : public qeltest::TempDirTest, public ::testing::WithParamInterface<LoaderCase> {};

TEST_P(CardLoader, MissingInAnyWayLeavesNothingLoaded)
{
    const LoaderCase& c = GetParam();
    std::map<QString, QString> libs;
    const QString configured = QString::fromLatin1(c.configured);
    if (configured == QLatin1String("@text")) {
        QFile f(path("not-a-library.so"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("plain text\n");
        libs[QStringLiteral("nican.DLL")] = f.fileName();
    } else if (configured == QLatin1String("@none")) {
        libs[QStringLiteral("nican.DLL")] = path("missing.so");
    } else if (!configured.isEmpty()) {
        // The name is looked up without regard to case.
        libs[QStringLiteral("NICAN.dll")] = CardLibrary(c.configured);
    }
    LibraryScope scope(path("registry.reg"), libs);

    TCardLibrary lib;
    EXPECT_EQ(lib.Load(QStringLiteral("nican.DLL")), c.loads);
    EXPECT_EQ(lib.IsLoaded(), c.loads);
    if (!c.loads) {
        EXPECT_FALSE(lib.LastError().isEmpty());
        return;
    }
    void (*fn)() = nullptr;
    EXPECT_EQ(lib.Bind(c.entry, fn), c.binds);
    EXPECT_EQ(fn != nullptr, c.binds);
    lib.Unload();
    EXPECT_FALSE(lib.IsLoaded());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CardLoader,
    ::testing::Values(LoaderCase{"nothing configured", "", "ncOpenObject", false, false},
                      LoaderCase{"a file that is no library", "@text", "ncOpenObject", false, false},
                      LoaderCase{"a file that does not exist", "@none", "ncOpenObject", false, false},
                      LoaderCase{"an entry point of another card", "simcan", "DDI_DevOpenNode", true, false},
                      LoaderCase{"the card's own entry point", "simcan", "ncOpenObject", true, true}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return n;
    });

class CardMissing : public qeltest::TempDirTest {};

TEST_F(CardMissing, DriverDoesNotOpenAndItsAddressesAreAnsweredOffline)
{
    QFile f(path("not-a-library.so"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    // Nothing configured, a file that is no library, a library without the
    // CAN entry points (the Interbus board's).
    for (const QString& file : {QString(), f.fileName(), CardLibrary("simibs")}) {
        std::map<QString, QString> libs;
        if (!file.isEmpty())
            libs[QStringLiteral("nican.DLL")] = file;
        LibraryScope scope(path("registry.reg"), libs);
        TProtSel sel;
        EXPECT_EQ(sel.Can()->Open(), QelResult::OpenFailed);
        sel.SetProtocol(3, prCAN);
        EXPECT_FALSE(sel.DriverOf(prCAN)->IsOpen());
        EXPECT_EQ(sel.GetActiveProtocol(3), prOffline);
        TRecTel rsp;
        TTelData d;
        d.ParAdr = 0x0102;
        EXPECT_EQ(sel.ReadPara(3, QelService::Plain, d, rsp), 0);
        EXPECT_EQ(rsp.Status, QelResult::Offline);
    }
}

} // namespace
