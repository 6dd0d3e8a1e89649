#pragma once

// Shared by the Quintel program tests: a scripted interaction, the settings
// of the install step in a temporary store, and simulated inverters on a
// pseudo-terminal mapped as COM6.

#include "tests/support/sim_virtual_time.h"
#include "quintel/cp_program.h"
#include "temp_dir.h"
#include "wait_until.h"

#include "installer.h"
#include "platform/settings_store.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "sim/sim_zelk_pty.h"
#include "sample_inverter.h"

#include <QDir>

#include <deque>
#include <functional>
#include <gtest/gtest.h>

namespace q2 {

using qeltest::sampleSource;
using qeltest::sampleInverter;

struct ShownMessage {
    QStringList Msg;
    QStringList Buttons;
    int Icon = 0;
    QString P1, P2;
    int Default = 0, Cancel = 0;
    QString text() const
    {
        QString t = Msg.join(QLatin1Char('\n'));
        return t.replace(QStringLiteral("@P1"), P1).replace(QStringLiteral("@P2"), P2);
    }
};

// Answers every question from a script; unscripted questions get their
// cancel button (or 0).
struct ScriptUi : ICpInteraction {
    std::vector<ShownMessage> messages;
    std::vector<QString> errorBoxes;
    std::deque<int> answers;  // button indices of the next messages
    std::function<int(const ShownMessage&)> onMessage;
    QString saveFile, openFile;
    QString saveDir, saveProposed, openDir;
    int saveCalls = 0, openCalls = 0;
    std::function<bool(TCpSettings&)> onSettings;
    std::function<bool(int&, bool)> onSelMode;
    std::function<bool(const std::shared_ptr<TParaRec>&, const QString&, int32_t&)> onEdit;
    std::vector<TCpPrintJob> printed;
    QString clipboard;
    std::vector<int> progressSteps;
    int progressStarts = 0, progressStops = 0;
    bool ended = false;
    int editorLang = -1;
    std::function<void()> onProgressStep;

    int Message(const QStringList& Msg, const QStringList& Buttons, const QString&, int Icon,
                const QString& P1, const QString& P2, const QString&, int Default, int Cancel) override
    {
        ShownMessage m{Msg, Buttons, Icon, P1, P2, Default, Cancel};
        messages.push_back(m);
        if (onMessage)
            return onMessage(m);
        if (!answers.empty()) {
            const int a = answers.front();
            answers.pop_front();
            return a;
        }
        return Cancel >= 0 ? Cancel : 0;
    }
    void ErrorBox(const QString&, const QString& Text) override { errorBoxes.push_back(Text); }
    QString ChooseSaveFile(const QString& Dir, const QString& Proposed) override
    {
        ++saveCalls;
        saveDir = Dir;
        saveProposed = Proposed;
        return saveFile;
    }
    QString ChooseOpenFile(const QString& Dir) override
    {
        ++openCalls;
        openDir = Dir;
        return openFile;
    }
    bool RunSettings(TCpSettings& s) override { return onSettings && onSettings(s); }
    bool RunSelMode(int& a, bool offline) override { return onSelMode && onSelMode(a, offline); }
    bool EditValue(const std::shared_ptr<TParaRec>& p, const QString& l, int32_t& v) override
    {
        return onEdit && onEdit(p, l, v);
    }
    void SetEditorLanguage(int Lang) override { editorLang = Lang; }
    bool Print(const TCpPrintJob& Job) override
    {
        printed.push_back(Job);
        return true;
    }
    void SetClipboardText(const QString& Text) override { clipboard = Text; }
    void ProgressStart(const QString&, const QString&, int) override { ++progressStarts; }
    void ProgressStep(int p) override
    {
        progressSteps.push_back(p);
        if (onProgressStep)
            onProgressStep();
    }
    void ProgressStop() override { ++progressStops; }
    void SetBusyCursor(bool) override {}
    void SetProgramIcon(const QString&) override {}
    void EndProgram() override { ended = true; }

    // Messages whose text contains `part`.
    int count(const QString& part) const
    {
        int n = 0;
        for (const auto& m : messages)
            n += m.text().contains(part) ? 1 : 0;
        return n;
    }
};

// The program against simulated inverters on COM6, with the install
// step's settings in a temporary store.
class ProgramTest : public qeltest::TempDirTest {
protected:
    static constexpr int kCom = 5;  // COM6

    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        QString error;
        ASSERT_TRUE(din.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM6", din.path().toLocal8Bit());
        freshStore(QStringLiteral("registry.reg"));
    }
    // The install step's settings in a new store file.
    void freshStore(const QString& name)
    {
        store = std::make_unique<SettingsStore>(path(name));
        InstallPaths paths;
        paths.application = QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/lang")) + QLatin1Char('/');
        paths.bin = QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs")) + QLatin1Char('/');
        paths.data = dir();
        InstallReport report;
        writeInitialValues(*store, paths, 0, false, report);
        setValue("Comport", kCom);
        setValue("TimeOut", 500);  // generous: the machine may be loaded
        ASSERT_TRUE(store->save());
    }
    void TearDown() override
    {
        prog.reset();
        qunsetenv("QEL_COM6");
    }
    void setValue(const char* name, int v)
    {
        store->writeDword(QString::fromLatin1(TCpSettings::Key), QString::fromLatin1(name), quint32(v));
        store->save();
    }
    std::shared_ptr<qelsim::SimInverter> addInverter(int adr, int type)
    {
        auto inv = sampleInverter(adr, type);
        din.addInverter(inv);
        return inv;
    }
    void create(const TProtSel::TDriverFactory& factory = {})
    {
        prog = std::make_unique<TQuintelProgram>(ui, *store, factory);
        prog->LockDir = dir();
    }
    // Creates and starts the program.
    bool start()
    {
        if (!prog)
            create();
        return prog->FirstShow();
    }
    // Every row has its value text.
    bool tableRead(int rows) const
    {
        if (prog->Rows.Count() < rows || prog->Engine.State != 3)
            return false;
        for (int i = 0; i < prog->Rows.Count(); ++i)
            if (prog->Rows.Row(i).ValueText == QStringLiteral(" "))
                return false;
        return true;
    }
    QString row(int i) const
    {
        const auto& r = prog->Rows.Row(i);
        return QStringList{r.Name, r.SetText, r.ParaName, r.ValueText}.join(QLatin1Char('|'));
    }
    QString text(int s, int i) const { return prog->Texts.GetText(s, i); }

    qeltest::SimVirtualTime time;
    qelsim::SimDinPtyServer din;
    std::unique_ptr<SettingsStore> store;
    ScriptUi ui;
    std::unique_ptr<TQuintelProgram> prog;
};

}  // namespace q2
