#include "comm/to_prop.h"

#include "comm/ansi.h"
#include "comm/can.h"
#include "comm/ibs.h"
#include "comm/custom_serial_qel_prot.h"
#include "comm/ip.h"
#include "comm/pbs.h"

namespace {

// The driver behind a settings object, as the class that has the setting;
// none when the slot holds a driver without it.
template <class D> D* as(const QPointer<tCustomQelProt>& driver)
{
    return dynamic_cast<D*>(driver.data());
}

} // namespace

TTOProp::TTOProp(tCustomQelProt* Driver)
    : FDriver(Driver)
{
}

TTOProp::~TTOProp() = default;

bool TTOProp::driverClosed() const
{
    return FDriver && !FDriver->IsOpen();
}

void TTOProp::SetTimeOut(int Value)
{
    FTimeOut = Value;
    if (FDriver)
        FDriver->SetTimeOut(Value);
}

bool TTOProp::IsOpen() const
{
    return FDriver && FDriver->IsOpen();
}

int TTOProp::Open()
{
    if (!FDriver)
        return QelResult::ResourceMissing;
    if (FDriver->IsOpen())
        return QelResult::AlreadyOpen;
    return FDriver->Open();
}

int TTOProp::Close()
{
    if (!FDriver)
        return QelResult::ResourceMissing;
    if (!FDriver->IsOpen())
        return QelResult::NotOpen;
    FDriver->Close();
    return QelResult::Ok;
}

QString TTOProp::GetVersion() const
{
    return FDriver ? FDriver->GetVersion() : QString();
}

// ---- serial ----

void TSerialProp::SetBaudrate(TBaudRate Value)
{
    FBaudrate = Value;
    if (!driverClosed())
        return;
    if (auto* d = as<tCustomSerialQelProt>(FDriver))
        d->SetBaudrate(Value);
}

void TSerialProp::SetComport(TComPort Value)
{
    FComport = Value;
    if (!driverClosed())
        return;
    if (auto* d = as<tCustomSerialQelProt>(FDriver))
        d->SetComport(Value);
}

void TSerialProp::SetSendSlow(bool Value)
{
    FSendSlow = Value;
    if (auto* d = as<tCustomSerialQelProt>(FDriver))
        d->SetSendSlow(Value);
}

void TAnsiProp::SetModemCmd(const QString& Value)
{
    FModemCmd = Value.trimmed();
    if (auto* d = as<TAnsi>(FDriver))
        d->SetModemCMD(FModemCmd);
}

// ---- IP ----

void TIPProp::SetIpAddress(const QString& Value)
{
    FIpAddress = Value;
    if (auto* d = as<TIp>(FDriver))
        d->SetIpAddress(Value);
}

void TIPProp::SetIpPort(int Value)
{
    FIpPort = Value;
    if (auto* d = as<TIp>(FDriver))
        d->SetIpPort(Value);
}

void TIPProp::SetUDP(bool Value)
{
    FUDP = Value;
    if (auto* d = as<TIp>(FDriver))
        d->SetUDP(Value);
}

// ---- cards ----

void TIBSProp::SetCardNo(int Value)
{
    FCardNo = Value;
    if (auto* d = as<tIbs>(FDriver))
        d->SetCardNo(Value);
}

void TCanProp::SetCardID(const QString& Value)
{
    FCardID = Value;
    if (auto* d = as<TCan>(FDriver))
        d->SetCardID(Value);
}

void TCanProp::SetBaudRate(TCanBaudRate Value)
{
    FBaudRate = Value;
    if (auto* d = as<TCan>(FDriver))
        d->SetBaudRate(Value);
}

void TCanProp::SetWaitTout(bool Value)
{
    FWaitTout = Value;
    if (auto* d = as<TCan>(FDriver))
        d->SetWaitTout(Value);
}

void TPbsProp::SetBaudRate(TPbsBaudRate Value)
{
    FBaudRate = Value;
    if (auto* d = as<tPBS>(FDriver))
        d->SetBaudrate(Value);
}

void TPbsProp::SetMasteraddr(uint8_t Value)
{
    FMasteraddr = Value;
    if (auto* d = as<tPBS>(FDriver))
        d->SetMasteraddr(Value);
}
