#pragma once

// The scope on a line: the simulator with a type-21 inverter at address 1
// on a pseudo-terminal as COM6, the protocol selector on it and a scheduler.

#include "comm/prot_sel.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"
#include "sim/sim_model.h"

#include "scope_fixture.h"

#include <gtest/gtest.h>

#include <QDir>

#include <memory>

namespace scopetest {

class ScopeLineFixture : public ScopeTest {
protected:
    // Starts the simulator and attaches the scheduler to the line; call from
    // SetUp and return when it failed fatally.
    void openLine()
    {
        QString error;
        qelsim::SimModel model;
        ASSERT_TRUE(qelsim::SimModel::fromJsonFile(
            QDir(qeltest::sourceDir()).filePath(QStringLiteral("data/configs/type0021.json")), model, &error));
        inv = std::make_shared<qelsim::SimInverter>(1, model);
        inv->setConfigNumber(model.fileCfgId);
        // A quick sine on a signed parameter: 800 around 0, 400 ms.
        inv->setSignal(0x0109, qelsim::SimSignal{qelsim::SimSignal::Sine, 800, 400, 0});
        din.addInverter(inv);
        ASSERT_TRUE(din.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM6", din.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com6);
        sel->Ansi()->SetTimeOut(1000);
        sel->SetRetryCnt(0);
        sel->SetProtocol(1, prANSI);
        ASSERT_TRUE(sel->DriverOf(prANSI)->IsOpen());
        ASSERT_EQ(sch.Attach(sel.get()), 0);
    }
    // Once the scheduler's clients are gone.
    void closeLine()
    {
        sch.Detach();
        sel.reset();
        qunsetenv("QEL_COM6");
    }

    qelsim::SimDinPtyServer din;
    std::shared_ptr<qelsim::SimInverter> inv;
    std::unique_ptr<TProtSel> sel;
    TScheduler sch;
};

}  // namespace scopetest
