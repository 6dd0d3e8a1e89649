#pragma once

// Base of the two serial drivers (DIN 66019 II and Zelk): adds the line
// settings. Baudrate and Comport are taken only while the driver is closed
// (a value written while open is ignored); SendSlow changes at any time.

#include "comm/custom_qel_prot.h"

class tCustomSerialQelProt : public tCustomQelProt {
    Q_OBJECT

public:
    explicit tCustomSerialQelProt(QObject* Owner = nullptr, const QString& Name = {});

    virtual void SetBaudrate(TBaudRate value);
    virtual void SetComport(TComPort value);
    // Hand the frame to the port one byte per transmitter-empty event.
    virtual void SetSendSlow(bool value);
    virtual TBaudRate GetBaudrate() const;
    virtual TComPort GetComport() const;
    virtual bool GetSendSlow() const;

protected:
    TBaudRate FBaudrate = B_38400;
    TComPort FComport = Com1;
    bool FSendSlow = false;
};
