// Download, upload and compare: the list as a scheduler client handing out
// one line's request at a time; and the scheduler's list-changed notice.

#include "lists/dwn_load_engine.h"

#include "config/lang_texts.h"
#include "project/vortalin_prj.h"

#include <QEventLoop>

#include <limits>

// Counts the provider and handler calls in progress; a list-changed
// notice or close asked for meanwhile runs when the outermost one ends.
class DwnCallScope {
public:
    explicit DwnCallScope(TDwnLoadEngine& e) : e_(e) { ++e_.callDepth_; }
    ~DwnCallScope() { e_.leaveCall(); }

private:
    TDwnLoadEngine& e_;
};

void TDwnLoadEngine::leaveCall()
{
    if (--callDepth_ > 0)
        return;
    if (pendingReset_) {
        pendingReset_ = false;
        doResetCfgList();
    }
    if (pendingClose_) {
        pendingClose_ = false;
        notify_->CloseWindow();
    }
}

void TDwnLoadEngine::RequestClose()
{
    if (callDepth_ > 0)
        pendingClose_ = true;
    else
        notify_->CloseWindow();
}

void TDwnLoadEngine::startTransfer(uint8_t requested)
{
    const bool unattended = requested == DwnTransfer::UploadReq && TransferState == DwnTransfer::UnattendedUpload;
    if (TransferState != DwnTransfer::Idle && !unattended)
        return;
    if (!unattended) {
        if (Lines.empty()) {
            message(textLines(0, 21), dblOk, dmiError);
            return;
        }
        const int q = requested == DwnTransfer::DownloadReq ? 9 : requested == DwnTransfer::UploadReq ? 10 : 21;
        if (message(textLines(2, q), dblYesNo, dmiConfirmation, QString::number(InvAdr), 0, 1) != 0)
            return;
    } else if (Lines.empty()) {
        // Nothing to read: finished at once, without progress.
        message(textLines(2, 2), dblOk, dmiInformation);
        TransferState = DwnTransfer::Idle;
        return;
    }
    TransferState = requested;
    RetryCount = 0;
    notify_->ControlsEnabled(false);
    TransferSchedState = Options.DwnHighPriority ? csExclusive : csPolled;
    setSchedState(TransferSchedState);
    if (SchedState != TransferSchedState) {
        message(textLines(0, 23), dblOk, dmiError);
        TransferState = DwnTransfer::Idle;
        notify_->ControlsEnabled(true);
    }
}

void TDwnLoadEngine::endTransfer(bool cancelled)
{
    setSchedState(csPaused);
    message(textLines(2, cancelled ? 4 : 2), dblOk, dmiInformation);
    if (!cancelled && TransferState == DwnTransfer::Compare) {
        RemoveMarkedLines();
        FileName.clear();
        notifyCaption();
    }
    TransferState = DwnTransfer::Idle;
    ui_.Progress().Finish();
    notify_->ControlsEnabled(true);
    notify_->RefreshView(false);
}

void TDwnLoadEngine::userStep(const TDwnEntry& e)
{
    if (e.Value >= 0) {
        message({e.Note}, dblOk, dmiConfirmation);
        return;
    }
    // -2^31 has no positive counterpart: it is the longest wait.
    const int64_t wait = -int64_t(e.Value);
    WaitTime = int32_t(std::min<int64_t>(wait, std::numeric_limits<int32_t>::max()));
    ui_.ShowWait(GetShortName(), e.Note, WaitTime);
    QEventLoop loop;
    waitLoop_ = &loop;
    Timer1.start();
    // The progress window's cancel ends the wait too (checked every tick).
    loop.exec();
    waitLoop_ = nullptr;
    Timer1.stop();
    ui_.HideWait();
}

void TDwnLoadEngine::Timer1Timer()
{
    WaitTime -= Timer1.interval();
    if (WaitTime <= 0) {
        WaitTime = 0;
        Timer1.stop();
    }
    ui_.UpdateWait(WaitTime);
    if (waitLoop_ && (WaitTime == 0 || ui_.Progress().Cancelled()))
        waitLoop_->quit();
}

void TDwnLoadEngine::GiveNextReq(TReqRec& Req)
{
    Req.Valid = 0;
    if (TransferState == DwnTransfer::Idle || TransferState == DwnTransfer::UnattendedUpload)
        return;
    // A request call for this list while one runs (a message loop inside
    // it) gets nothing.
    if (callDepth_ > 0)
        return;
    DwnCallScope scope(*this);
    if (TransferState == DwnTransfer::UploadReq || TransferState == DwnTransfer::DownloadReq
        || TransferState == DwnTransfer::CompareReq) {
        TransferIndex = -1;
        RetryCount = 0;
        if (TransferState == DwnTransfer::CompareReq) {
            ClearMarks();
            notify_->ClearViewSelection();
        }
        TransferState = TransferState == DwnTransfer::UploadReq ? DwnTransfer::Upload
            : TransferState == DwnTransfer::DownloadReq          ? DwnTransfer::Download
                                                                 : DwnTransfer::Compare;
        IProgress& p = ui_.Progress();
        p.Start(GetShortName(), text(0, 7));
        p.SetText(text(2, 3));
        p.SetMax(int(Lines.size()));
    }
    const std::shared_ptr<TCfgRec> cfg = Cfg();
    for (;;) {
        ++TransferIndex;
        ui_.Progress().SetPosition(std::min(TransferIndex, int32_t(Lines.size())));
        if (ui_.Progress().Cancelled() || !cfg) {
            // Without its configuration the list has nowhere to go.
            endTransfer(true);
            return;
        }
        if (TransferIndex >= int(Lines.size())) {
            endTransfer(false);
            return;
        }
        const TDwnEntryPtr line = Lines[size_t(TransferIndex)];
        if (line->IsBlank())
            continue;
        if (line->IsUserStep()) {
            userStep(*line);
            // The inverter list changed meanwhile: the transfer ends here.
            if (pendingReset_) {
                endTransfer(true);
                return;
            }
            continue;
        }
        if (TransferState == DwnTransfer::Download && line->Mode == DwnMode::RO)
            continue;
        if (TransferState != DwnTransfer::Download && line->Mode == DwnMode::WO)
            continue;

        Req.Data.Clear();
        Req.Service = !cfg->NewStyle ? -1 : line->SetMask >= 1 ? 0 : 1;
        Req.IsRead = (TransferState == DwnTransfer::Download || line->Mode == DwnMode::WA) ? 0 : 1;
        Req.Data.ParAdr = uint16_t(line->Address);
        if (Req.Service == -1) {
            Req.Data.ParSet = uint16_t(line->Value);
        } else {
            Req.Data.Value = line->Value;
            const uint8_t set = Req.Service == 0 ? uint8_t(line->SetMask) : (line->SetMask == 0 ? 1 : 0);
            Req.Data.ParSet = set;
        }
        Req.InvAdr = InvAdr;
        Req.Tag = TransferIndex;
        Req.Valid = 1;
        return;
    }
}

void TDwnLoadEngine::ReceiveAnswer(const TRecTel& Rsp, int Tag)
{
    if (SchedState == csPaused)
        return;
    if (TransferState != DwnTransfer::Download && TransferState != DwnTransfer::Upload
        && TransferState != DwnTransfer::Compare)
        return;
    DwnCallScope scope(*this);
    if (Rsp.Status == 0) {
        TDwnEntry* line = GetDwnEntry(Tag);
        if (Rsp.IsRead && line) {
            Modified = true;
            int32_t v;
            if (Rsp.Service == -1) {
                const uint16_t raw = Rsp.Data.GetU16(2);
                const bool zeroExtend = line->Para && !(line->Para->Attr & ParaAttr::Signed);
                v = zeroExtend ? int32_t(raw) : int32_t(int16_t(raw));
            } else {
                v = Rsp.Data.GetI32(4);
            }
            if (TransferState == DwnTransfer::Compare && v == line->Value)
                line->Selected = 1;
            else
                line->Value = v;
        }
        RetryCount = 0;
        return;
    }
    --TransferIndex;
    if (Rsp.Status == 6)
        RetryCount = 0;
    else if (Rsp.Status == -300 || Rsp.Status == 1 || (Rsp.Status >= -11 && Rsp.Status <= -7))
        ++RetryCount;
    else
        RetryCount = 100;
    if (RetryCount >= 5)
        errorDialog(Rsp, Tag);
}

void TDwnLoadEngine::errorDialog(const TRecTel& Rsp, int Tag)
{
    QStringList lines = textLines(0, 22);
    lines << text(0, 27) + u' ' + QString::number(Tag);
    if (const TDwnEntry* line = GetDwnEntry(Tag)) {
        if (line->Para)
            lines << line->Para->GetIdText() + u' ' + line->Para->GetName(Language) + u'='
                    + line->Para->ValueToText(line->Value, Language, Options.Separator, Options.ShowDecValue);
        else
            lines << text(0, 4) + u'=' + QString::number(line->Value);
    }
    lines << (texts_ ? texts_->GetErrorText(Rsp.Status) : QStringLiteral("Error Code %1").arg(Rsp.Status));
    if (message(lines, dblIgnoreCancel, dmiInformation) == 1) {
        setSchedState(csPaused);
        TransferState = DwnTransfer::Idle;
        ui_.Progress().Finish();
        notify_->ControlsEnabled(true);
        ClearMarks();
        notify_->ClearViewSelection();
        if (TDwnEntry* line = GetDwnEntry(Tag))
            line->Selected = 1;
        notify_->SelectLine(Tag);
        return;
    }
    // Skip: the next request takes the line after the failed one.
    ++TransferIndex;
}

// ---------------------------------------------------------------- list changed

void TDwnLoadEngine::ResetCfgList()
{
    if (callDepth_ > 0) {
        pendingReset_ = true;
        return;
    }
    doResetCfgList();
}

void TDwnLoadEngine::doResetCfgList()
{
    if (OpList)
        return;
    if (cfgNumberOf(InvAdr) == CfgId)
        return;
    // No line of a transfer may reach another inverter.
    if (TransferState != DwnTransfer::Idle && TransferState != DwnTransfer::UnattendedUpload)
        endTransfer(true);
    if (const int a = firstInvWithCfg(CfgId); a >= 0) {
        InvAdr = a;
        notifyCaption();
        notifyContext();
        return;
    }
    message(textLines(0, 15), dblOk, dmiError);
    message(textLines(2, 6), dblOk, dmiInformation, GetShortName());
    RequestClose();
}
