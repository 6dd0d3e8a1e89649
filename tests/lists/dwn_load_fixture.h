#pragma once

// Download-list windows offscreen: a project with the sample
// configurations, the English texts, the single editors and the print
// window as the program sets them up, and an answerer of the real
// message dialogs.

#include "dwn_fixture.h"
#include "fake_main_form.h"

#include "dialogs/print_form.h"
#include "lists/adr_edit.h"
#include "lists/dwn_load.h"
#include "lists/dwn_load_env.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "config/drag_drop.h"
#include "config/prog_cfg.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/shared_objects.h"

#include "wait_until.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <deque>

namespace dwntest {

// Answers every message dialog that opens with the next button index of
// `answers` (0 when none is left) and records its text and title.
class MessageAnswerer : public QObject {
public:
    MessageAnswerer()
    {
        timer_.setInterval(2);
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }
    struct Shown {
        QString text, title;
    };
    std::deque<int> answers;
    std::vector<Shown> shown;
    QStringList texts() const
    {
        QStringList l;
        for (const auto& s : shown)
            l << s.text;
        return l;
    }

private:
    void poll()
    {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible() || dlg->objectName() != QStringLiteral("UserDlg") || dlg == handled_)
            return;
        handled_ = dlg;
        const auto* label = dlg->findChild<QLabel*>(QStringLiteral("lblMessage"));
        shown.push_back({label ? label->text() : QString(), dlg->windowTitle()});
        int a = 0;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        if (auto* b = dlg->findChild<QAbstractButton*>(QStringLiteral("btn") + QString::number(a)))
            b->click();
        else
            dlg->reject();
    }
    QTimer timer_;
    QPointer<QDialog> handled_;
};

class DwnWindowTest : public DwnTest {
protected:
    void SetUp() override
    {
        DwnTest::SetUp();
        cfg.DataPath = dir();
        print.SetDataPath(dir());
        print.UsePdfInDataFolder();
        adr.SetProject(&prj);
        TDwnLoadShared& sh = shared;
        ::Project = &prj;
        LangTexts = &texts;
        ProgCfg = &cfg;
        ::Scheduler = scheduler();
        ::DragDrop = &drag;
        ::ClpBrd = &clipboard;
        mainForm.OnSetPrgOpFuncs = [this](PTOperatingFuncs f) { opFuncs = f; };
        mainForm.OnSetContextFuncs = [this](TContextList* l) { context = l; };
        sh.MainForm = &mainForm;
        sh.Windows = &windows;
        sh.ValEdit = &val;
        sh.SetEdit = &set;
        sh.AdrEdit = &adr;
        sh.ModeEdit = &mode;
        sh.Print = &print;
        // Enabled as the program's start-up enables it.
        rem.SetMainForm(&clipboard, nullptr);
        sh.RemEdit = &rem;
    }
    void TearDown() override
    {
        closeAll();
        ::Project = nullptr;
        LangTexts = nullptr;
        ProgCfg = nullptr;
        ::Scheduler = nullptr;
        ::DragDrop = nullptr;
        ::ClpBrd = nullptr;
        DwnTest::TearDown();
    }
    // Every window closes without a question.
    void closeAll()
    {
        for (TDwnLoad* w : windows.Open()) {
            w->Engine().Modified = false;
            w->Engine().TransferState = DwnTransfer::Idle;
            delete w;
        }
        // Closed windows go (and free their numbers).
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    TDwnLoad* open(int adr = 1, const QString& file = {})
    {
        TDwnLoad* w = CreateDwnLoad(shared, adr, 0, file);
        EXPECT_NE(w, nullptr);
        if (w) {
            EXPECT_TRUE(qeltest::waitUntil([w] { return w->isVisible(); }));
        }
        return w;
    }
    void add(TDwnLoad* w, int adr, int32_t value, int mode = DwnMode::RW, int mask = -1, const QString& note = {})
    {
        TDwnLoadEngine& e = w->Engine();
        e.InsertNewLine(int(e.Lines.size()), FindSharedPara(e.Cfg(), adr), adr, value, mask, mode, false, note);
        w->RefreshView(false);
    }
    static std::vector<int> marks(TDwnLoad* w)
    {
        std::vector<int> m;
        for (size_t i = 0; i < w->Engine().Lines.size(); ++i)
            if (w->Engine().Lines[i]->Selected)
                m.push_back(int(i));
        return m;
    }

    TProgCfg cfg;
    TDragDrop drag;
    TVortalinClpBrd clipboard;
    qeltest::TFakeMainForm mainForm;
    PTOperatingFuncs opFuncs = nullptr;
    TContextList* context = nullptr;
    TfrmValEdit val;
    TfrmSetEdit set;
    TfrmAdrEdit adr;
    TfrmModeEdit mode;
    TfrmRemEdit rem;
    TFrmvortalinprint print;
    MessageAnswerer answerer;
    // The tool windows handed to every window the test opens.
    TDwnLoadWindows windows;
    TDwnLoadShared shared;
};

}  // namespace dwntest
