#pragma once

// The control block every simulated card shares: its clock, a reset under
// the card's one lock, inverters added by address and configuration
// number, the fieldbus variables, the fault queue for requests whose
// inverter has none, and the set-up file read at load time; and the
// answer of an inverter behind the card to a binary telegram, which every
// card carries. Each card derives from it and fills in the rest of its
// control interface.

#include "sim/cards/sim_card_setup.h"
#include "sim/sim_clock.h"
#include "sim/sim_fault.h"
#include "sim/sim_inverter.h"
#include "sim/sim_zelk_telegram.h"

#include <QByteArray>

#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace qelsim {

// Value: what one fieldbus variable holds on that card.
template <class Interface, class Value>
class SimCardControl : public Interface {
public:
    void setClock(SimClock* clock) override { setSimClock(clock); }
    void reset() override
    {
        std::lock_guard lock(mutex_);
        resetLocked();
    }
    std::shared_ptr<SimInverter> addInverter(int address, int32_t cfgId) override
    {
        auto inv = std::make_shared<SimInverter>(address, cfgId);
        addInverter(inv);
        return inv;
    }
    void addInverter(const std::shared_ptr<SimInverter>& inv) override
    {
        std::lock_guard lock(mutex_);
        placeInverterLocked(inv);
    }
    SimFaultQueue& faults() override { return faults_; }

protected:
    // Everything back to the state of a fresh card; called under the lock.
    virtual void resetLocked() = 0;
    // Puts inv behind the card at its address; called under the lock.
    virtual void placeInverterLocked(const std::shared_ptr<SimInverter>& inv) = 0;

    // The set-up file the environment variable names; its card fault joins
    // the queue.
    SimCardSetup loadSetup(const char* envVar)
    {
        SimCardSetup setup = SimCardSetupFromEnv(envVar);
        if (setup.hasCardFault)
            faults_.push(setup.cardFault);
        return setup;
    }

    // The fault for a request to inv: its own queue first, then the card's.
    SimFault takeFault(SimInverter& inv) { return inv.faults().empty() ? faults_.take() : inv.faults().take(); }

    // The answer of inv (inverter address `address`) to a binary telegram
    // that came through the card, and the delay its fault asks for; empty
    // when none goes back (an answer or a broken telegram came, or the
    // fault silences it).
    QByteArray telegramAnswer(const QByteArray& raw, SimInverter& inv, int address, int& delayMs)
    {
        const zelk::Telegram tel = zelk::decode(raw);
        if (tel.isAnswer || !tel.checkOk || !tel.lengthOk)
            return {};
        const SimFault fault = takeFault(inv);
        if (fault.silence)
            return {};
        SimReply reply;
        if (fault.refuse) {
            reply.status = fault.refuse;
        } else {
            SimRequest req;
            req.address = address;
            req.service = tel.service;
            req.isWrite = tel.isWrite;
            req.reqId = tel.number;
            req.data = tel.data;
            reply = inv.handle(req);
        }
        QByteArray out =
            zelk::buildAnswer(tel.service, tel.isWrite, tel.number, tel.highNibble, reply.status, reply.data);
        if (!out.isEmpty() && fault.badCheck)
            out[out.size() - 1] = char(out[out.size() - 1] ^ 0x01);
        delayMs = fault.delayMs;
        return out;
    }

    // Runs f under the lock and returns what it returns: the control
    // interface's setters and getters touch one field each.
    template <class F> auto locked(F&& f) const
    {
        std::lock_guard lock(mutex_);
        return f();
    }

    using VariableKey = std::tuple<int, uint16_t, uint8_t>;  // address, index, subindex

    mutable std::mutex mutex_;
    std::map<VariableKey, Value> variables_;
    SimFaultQueue faults_;
};

// A card whose fieldbus variables are byte strings (Interbus, Profibus).
template <class Interface>
class SimByteVariableCard : public SimCardControl<Interface, QByteArray> {
public:
    void setVariable(int address, uint16_t index, uint8_t sub, const QByteArray& bytes) override
    {
        this->locked([&] { this->variables_[{address, index, sub}] = bytes; });
    }
    QByteArray variable(int address, uint16_t index, uint8_t sub) const override
    {
        return this->locked([&] {
            auto it = this->variables_.find({address, index, sub});
            return it == this->variables_.end() ? QByteArray() : it->second;
        });
    }
};

// The one card of a library, made at its first use: the vendor's entry
// points and the control interface reach the same object.
template <class Card> Card& TheCard()
{
    static Card card;
    return card;
}

} // namespace qelsim
