#pragma once

// Helpers the driver tests against the simulator share: fault and request
// shorthands, the answer log of a driver, one asynchronous exchange.

#include "comm/custom_qel_prot.h"
#include "sim/sim_fault.h"
#include "tests/support/wait_until.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace drvtest {

// The byte that opens the address part of a DIN 66019 II request.
inline constexpr char kEot = 0x04;

// A simulator fault from its text form, e.g. "delay=200".
inline qelsim::SimFault Fault(const char* spec)
{
    qelsim::SimFault f;
    QString error;
    EXPECT_TRUE(qelsim::SimFault::parse(QString::fromLatin1(spec), f, &error)) << error.toStdString();
    return f;
}

// A parameter request: address, set byte (byte 2) and value.
inline TTelData Par(uint16_t parAdr, uint8_t setByte = 0, int32_t value = 0)
{
    TTelData d;
    d.ParAdr = parAdr;
    d.SetByte(2, setByte);
    d.Value = value;
    return d;
}

// The last frame a DIN 66019 II simulator received; empty when none.
template <class Sim>
QByteArray LastFrame(const Sim& sim)
{
    const auto frames = sim.receivedFrames();
    return frames.isEmpty() ? QByteArray() : frames.back();
}

// Logs every answer the driver raises into Answers; each must come from
// that driver.
inline void RecordAnswers(tCustomQelProt& Drv, std::vector<TRecTel>& Answers)
{
    const QObject* self = &Drv;
    Drv.SetOnRspAvail([self, &Answers](QObject* sender, TRecTel rec) {
        EXPECT_EQ(sender, self);
        Answers.push_back(rec);
    });
}

// One asynchronous request and its answer (from the log RecordAnswers
// fills); an empty record when the request is refused or no answer comes.
inline TRecTel AsyncExchange(tCustomQelProt& Drv, const std::vector<TRecTel>& Answers, bool read, int addr,
                             int service, const TTelData& d)
{
    const size_t before = Answers.size();
    const int id = read ? Drv.ReadParaReq(addr, service, d) : Drv.WriteParaReq(addr, service, d);
    EXPECT_GE(id, 1);
    EXPECT_LE(id, 15);
    if (id < 1)
        return {};
    EXPECT_TRUE(qeltest::waitUntil([&] { return Answers.size() > before; }, 10000));
    if (Answers.size() <= before)
        return {};
    EXPECT_EQ(Answers.back().ReqId, id);
    return Answers.back();
}

} // namespace drvtest
