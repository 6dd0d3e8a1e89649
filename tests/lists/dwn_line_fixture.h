#pragma once

// A download list's line: the simulator on a pseudo-terminal as COM4 at
// 38400 baud with a type-21 inverter at address 1, the protocol selector on
// it (no retries) and a scheduler attached.

#include "tests/support/sim_virtual_time.h"
#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "sim/sim_din_pty_server.h"
#include "sim/sim_inverter.h"

#include "sample_inverter.h"

#include <gtest/gtest.h>

#include <memory>

namespace dwntest {

struct DwnSimLine {
    // Call from SetUp and return when it failed fatally.
    void openLine()
    {
        QString error;
        ASSERT_TRUE(din.start({}, &error)) << error.toStdString();
        qputenv("QEL_COM4", din.path().toLocal8Bit());
        sel = std::make_unique<TProtSel>();
        sel->Ansi()->SetComport(Com4);
        sel->Ansi()->SetBaudrate(B_38400);
        sel->Ansi()->SetTimeOut(400);
        sel->SetRetryCnt(0);
        sch = std::make_unique<TScheduler>();
        ASSERT_EQ(sch->Attach(sel.get()), 0);
        inv1 = qeltest::sampleInverter(1, 21);
        din.addInverter(inv1);
    }
    // Once the scheduler's clients are gone.
    void closeLine()
    {
        sch.reset();
        sel.reset();
        qunsetenv("QEL_COM4");
    }

    qeltest::SimVirtualTime time;
    qelsim::SimDinPtyServer din;
    std::unique_ptr<TProtSel> sel;
    std::unique_ptr<TScheduler> sch;
    std::shared_ptr<qelsim::SimInverter> inv1;
};

}  // namespace dwntest
