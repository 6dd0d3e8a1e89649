#include "mainwin_fixture.h"

#include "comm/prot_sel.h"
#include "config/progress_iface.h"
#include "installer.h"
#include "platform/settings_store.h"
#include "sim/sim_model.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace mwtest {

namespace {

template <class T>
T take(std::deque<T>& q, T def)
{
    if (q.empty())
        return def;
    T v = q.front();
    q.pop_front();
    return v;
}

// Progress that is never cancelled and shows nothing.
class SilentProgress : public IProgress {
public:
    void Start(const QString&, const QString&) override {}
    void SetText(const QString&) override {}
    void SetMax(int) override {}
    void SetPosition(int) override {}
    bool Cancelled() const override { return false; }
    void Finish() override {}
};

} // namespace

int ScriptedPrjInteraction::Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                                    const QString&, const QString&, const QString&, int, int Cancel)
{
    messages.push_back({Msg, Buttons, Title, Icon, {}});
    if (onMessage)
        onMessage();
    return take(messageAnswers, Cancel);
}

QString ScriptedPrjInteraction::ChooseSaveFile(const TSaveDlgOptions&)
{
    ++saveDialogs;
    return take(saveAnswers, QString());
}

int ScriptedPrjInteraction::AskAddFile(const QString& FileName, const QStringList&)
{
    addFileQuestions.append(FileName);
    return take(addFileAnswers, -2);
}

int RecordingUi::Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                         const QString& P1, const QString& P2, const QString& P3, int, int Cancel)
{
    messages.push_back({Msg, Buttons, Title, Icon, P1, P2, P3});
    if (onMessage)
        onMessage();
    return take(messageAnswers, Cancel);
}

QString RecordingUi::ChooseOpenFile(const QString&, int, const QString&)
{
    ++openDialogs;
    return take(openAnswers, QString());
}

QString RecordingUi::ChooseSaveFile(const TSaveDlgOptions&)
{
    ++saveDialogs;
    return take(saveAnswers, QString());
}

void RecordingUi::InstallPrjDialogs(TVortalinPrj& Prj, QWidget*)
{
    Prj.SetInteraction(prj);
    Prj.SetProgress(std::make_unique<SilentProgress>());
}

void MainWinTest::SetUp()
{
    qeltest::TempDirTest::SetUp();
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("run"))));
    QFile::setPermissions(path(QStringLiteral("run")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("QEL_REGISTRY", registryPath().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", path(QStringLiteral("run")).toLocal8Bit());
    qunsetenv("QEL_COM1");
    // Two inverters of type 21 that answer only at 9600 bit/s.
    for (int addr : {1, 2}) {
        qelsim::SimModel model;
        QString error;
        ASSERT_TRUE(qelsim::SimModel::fromJsonFile(
            QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/configs/type0021.json")), model, &error))
            << error.toStdString();
        din.addInverter(std::make_shared<qelsim::SimInverter>(addr, model));
    }
    din.setLineRate(9600);
    QString error;
    ASSERT_TRUE(din.start({}, &error)) << error.toStdString();
    install();
}

void MainWinTest::TearDown()
{
    endMain();
    din.stop();
    qunsetenv("QEL_REGISTRY");
    qunsetenv("XDG_RUNTIME_DIR");
}

void MainWinTest::install()
{
    InstallOptions o;
    o.prefix = path(QStringLiteral("prefix"));
    o.registryPath = registryPath();
    const QDir build(qeltest::binaryDir());
    o.langDir = build.filePath(QStringLiteral("data/lang"));
    o.configDir = build.filePath(QStringLiteral("data/configs"));
    o.helpDir = build.filePath(QStringLiteral("data/help"));
    o.resourceDir = build.filePath(QStringLiteral("data/icons"));
    o.ports.insert(QStringLiteral("COM1"), din.path());
    InstallReport r;
    ASSERT_TRUE(runInstall(o, r)) << r.errors.join(u'\n').toStdString();
    // Each test stays within two addresses, so that a search's silent
    // addresses and rates cost little.
    setDword(QStringLiteral("Software\\QEL\\Vortalin5\\DefPrj"), QStringLiteral("MinInvAdr"), 1);
    setDword(QStringLiteral("Software\\QEL\\Vortalin5\\DefPrj"), QStringLiteral("MaxInvAdr"), 2);
    // Far above a pty round trip (a few ms) even on a loaded machine; each
    // silent address costs five of them.
    setDword(QStringLiteral("Software\\QEL\\Vortalin5\\Din"), QStringLiteral("TimeOut"), 200);
}

void MainWinTest::setDword(const QString& key, const QString& name, quint32 value)
{
    SettingsStore s(registryPath());
    ASSERT_TRUE(s.load());
    ASSERT_EQ(s.writeDword(key, name, value), SettingsStore::Status::Ok);
    ASSERT_TRUE(s.save());
}

quint32 MainWinTest::readDword(const QString& key, const QString& name) const
{
    SettingsStore s(registryPath());
    quint32 v = 0xFFFFFFFF;
    if (s.load())
        s.readDword(key, name, v);
    return v;
}

QByteArray MainWinTest::registryBytes() const
{
    QFile f(registryPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString MainWinTest::demoProject()
{
    const QString target = path(QStringLiteral("prefix/data/demo.pr5"));
    QDir().mkpath(path(QStringLiteral("prefix/data")));
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/demo/demo.pr5")), target));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

TFMain& MainWinTest::makeMain(const QString& cmdLine)
{
    endMain();
    main = std::make_unique<TFMain>(ui);
    main->CmdLineParam = cmdLine;
    windows = std::make_unique<THalvornWindows>(*main);
    return *main;
}

void MainWinTest::endMain()
{
    windows.reset();
    main.reset();
}

void MainWinTest::start(const QString& cmdLine)
{
    makeMain(cmdLine).FormShow();
}

} // namespace mwtest
