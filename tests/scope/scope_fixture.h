#pragma once

// Shared by the scope tests: a scripted interaction and screen that record
// what the scope shows, and a project of sample-type inverters.

#include "config/lang_texts.h"
#include "project/vortalin_prj.h"
#include "scope/scope_engine.h"
#include "temp_dir.h"
#include "srb_builder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

#include <ostream>

// Readable failure output.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace scopetest {

struct Shown {
    QStringList Msg;
    int Buttons = 0;
    int Icon = 0;
    QString P1, P2;
};

class ScriptedScopeUi : public IScopeInteraction {
public:
    int Message(const QStringList& Msg, int ButtonList, const QString&, int Icon, const QString& P1,
                const QString& P2, const QString&, int, int Cancel) override
    {
        shown.push_back({Msg, ButtonList, Icon, P1, P2});
        if (answers.empty())
            return Cancel;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    QString ChooseSaveFile(const TSaveDlgOptions& Options, const QString& Proposal) override
    {
        options.push_back(Options);
        proposals.push_back(Proposal);
        if (files.empty())
            return QString();
        const QString f = files.front();
        files.pop_front();
        return f;
    }
    std::deque<int> answers;
    std::deque<QString> files;
    std::vector<Shown> shown;
    std::vector<TSaveDlgOptions> options;
    QStringList proposals;
};

class RecordingScreen : public IScopeScreen {
public:
    void SetRunButton(bool Down) override { button = Down; }
    void SetRecordingLook(bool Recording) override { recordingLook = Recording; }
    void ClearPlot() override { ++clears; }
    void RestartDrawing() override { ++restarts; }
    void DrawSample(int Index) override { drawn.push_back(Index); }
    void RedrawAll() override { ++redraws; }
    int ScrollPosition() const override { return scroll; }
    void ChannelsResolved() override { ++resolved; }
    void CaptionChanged() override {}
    void FileChanged() override { ++fileChanges; }
    void Busy(bool On) override { busy = On; }
    void CloseForEmptyProject() override { closed = true; }

    bool button = false, recordingLook = false, busy = false, closed = false;
    int clears = 0, restarts = 0, redraws = 0, resolved = 0, fileChanges = 0, scroll = 0;
    std::vector<int> drawn;
};

// Language texts whose entry (s, i) reads "s.i" (sections 0 to 1, 60
// entries each; (0,24) has the second line "0.24/2"), so that a test sees
// which message was shown; section 9
// names the error codes "E<n>".
inline void MakeTexts(TVortalinText& t)
{
    qeltest::SrbBuilder b;
    b.magic = QByteArray(TVortalinText::Magic, TVortalinText::MagicSize);
    for (int s = 0; s < 9; ++s) {
        b.sections[s];  // sections 2 to 8 are there without entries
        for (int i = 0; s < 2 && i < 60; ++i)
            b.sections[s].push_back({QByteArray::number(s) + '.' + QByteArray::number(i)});
    }
    // The close question's text has two lines.
    b.sections[0][24].push_back("0.24/2");
    b.sections[9] = {{"2=E2", "3=E3", "-10=E-10"}};
    const QByteArray file = b.build();
    t.SetVersion(5);
    ASSERT_TRUE(t.LoadFromBytes(file));
}

// A project whose configurations come from the sample types built into
// the build tree, and a scope engine on it.
class ScopeTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        prj.BinPath = QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/configs")) + u'/';
        prj.SetInteraction(std::make_shared<NoPrjInteraction>());
        eng.Project = &prj;
        eng.Interaction = ui;
        eng.Screen = screen;
        eng.NowMs = [this] { return nowMs; };
        eng.NowDate = [] { return 45000.5; };
        eng.Ring.fill(TScopeSample{});
        MakeTexts(texts);
        eng.Texts = &texts;
    }

    // The first line of every message shown so far.
    QStringList shownTexts() const
    {
        QStringList out;
        for (const Shown& s : ui->shown)
            out << s.Msg.value(0);
        return out;
    }

    void addInv(int adr, int cfg = 21, TProt prot = prOffline)
    {
        ASSERT_EQ(prj.AddInv(adr, cfg, QStringLiteral("Inv %1").arg(adr), prot, true), 0);
    }

    static QByteArray readBytes(const QString& p)
    {
        QFile f(p);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString p = path(name);
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return p;
    }

    TVortalinText texts;
    TVortalinPrj prj;
    TScopeEngine eng;
    std::shared_ptr<ScriptedScopeUi> ui = std::make_shared<ScriptedScopeUi>();
    std::shared_ptr<RecordingScreen> screen = std::make_shared<RecordingScreen>();
    int64_t nowMs = 1000000;
};

// Little-endian byte builder for hand-written files.
struct Bytes {
    QByteArray b;
    Bytes& i32(int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.append(char(uint32_t(v) >> (8 * i)));
        return *this;
    }
    Bytes& u16(uint16_t v)
    {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
        return *this;
    }
    Bytes& f64(double d)
    {
        b.append(reinterpret_cast<const char*>(&d), 8);
        return *this;
    }
    Bytes& raw(const QByteArray& x)
    {
        b.append(x);
        return *this;
    }
};

} // namespace scopetest
