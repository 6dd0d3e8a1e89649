#pragma once

// Shared by the project tests: a scripted interaction that records what the
// project shows and answers from queues, and a fixture with a folder of
// configuration files.

#include "project/vortalin_prj.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <deque>
#include <memory>
#include <vector>

namespace prjtest {

struct ShownMessage {
    QStringList Msg, Buttons;
    QString Title;
    int Icon = 0;
    QString P1, P2, P3;
    int Default = 0, Cancel = 0;
};

class ScriptedInteraction : public IPrjInteraction {
public:
    int Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                const QString& P1, const QString& P2, const QString& P3, int Default,
                int Cancel) override
    {
        messages.push_back({Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel});
        return take(messageAnswers, Cancel);
    }
    QString ChooseSaveFile(const TSaveDlgOptions& Options) override
    {
        saveOptions.push_back(Options);
        return take(saveAnswers, QString());
    }
    int ChooseCfg(int InvAdr, bool AllowAuto) override
    {
        cfgChoices.push_back({InvAdr, AllowAuto});
        return take(cfgAnswers, -1);
    }
    bool EditInv(TInvEditData& Data) override
    {
        invEdits.push_back(Data);
        return false;
    }
    int AskAddFile(const QString& FileName, const QStringList& Choices) override
    {
        addFileQuestions.push_back({FileName, Choices});
        return take(addFileAnswers, -2);
    }

    std::deque<int> messageAnswers;
    std::deque<QString> saveAnswers;
    std::deque<int> cfgAnswers;
    std::deque<int> addFileAnswers;

    std::vector<ShownMessage> messages;
    std::vector<TSaveDlgOptions> saveOptions;
    std::vector<std::pair<int, bool>> cfgChoices;
    std::vector<TInvEditData> invEdits;
    std::vector<std::pair<QString, QStringList>> addFileQuestions;

private:
    template <class T>
    static T take(std::deque<T>& q, T def)
    {
        if (q.empty())
            return def;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

// Records what a long operation reports.
class RecordingProgress : public IProgress {
public:
    void Start(const QString& title, const QString&) override
    {
        started = true;
        this->title = title;
    }
    void SetText(const QString& t) override { text = t; }
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override { positions.push_back(p); }
    bool Cancelled() const override { return false; }
    void Finish() override { finished = true; }

    bool started = false, finished = false;
    QString title, text;
    int max = -1;
    std::vector<int> positions;
};

// A project with a scripted interaction and a folder "bin/" of
// configuration files; events are recorded.
class PrjTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("bin"))));
        prj.BinPath = path(QStringLiteral("bin")) + u'/';
        prj.SetInteraction(ui);
        prj.OnPrjChanged = [this](QObject* s, TPrjChanges c) {
            EXPECT_EQ(s, &prj);
            changes.push_back(c);
        };
        prj.OnInvProtChanged = [this](QObject*, int a, TProt p) { protChanges.push_back({a, p}); };
        prj.OnInvStateChanged = [this](QObject*, int a, int s) { stateChanges.push_back({a, s}); };
    }

    // Writes bin/ParaNNNN.bin holding configuration `fileId` (default: number).
    void makeCfgFile(int number, int fileId = -1)
    {
        TCfgRec cfg;
        cfg.CfgId = fileId < 0 ? number : fileId;
        cfg.NewStyle = 1;
        ASSERT_EQ(cfg.SaveToFile(prj.BinPath + TVortalinCfgList::BinFileName(number)), 0);
    }

    // The sample configuration file of `type` from the build tree, in
    // place of any file of that name.
    void copySample(int type)
    {
        const QString name = TVortalinCfgList::BinFileName(type);
        const QString from = QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs/") + name);
        ASSERT_TRUE(QFile::exists(from)) << "build the sample_configs target";
        QFile::remove(prj.BinPath + name);
        ASSERT_TRUE(QFile::copy(from, prj.BinPath + name));
    }

    // The addresses that have an inverter, in order.
    std::vector<int> entries() const
    {
        std::vector<int> a;
        for (int i = 0; i < kPrjInvCount; ++i)
            if (prj.GetInv(i))
                a.push_back(i);
        return a;
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString p = path(name);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }

    static QByteArray readBytes(const QString& p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::shared_ptr<ScriptedInteraction> ui = std::make_shared<ScriptedInteraction>();
    TVortalinPrj prj;
    std::vector<TPrjChanges> changes;
    std::vector<std::pair<int, TProt>> protChanges;
    std::vector<std::pair<int, int>> stateChanges;
};

}  // namespace prjtest
