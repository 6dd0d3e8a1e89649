#pragma once

// Control interface of the simulated Interbus board (libsimibs.so). The
// library implements the board library's C entry points
// (comm/ibddi_api.h): a mailbox that answers the messages the Interbus
// driver sends, the process images, and devices on the ring, among them
// inverters reached through PCP or through a handshake in their process
// data. The device at ring position G is the inverter at address G + 1;
// positions without a device of their own hold plain I/O modules. A test
// reaches the same loaded copy through qelsim_ibs_board() (dlsym).
//
// The board is called synchronously by the driver and has no thread:
// late answers wait in the mailbox until they are due.

#include "sim/cards/sim_card.h"

#include <QByteArray>
#include <QList>
#include <QVector>

#include <cstdint>
#include <memory>

namespace qelsim {

// reset(): no devices, faults or log; diagnostic word 0xA0 (ready,
// running). addInverter adds an inverter with PCP (ID code 0xE3, vendor
// "QEL", 8 bytes of process data).
class SimIbsBoard : public SimCard {
public:
    // An inverter with the process-data handshake (ID code 0xB3, 4 bytes).
    virtual std::shared_ptr<SimInverter> addHandshakeInverter(int address, int32_t cfgId = 1) = 0;
    // Another device: ID code, process-data length in bytes, PCP vendor.
    virtual void addDevice(int address, uint8_t idCode, int length, const QByteArray& vendor = {}) = 0;

    // Fieldbus variables (PCP indexes below 0x2000 or above 0x5FFF).
    virtual void setVariable(int address, uint16_t index, uint8_t sub, const QByteArray& bytes) = 0;
    virtual QByteArray variable(int address, uint16_t index, uint8_t sub) const = 0;

    // The next PCP request to `address` is refused with this error.
    virtual void pushPcpError(int address, int errorClass, int errorCode, int additional) = 0;
    // A message from the board, e.g. {0x6342} (restart) or an abort.
    virtual void indicate(const QVector<uint16_t>& words) = 0;
    // The device's PCP connection breaks: an abort indication follows and
    // requests are refused until it is connected again.
    virtual void abortConnection(int address) = 0;

    virtual void setDiagnostic(uint16_t word) = 0;
    virtual uint16_t diagnostic() const = 0;
    // The next n calls of an entry point fail.
    virtual void failCall(const QByteArray& name, int times) = 0;
    // The next n confirmations of a message code carry an error.
    virtual void failMessage(int code, int times) = 0;
    // The process-data mapping claims `extra` more records than it holds.
    virtual void overstateMapping(int extra) = 0;

    // Messages the driver sent (words), nodes opened, connections made,
    // the output image as the driver wrote it (words most significant
    // byte first).
    virtual QList<QVector<uint16_t>> sent() const = 0;
    virtual QList<QByteArray> openedNodes() const = 0;
    virtual int openNodes() const = 0;
    virtual int connects() const = 0;
    virtual QByteArray outputImage() const = 0;
    virtual QByteArray inputImage() const = 0;
    virtual void clearLog() = 0;
};

} // namespace qelsim

extern "C" qelsim::SimIbsBoard* qelsim_ibs_board();
