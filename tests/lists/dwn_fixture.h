#pragma once

// Shared by the download-list tests: a scripted interaction and a
// notification log for TDwnLoadEngine, and a fixture with a project whose
// inverters use the sample configurations and the English language texts.

#include "config/lang_texts.h"
#include "lists/dwn_load_engine.h"
#include "project/vortalin_prj.h"

#include "qt_print.h"
#include "temp_dir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

namespace dwntest {

// The transfer progress: records what is shown; cancelled on demand.
class ScriptedProgress : public IProgress {
public:
    void Start(const QString& t, const QString& c) override
    {
        ++starts;
        title = t;
        cancelText = c;
        cancel = false;
    }
    void SetText(const QString& t) override { text = t; }
    void SetMax(int m) override { max = m; }
    void SetPosition(int p) override
    {
        positions.push_back(p);
        if (onPosition)
            onPosition(p);
    }
    bool Cancelled() const override { return cancel; }
    void Finish() override { ++finishes; }

    int starts = 0, finishes = 0, max = -1;
    QString title, cancelText, text;
    bool cancel = false;
    std::vector<int> positions;
    std::function<void(int)> onPosition;
};

class ScriptedUi : public IDwnInteraction {
public:
    int Message(const TDwnMessage& m) override
    {
        messages.push_back(m);
        if (onMessage)
            onMessage(m);
        if (answers.empty())
            return m.Default;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    QString ChooseSaveFile(const TDwnSaveDlg& d) override
    {
        saveDialogs.push_back(d);
        if (saveAnswers.empty())
            return {};
        const QString a = saveAnswers.front();
        saveAnswers.pop_front();
        return a;
    }
    int ChooseInverter(const QString& caption, int adr) override
    {
        invChoices.push_back({caption, adr});
        return invAnswer;
    }
    IProgress& Progress() override { return progress; }
    void ShowWait(const QString& caption, const QString& text, int max) override
    {
        waits.push_back({caption, text, max});
    }
    void UpdateWait(int remaining) override { waitUpdates.push_back(remaining); }
    void HideWait() override { ++waitHides; }

    // Texts of the messages' first lines, in order.
    QStringList firstLines() const
    {
        QStringList l;
        for (const auto& m : messages)
            l << m.Lines.value(0);
        return l;
    }

    std::deque<int> answers;
    std::deque<QString> saveAnswers;
    int invAnswer = -1;
    std::function<void(const TDwnMessage&)> onMessage;
    std::vector<TDwnMessage> messages;
    std::vector<TDwnSaveDlg> saveDialogs;
    std::vector<std::pair<QString, int>> invChoices;
    struct Wait {
        QString caption, text;
        int max;
    };
    std::vector<Wait> waits;
    std::vector<int> waitUpdates;
    int waitHides = 0;
    ScriptedProgress progress;
};

class NotifyLog : public IDwnNotify {
public:
    void RefreshView(bool top) override { ++(top ? refreshTop : refreshHere); }
    void RowsChanged() override { ++rowsChanged; }
    void CaptionChanged() override { ++captions; }
    void ControlsEnabled(bool on) override { controls.push_back(on); }
    void ContextItemsChanged(bool compress) override { contexts.push_back(compress); }
    void SelectLine(int i) override { selected.push_back(i); }
    void AddProjEnabled() override { ++addProj; }
    void ReleaseClipboard() override { ++clipboardReleases; }
    void CloseWindow() override
    {
        ++closes;
        if (onClose)
            onClose();
    }

    int refreshTop = 0, refreshHere = 0, rowsChanged = 0, captions = 0, addProj = 0, clipboardReleases = 0, closes = 0;
    std::vector<bool> controls, contexts;
    std::vector<int> selected;
    std::function<void()> onClose;
};

inline QString sampleBin(int type)
{
    return QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs/") + TVortalinCfgList::BinFileName(type));
}

// A project with a folder of sample configurations, the English texts and
// an engine on them (no scheduler).
class DwnTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("bin"))));
        prj.BinPath = path(QStringLiteral("bin")) + u'/';
        for (int type : {3, 21, 22}) {
            ASSERT_TRUE(QFile::exists(sampleBin(type))) << "build the sample_configs target";
            ASSERT_TRUE(QFile::copy(sampleBin(type), prj.BinPath + TVortalinCfgList::BinFileName(type)));
        }
        const QString lng = QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/lang/lngproge.srb"));
        texts.SetVersion(5);
        ASSERT_TRUE(texts.LoadFromFile(lng)) << "build the lang_files target";
        engine = makeEngine();
    }

    virtual TScheduler* scheduler() { return nullptr; }

    std::unique_ptr<TDwnLoadEngine> makeEngine()
    {
        return std::make_unique<TDwnLoadEngine>(&prj, scheduler(), &texts, ui, &notify);
    }

    void addInv(int adr, int cfg, const QString& name = QStringLiteral("Inv"))
    {
        ASSERT_EQ(prj.AddInv(adr, cfg, name, prOffline, true), 0);
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return f.fileName();
    }
    static QByteArray readFile(const QString& p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QStringList msg(int s, int i) const { return *texts.GetStrings(s, i); }
    QString txt(int s, int i) const { return texts.GetText(s, i); }

    TVortalinPrj prj;
    TVortalinText texts;
    ScriptedUi ui;
    NotifyLog notify;
    std::unique_ptr<TDwnLoadEngine> engine;
};

}  // namespace dwntest
