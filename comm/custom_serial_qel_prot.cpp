#include "comm/custom_serial_qel_prot.h"

tCustomSerialQelProt::tCustomSerialQelProt(QObject* Owner, const QString& Name)
    : tCustomQelProt(Owner, Name)
{
}

void tCustomSerialQelProt::SetBaudrate(TBaudRate value)
{
    if (!IsOpen())
        FBaudrate = value;
}

void tCustomSerialQelProt::SetComport(TComPort value)
{
    if (!IsOpen())
        FComport = value;
}

void tCustomSerialQelProt::SetSendSlow(bool value) { FSendSlow = value; }
TBaudRate tCustomSerialQelProt::GetBaudrate() const { return FBaudrate; }
TComPort tCustomSerialQelProt::GetComport() const { return FComport; }
bool tCustomSerialQelProt::GetSendSlow() const { return FSendSlow; }
