#pragma once

// Control interface of the simulated Profibus DP master card
// (libsimpbs.so). The library implements the card library's C entry
// points (comm/papi_api.h): the master's initialisation and operating
// modes, slave diagnoses, configuration reads, acyclic connections that
// carry binary telegrams, and the slaves' cyclic data (an 8-byte parameter
// channel and 8 bytes of process data) for simulated inverters at their
// bus addresses. A test reaches the same loaded copy through
// qelsim_pbs_card() (dlsym).
//
// The card is called synchronously by the driver and has no thread:
// confirmations and indications wait in a queue that profi_rcv_con_ind
// hands out one at a time (delayed ones only once they are due).

#include "sim/cards/sim_card.h"

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <memory>

namespace qelsim {

// reset(): no slaves, faults or log; mode Offline. addInverter adds a
// slave with an inverter behind it: ident number 0x05EB, configuration
// identifiers B7 A3 93, 16 bytes in and out. The faults taken from the
// queues: silence, delay, refuse, badcheck.
class SimPbsCard : public SimCard {
public:
    // One request the driver sent: layer, service, reference, the first
    // bytes of its data, and what profi_snd_req_res returned.
    struct Request {
        int layer = 0;
        int service = 0;
        int ref = 0;
        QByteArray data;
        int result = 0;
    };

    // The slave's own DP identity. A parameter set with another ident
    // number gives a parameter fault, other configuration data a
    // configuration fault (station status 1 bits 6 and 2).
    virtual void setSlaveIdent(int address, uint16_t ident) = 0;
    virtual void setSlaveConfig(int address, const QByteArray& identifiers) = 0;
    // The slave never becomes ready for data exchange (status 1 bit 1).
    virtual void setNeverReady(int address, bool on) = 0;
    // Further station status 1 bits the slave reports; a new diagnosis is
    // announced at once while the master is in Operate.
    virtual void setStatusBits(int address, uint8_t status1) = 0;
    // Input and output lengths of the slave's I/O description.
    virtual void setIoLength(int address, int in, int out) = 0;
    // Connection requests to the slave are refused.
    virtual void refuseConnection(int address, bool on) = 0;

    // Fieldbus variables of the parameter channel (indexes outside
    // 0x2000..0x5FFF).
    virtual void setVariable(int address, uint16_t index, uint8_t sub, const QByteArray& bytes) = 0;
    virtual QByteArray variable(int address, uint16_t index, uint8_t sub) const = 0;

    // The next parameter channel request to the slave is answered with
    // this error (class, code, additional code).
    virtual void pushParamError(int address, int errorClass, int errorCode, int additional) = 0;
    // The next telegram to the slave gets a negative confirmation with
    // this error code (D byte 4).
    virtual void pushNegativeTelegram(int address, int code) = 0;
    // The slave's next input reads deliver these bytes (at most 32, their
    // count reported as the length) in place of its inputs, one entry a
    // read: a slave or bus that delivers garbage.
    virtual void pushInput(int address, const QByteArray& bytes) = 0;
    // The next n calls of an entry point return `result` and do nothing
    // else (e.g. 23 busy, 7 from profi_rcv_con_ind, 31 from
    // profi_set_default).
    virtual void failCall(const QByteArray& name, int result, int times) = 0;
    // The next n requests of a service are accepted but never confirmed.
    virtual void dropConfirmation(int service, int times) = 0;
    // A confirmation (primitive 1) or indication (2) from the card.
    virtual void inject(int service, int primitive, int ref, int result, const QByteArray& data) = 0;
    // profi_get_last_error's result.
    virtual void setLastError(int value) = 0;

    // Logs.
    virtual QList<Request> requests() const = 0;
    virtual int calls(const QByteArray& name) const = 0;
    virtual int mode() const = 0;
    // The parameter set loaded for a slave (empty when none).
    virtual QByteArray paramSet(int address) const = 0;
    virtual QByteArray busParams() const = 0;
    // Parameter channel requests carried out for the slave.
    virtual int channelRequests(int address) const = 0;
    // The last parameter channel request bytes (output bytes 0-7) the
    // slave took.
    virtual QByteArray channelRequest(int address) const = 0;
    virtual void clearLog() = 0;
};

} // namespace qelsim

extern "C" qelsim::SimPbsCard* qelsim_pbs_card();
