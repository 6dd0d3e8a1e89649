#include "mainwin/fbs_comm_logic.h"

#include "config/lang_texts.h"
#include "dialogs/shared_objects.h"
#include "project/vortalin_prj.h"

#include <QStringList>

#include <algorithm>

namespace {

// The data area holds this many bytes from byte 6.
constexpr int MaxDataBytes = TTelData::Size - 6;

QString hexText(uint32_t v, int digits)
{
    return QStringLiteral("%1").arg(v, digits, 16, QLatin1Char('0')).toUpper() + QLatin1Char('h');
}

} // namespace

TFbsCommLogic::TFbsCommLogic(IFbsView& View, IFbsInteraction& Ui, TVortalinPrj* Prj, TVortalinText* Texts,
                             TScheduler* Sch)
    : FView(View)
    , FUi(Ui)
    , FPrj(Prj)
    , FTexts(Texts)
    , FSch(Sch)
    , FOwnSch(Sch != nullptr)
{
}

TFbsCommLogic::~TFbsCommLogic()
{
    if (FSlot >= 0 && Sch())
        Sch()->Unregister(FSlot);
    FSlot = -1;
}

TVortalinPrj* TFbsCommLogic::Prj() const { return FPrj ? FPrj : Project; }
TVortalinText* TFbsCommLogic::Texts() const { return FTexts ? FTexts : LangTexts; }
TScheduler* TFbsCommLogic::Sch() const { return FOwnSch ? FSch.data() : Scheduler; }

QString TFbsCommLogic::ErrorText(int Status) const
{
    return Texts() ? Texts()->GetErrorText(Status) : QString::number(Status);
}

int TFbsCommLogic::ParseNumber(const QString& Text, int Width)
{
    const QString t = Text.trimmed().toUpper();
    bool ok = false;
    qlonglong v = 0;
    const int h = t.indexOf(QLatin1Char('H'));
    if (h >= 0)
        v = t.left(h).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok)
        return 0;
    switch (Width) {
    case 1: return int(v & 0xFF);
    case 2: return int(v & 0xFFFF);
    default: return int(uint32_t(v));
    }
}

QString TFbsCommLogic::GetCaption() const
{
    const QString head = QStringLiteral("Feldbus - ");
    if (TVortalinPrj* prj = Prj()) {
        if (const TPrjInvRec* inv = prj->GetInv(FInvAdr); inv && !inv->GetName().trimmed().isEmpty())
            return head + inv->GetName();
    }
    const QString word = Texts() ? Texts()->GetText(0, 0) : QString();
    return head + word + QLatin1Char(':') + QString::number(FInvAdr);
}

void TFbsCommLogic::Shown(QObject* Owner)
{
    FInvAdr = NoInverter;
    if (TVortalinPrj* prj = Prj()) {
        for (int a = 0; a <= MaxInvAdr; ++a)
            if (prj->GetInv(a)) {
                FInvAdr = a;
                break;
            }
    }
    if (FSlot < 0 && Sch()) {
        FSlot = Sch()->Register(
            Owner, [this](TReqRec& r) { GetRequest(r); },
            [this](const TRecTel& rsp, int tag) { HandleResponse(rsp, tag); }, [this] { InvListChanged(); });
    }
    if (FSlot >= 0)
        Sch()->SetState(FSlot, csPolled);
    FView.SetFunktion(0);
    FView.SetCaption(GetCaption());
}

void TFbsCommLogic::Closed()
{
    if (FSlot >= 0 && Sch()) {
        Sch()->SetState(FSlot, csPaused);
        Sch()->Unregister(FSlot);
    }
    FSlot = -1;
}

void TFbsCommLogic::InverterClicked()
{
    const QString word = Texts() ? Texts()->GetText(5, 0) : QString();
    int16_t adr = int16_t(FInvAdr);
    if (FUi.SelectInv(word + QStringLiteral("; ") + QString::number(FInvAdr), adr) == 1) {
        FInvAdr = adr;
        FView.SetCaption(GetCaption());
    }
}

void TFbsCommLogic::PageChanged(int Page)
{
    if (Page == 0)
        FReqMode = rmIdle;
    else if (Page == 1 && FView.UpdateChecked())
        FReqMode = rmPdContinuous;
}

int TFbsCommLogic::PdService() const
{
    switch (FView.PdType()) {
    case 0: return 16;
    case 2: return 48;
    case 3: return 49;
    default: return 17;
    }
}

void TFbsCommLogic::GetRequest(TReqRec& Req)
{
    Req.InvAdr = FInvAdr;
    Req.Valid = 0;
    auto service13 = [&](bool read) {
        Req.Service = QelService::Fieldbus;
        Req.Data = TTelData{};
        Req.Data.SetByte(0, uint8_t(FView.Funktion()));
        Req.Data.SetU16(2, uint16_t(ParseNumber(FView.Field("Index"), 2)));
        Req.Data.SetByte(4, uint8_t(ParseNumber(FView.Field("Subindex"), 1)));
        Req.Data.SetByte(5, uint8_t(ParseNumber(FView.Field("Laenge"), 1)));
        Req.Tag = 0;
        Req.IsRead = read ? 1 : 0;
        Req.Valid = 1;
    };
    switch (FReqMode) {
    case rmIdle: {
        if (!FWriteWanted)
            return;
        FWriteWanted = false;
        FReqMode = rmPdWriteSent;
        Req.Service = PdService();
        Req.Data = TTelData{};
        if (Req.Service == 16 || Req.Service == 48) {
            Req.Data.SetU32(0, uint32_t(ParseNumber(FView.Field("PdOut1"), 4)));
            Req.Data.SetU32(4, uint32_t(ParseNumber(FView.Field("PdOut2"), 4)));
        } else {
            const char* names[] = {"PdOut1", "PdOut2", "PdOut3", "PdOut4"};
            for (int i = 0; i < 4; ++i)
                Req.Data.SetU16(2 * i, uint16_t(ParseNumber(FView.Field(names[i]), 2)));
        }
        Req.IsRead = 0;
        Req.Valid = 1;
        return;
    }
    case rmReadWanted:
        service13(true);
        FReqMode = rmReadSent;
        return;
    case rmWriteWanted: {
        service13(false);
        const QString daten = FView.Field("Daten");
        int pos = 6;
        for (const QString& piece : daten.split(QLatin1Char(','))) {
            if (pos >= 6 + MaxDataBytes)
                break;
            if (piece.trimmed().isEmpty())
                continue;
            Req.Data.SetByte(pos++, uint8_t(ParseNumber(piece, 1)));
        }
        FReqMode = rmWriteSent;
        return;
    }
    case rmPdContinuous: {
        const int type = FView.PdType();
        Req.Service = (type == 0 || type == 2) ? 16 : 17;
        Req.Data = TTelData{};
        Req.IsRead = 1;
        Req.Valid = 1;
        return;
    }
    default:
        // The request handed out before got no answer: the driver refused it.
        FReqMode = rmIdle;
        FUi.Message(QStringLiteral("Unsupported service 13"));
        return;
    }
}

void TFbsCommLogic::HandleResponse(const TRecTel& Rsp, int)
{
    const TTelData& d = Rsp.Data;
    switch (FReqMode) {
    case rmReadSent:
    case rmWriteSent:
        if (Rsp.Status != 0) {
            FUi.Message(ErrorText(Rsp.Status));
        } else if (Rsp.IsRead == 1) {
            const int len = d.GetByte(5);
            FView.SetField("Laenge", QString::number(len));
            FView.SetField("Index", hexText(d.GetU16(2), 4));
            FView.SetField("Subindex", QString::number(d.GetByte(4)));
            const int shown = std::min(len, MaxDataBytes);
            QString text;
            if (d.GetByte(0) == fbIdentify) {
                QByteArray chars;
                for (int i = 0; i < shown; ++i)
                    chars.append(char(d.GetByte(6 + i)));
                text = QString::fromLatin1(chars);
            } else {
                for (int i = 0; i < shown; ++i)
                    text += hexText(d.GetByte(6 + i), 2) + QLatin1Char(',');
            }
            FView.SetField("Daten", text);
        }
        FReqMode = rmIdle;
        return;
    case rmPdContinuous:
    case rmPdWriteSent:
        if (Rsp.Status != 0) {
            FView.SetField("PDin1", ErrorText(Rsp.Status));
            FView.SetField("PDin2", QStringLiteral("?"));
            FView.SetField("PDin3", QStringLiteral("?"));
            FView.SetField("PDin4", QStringLiteral("?"));
        } else if (Rsp.IsRead == 1 || Rsp.Service == 48 || Rsp.Service == 49) {
            if (Rsp.Service == 16 || Rsp.Service == 48) {
                FView.SetField("PDin1", hexText(d.GetU32(0), 8));
                FView.SetField("PDin2", hexText(d.GetU32(4), 8));
                FView.SetField("PDin3", QStringLiteral("-"));
                FView.SetField("PDin4", QStringLiteral("-"));
            } else {
                FView.SetField("PDin1", hexText(d.GetU16(0), 4));
                FView.SetField("PDin2", hexText(d.GetU16(2), 4));
                FView.SetField("PDin3", hexText(d.GetU16(4), 4));
                FView.SetField("PDin4", hexText(d.GetU16(6), 4));
            }
        }
        if (Rsp.IsRead == 0)
            FReqMode = FView.UpdateChecked() ? rmPdContinuous : rmIdle;
        if (FWriteWanted)
            FReqMode = rmIdle;
        return;
    default:
        return;
    }
}
