#pragma once

// The main program's Quintel-mode windows against simulated inverters: a
// project of three (1 type 21 pairs "Drive A", 2 type 22 selector without a
// name, 3 type 3 old style), the real protocol selector, DIN 66019 II driver
// and scheduler over a pseudo-terminal, the real value editor, inverter
// choice and print window, and a recorder of messages and of what the
// windows hand to the main window.

#include "tests/support/sim_virtual_time.h"
#include "quintel/cp_window.h"
#include "fake_main_form.h"
#include "modal.h"
#include "temp_dir.h"
#include "wait_until.h"

#include "comm/custom_qel_prot.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/vortalin_clpbrd.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "lists/val_edit.h"
#include "project/vortalin_prj.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "tools/cfgtool/cfg_source.h"
#include "sample_inverter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>

namespace cpwin {

using qeltest::sampleSource;

inline std::shared_ptr<TCfgRec> sampleCfg(int type)
{
    QFile f(sampleSource(type));
    if (!f.open(QIODevice::ReadOnly))
        return nullptr;
    CfgSource src;
    QStringList errors;
    return CfgSourceFromJsonText(f.readAll(), src, errors) ? src.cfg : nullptr;
}

struct Msg {
    QStringList Lines;
    QString Title;
    int Icon = 0;
    QString P1, P2;
};

class CpWindowTest : public qeltest::TempDirTest {
protected:
    void SetUp() override
    {
        qeltest::TempDirTest::SetUp();
        texts.SetVersion(5);
        ASSERT_TRUE(texts.LoadFromFile(QDir(qeltest::binaryDir()).filePath(QStringLiteral("data/lang/lngproge.srb"))))
            << "build the lang_files target";
        for (int type : {21, 22, 3}) {
            auto cfg = sampleCfg(type);
            ASSERT_TRUE(cfg);
            prj.Append(cfg);
        }
        ASSERT_EQ(prj.AddInv(1, 21, QStringLiteral("Drive A"), prOffline, true), 0);
        ASSERT_EQ(prj.AddInv(2, 22, QStringLiteral("  "), prOffline, true), 0);
        ASSERT_EQ(prj.AddInv(3, 3, QStringLiteral("Old"), prOffline, true), 0);
        for (auto [adr, type] : {std::pair{1, 21}, {2, 22}, {3, 3}}) {
            qelsim::SimModel model;
            QString err;
            ASSERT_TRUE(qelsim::SimModel::fromJsonFile(sampleSource(type), model, &err)) << err.toStdString();
            sims[adr] = std::make_shared<qelsim::SimInverter>(adr, model);
            server.addInverter(sims[adr]);
        }
        QString err;
        ASSERT_TRUE(server.start({}, &err)) << err.toStdString();
        qputenv("QEL_COM6", server.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com6);
        sel->Ansi()->SetBaudrate(B_38400);
        sel->Ansi()->SetTimeOut(1000);
        for (int a : {1, 2, 3})
            sel->SetProtocol(a, prANSI);
        ASSERT_TRUE(sel->DriverOf(prANSI)->IsOpen());
        sch = new TScheduler;
        ASSERT_EQ(sch->Attach(sel.get()), 0);
        sch->SetActive(true);

        valEdit = new TfrmValEdit;
        valEdit->Connect(sch, &prj);
        invSel = new TfrmInvSel;
        invSel->SetProject(&prj);
        print = new TFrmvortalinprint;
        print->SetDataPath(dir());
        print->UsePdfInDataFolder();
        env.Scheduler = sch;
        env.Project = &prj;
        env.Texts = &texts;
        env.ClpBrd = &clpBrd;
        env.ValEdit = valEdit;
        env.InvSel = invSel;
        env.Print = print;
        env.Windows = &windows;
        env.AppName = QStringLiteral("Halvorn");
        env.VersionText = QStringLiteral("Version 5.4");
        env.Message = [this](const QStringList& Lines, const QStringList&, const QString& Title, int Icon,
                             const QString& P1, const QString& P2, const QString&, int, int) {
            messages.push_back({Lines, Title, Icon, P1, P2});
            return 0;
        };
        mainForm.OnSetPrgOpFuncs = [this](PTOperatingFuncs f) { opFuncs.push_back(f); };
        mainForm.OnSetContextFuncs = [this](TContextList* l) { contexts.push_back(l); };
        env.MainForm = &mainForm;
    }

    void TearDown() override
    {
        for (auto& w : windows)
            delete w.data();
        delete valEdit;
        delete invSel;
        delete print;
        sch->SetActive(false);
        sch->Release();
        sel.reset();
        server.stop();
        qunsetenv("QEL_COM6");
        qeltest::TempDirTest::TearDown();
    }

    QStringList lines(int s, int i) const
    {
        const QStringList* l = texts.GetStrings(s, i);
        return l ? *l : QStringList{};
    }

    // Every entry of the engine that is shown has its row and its answer.
    static bool tableRead(TfrmCpWindow& w)
    {
        const tQuintel& q = w.Engine();
        if (q.State != 3 || q.Entries.empty())
            return false;
        int shown = 0;
        for (const auto& e : q.Entries) {
            if (e->Id < 0)
                continue;
            ++shown;
            if (e->Status == tQuintel::NotReadYet || w.Core().Rows.Count() <= e->Id ||
                w.Core().Rows.Row(e->Id).ValueText == QStringLiteral(" "))
                return false;
        }
        return w.Core().Rows.Count() == shown;
    }

    TfrmCpWindow* openRead(int adr)
    {
        TfrmCpWindow* w = ShowQuintelWindow(env, adr, 0);
        EXPECT_TRUE(w);
        if (w) {
            EXPECT_TRUE(qeltest::waitUntil([&] { return tableRead(*w); }, 30000));
        }
        return w;
    }

    // The row of the entry whose target is `target`; -1 none.
    static int rowOfTarget(TfrmCpWindow& w, int target)
    {
        for (const auto& e : w.Engine().Entries)
            if (e->Id >= 0 && e->Para->Addr == target)
                return e->Id;
        return -1;
    }

    // What the main window does when the project's inverter list changed.
    void invListChanged()
    {
        sch->SetActive(false);
        sch->Detach();
        for (int s = 0; s < TScheduler::SlotCount; ++s)
            if (TSchItem* item = sch->GetItem(s); item && item->OnInvListChanged)
                item->OnInvListChanged();
        sch->Attach(sel.get());
        sch->SetActive(true);
    }

    static void screenshot(QWidget& w, const QString& name)
    {
        const QString d = qeltest::binaryDir() + QStringLiteral("/screenshots");
        QDir().mkpath(d);
        EXPECT_TRUE(w.grab().save(d + u'/' + name));
    }

    TVortalinText texts;
    TVortalinPrj prj;
    TVortalinClpBrd clpBrd;
    qeltest::SimVirtualTime time;
    qelsim::SimDinPtyServer server;
    std::map<int, std::shared_ptr<qelsim::SimInverter>> sims;
    std::unique_ptr<TProtSel> sel;
    TScheduler* sch = nullptr;
    // What the windows the test opens are created with.
    TCpWindowEnv env;
    TfrmValEdit* valEdit = nullptr;
    TfrmInvSel* invSel = nullptr;
    TFrmvortalinprint* print = nullptr;
    std::vector<Msg> messages;
    qeltest::TFakeMainForm mainForm;
    TQuintelWindows windows;
    std::vector<PTOperatingFuncs> opFuncs;
    std::vector<TContextList*> contexts;
};

}  // namespace cpwin
