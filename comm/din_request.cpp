#include "comm/din_request.h"

#include "comm/din_codec.h"

void TDinRequest::Reset()
{
    FPending = false;
    FGoodExchange = false;
    FReqId = 1;
    FLastAdr = -1;
}

int TDinRequest::Prepare(bool IsRead, int Addr, int Service, const TTelData& Data, uint8_t* Frame)
{
    // One request at a time, also after the time-out of a synchronous
    // exchange's own request: the exchange ends that request itself before
    // it tries again, so a request taken here could only be another
    // client's, would replace the exchange's request, and its answer would
    // be handed to the exchange.
    if (FPending)
        return QelResult::DriverBusy;
    if (Addr < 0 || Addr > (IsRead ? MaxInvAdr : MaxBroadcastAdr))
        return QelResult::AddrRange;
    if (Addr != FLastAdr) {
        FLastAdr = Addr;
        FGoodExchange = false;
    }

    // A fresh record: no data or result of an earlier exchange survives.
    FRec = TRecTel{};
    FRec.InvAdr = Addr;
    FRec.Service = Service;
    FRec.IsRead = IsRead ? 1 : 0;
    FRec.IsReq = 0;
    FRec.Status = QelResult::Pending;
    if (IsRead)
        FExpectedParAdr = Data.ParAdr;

    FReqId = FReqId % MaxReqId + 1;
    FRec.ReqId = FReqId;

    return DinCodec::AnsiBuildTel(Service, FReqId, FGoodExchange ? -1 : Addr, Data, !IsRead, Frame);
}

void TDinRequest::Sent()
{
    FPendingService = FRec.Service;
    FPending = true;
}

void TDinRequest::Finish(int Status, bool Good)
{
    FRec.Status = Status;
    FGoodExchange = Good;
    FPending = false;
}

DinAnswerScan::TParams TDinRequest::ScanParams(bool PollAcked, bool AllNegativeUnnumbered) const
{
    const int svc = FPendingService;
    DinAnswerScan::TParams p;
    p.WantAck = !FRec.IsRead || svc == QelService::ParaSetCmd || svc == QelService::ParaSetAdrCmd
        || (PollAcked && svc == QelService::Poll);
    const bool unnumbered = AllNegativeUnnumbered ? svc < 0 : svc == QelService::Plain;
    p.AckId = unnumbered ? 0 : FReqId;
    p.ReqId = FReqId;
    p.Service = svc;
    p.IsRead = FRec.IsRead != 0;
    p.ExpectedParAdr = FExpectedParAdr;
    return p;
}

int TDinRequest::StatusOf(DinAnswerScan::TOutcome Outcome, int ErrorNumber)
{
    switch (Outcome) {
    case DinAnswerScan::TOutcome::Success:
        return QelResult::Ok;
    case DinAnswerScan::TOutcome::Malformed:
        return QelResult::Malformed;
    case DinAnswerScan::TOutcome::Checksum:
        return QelResult::Checksum;
    case DinAnswerScan::TOutcome::Refused:
        return ErrorNumber;
    case DinAnswerScan::TOutcome::None:
        break;
    }
    return QelResult::Pending;
}
