#pragma once

// The request state that the DIN 66019 II drivers share (serial line and
// IP): one request at a time, request numbers 1..15 in turn, the address
// part left out after a good exchange with the same inverter, and the
// answer record with the outcome of the answer scan. Sending, the receive
// buffer, the time-out timer and what a line adds (echo, line errors) stay
// with each driver.

#include "comm/din_answer_scan.h"
#include "comm/tel_records.h"

#include <cstdint>

class TDinRequest {
public:
    // After opening: nothing pending; the next request carries the address
    // part and request number 2.
    void Reset();

    // Refuses a second request (-101) and an address outside 0..239 for a
    // read or 0..255 for a write (-103). Otherwise: a fresh answer record,
    // the next request number, and the frame built into Frame (at least
    // DinCodec::MinTelBuffer bytes), without address part after a good
    // exchange with this inverter. Returns the frame's length or a negative
    // result (the codec's own ones included).
    int Prepare(bool IsRead, int Addr, int Service, const TTelData& Data, uint8_t* Frame);
    // The prepared frame has gone out: the request is pending.
    void Sent();

    // Ends the request with Status. Good: the exchange succeeded, so the
    // next request to this inverter leaves out the address part.
    void Finish(int Status, bool Good);
    // Drops the request without an exchange: the record and the
    // address-part rule stay as they are.
    void Abandon() { FPending = false; }

    // What to look for in the receive buffer. Where the drivers' lines
    // differ, the driver says: PollAcked, a poll (service -2) is answered by
    // an acknowledge; AllNegativeUnnumbered, the acknowledge and refusal of
    // every negative service carry request number 0 (otherwise only those
    // of service -1 do). No echo is set here.
    DinAnswerScan::TParams ScanParams(bool PollAcked, bool AllNegativeUnnumbered) const;
    // The Status of a conclusive scan outcome (Pending for None). Only
    // Success is a good exchange.
    static int StatusOf(DinAnswerScan::TOutcome Outcome, int ErrorNumber);

    bool Pending() const { return FPending; }
    // A write to an address above 239: nobody answers it.
    bool IsBroadcast() const { return FRec.InvAdr > MaxInvAdr; }
    int ReqId() const { return FReqId; }
    // The answer record of the current (or last) request.
    TRecTel& Rec() { return FRec; }
    const TRecTel& Rec() const { return FRec; }

private:
    int FLastAdr = -1;
    bool FGoodExchange = false;
    int FReqId = 1;
    TRecTel FRec;
    bool FPending = false;
    int FPendingService = 0;
    uint16_t FExpectedParAdr = 0;
};
