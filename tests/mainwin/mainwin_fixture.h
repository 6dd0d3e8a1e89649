#pragma once

// Shared by the main-window tests: a recording interaction that answers
// from queues, and a fixture with an installed program folder, its own
// settings store and lock folder, and a simulated DIN line on COM1.

#include "tests/support/sim_virtual_time.h"
#include "mainwin/fmain.h"
#include "mainwin/halvorn_windows.h"
#include "mainwin/main_interaction.h"
#include "project/vortalin_prj.h"
#include "sim/sim_din_pty_server.h"
#include "temp_dir.h"

#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace mwtest {

struct ShownMessage {
    QStringList Msg, Buttons;
    QString Title;
    int Icon = 0;
    QString P1{}, P2{}, P3{};
};

// The project's questions: answered from a queue (default: Cancel).
class ScriptedPrjInteraction : public IPrjInteraction {
public:
    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon, const QString&,
                const QString&, const QString&, int, int Cancel) override;
    QString ChooseSaveFile(const TSaveDlgOptions&) override;
    int ChooseCfg(int, bool) override { return -1; }
    bool EditInv(TInvEditData&) override { return false; }
    int AskAddFile(const QString& FileName, const QStringList& Choices) override;

    std::deque<int> messageAnswers;
    std::deque<QString> saveAnswers;
    std::deque<int> addFileAnswers;
    std::vector<ShownMessage> messages;
    // Runs while a question is shown (as the user could meanwhile).
    std::function<void()> onMessage;
    int saveDialogs = 0;
    QStringList addFileQuestions;
};

class RecordingUi : public IMainInteraction {
public:
    void ErrorBox(const QString& Text) override { errorBoxes.append(Text); }
    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString& P2, const QString& P3, int, int Cancel) override;
    QString ChooseOpenFile(const QString& Filter, int, const QString&) override;
    QString ChooseSaveFile(const TSaveDlgOptions&) override;
    bool OpenUrl(const QUrl& Url) override
    {
        urls.append(Url);
        return openUrlResult;
    }
    void Terminate(int Status) override { terminated.push_back(Status); }
    void InstallPrjDialogs(TVortalinPrj& Prj, QWidget*) override;

    QStringList errorBoxes;
    std::vector<ShownMessage> messages;
    // Runs while a message is shown.
    std::function<void()> onMessage;
    std::deque<int> messageAnswers;
    std::deque<QString> saveAnswers, openAnswers;
    int saveDialogs = 0, openDialogs = 0;
    QList<QUrl> urls;
    bool openUrlResult = true;  // false: no program takes a page
    std::vector<int> terminated;
    std::shared_ptr<ScriptedPrjInteraction> prj = std::make_shared<ScriptedPrjInteraction>();
};

class MainWinTest : public qeltest::TempDirTest {
public:
    QString registryPath() const { return path(QStringLiteral("registry.reg")); }
    QString appPath() const { return path(QStringLiteral("prefix/")); }

protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the install step into the folder (COM1 on the simulated line).
    void install();
    // Changes one dword of the settings store.
    void setDword(const QString& key, const QString& name, quint32 value);
    quint32 readDword(const QString& key, const QString& name) const;
    QByteArray registryBytes() const;
    // The demo project copied into the data folder; its path.
    QString demoProject();

    // The main window with the recording interaction and the windows around
    // it, as the program's entry composes them (not yet started).
    TFMain& makeMain(const QString& cmdLine = {});
    // Runs the start-up sequence.
    void start(const QString& cmdLine = {});
    // Frees the windows, then the main window.
    void endMain();

    std::shared_ptr<RecordingUi> ui = std::make_shared<RecordingUi>();
    std::unique_ptr<TFMain> main;
    std::unique_ptr<THalvornWindows> windows;
    qeltest::SimVirtualTime time;
    qelsim::SimDinPtyServer din;
};

} // namespace mwtest
