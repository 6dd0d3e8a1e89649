#pragma once

// Settings objects of the protocol selector: one per bus driver. Each keeps
// its own copy of every setting (reading returns the last value written,
// even when the driver did not take it) and forwards to its driver by the
// driver's own rules.

#include "comm/tel_records.h"
#include "comm/to_prop_types.h"

#include <QPointer>
#include <QString>

#include <cstdint>

class tCustomQelProt;

class TTOProp {
public:
    explicit TTOProp(tCustomQelProt* Driver);
    virtual ~TTOProp();

    TTOProp(const TTOProp&) = delete;
    TTOProp& operator=(const TTOProp&) = delete;

    int GetTimeOut() const { return FTimeOut; }
    void SetTimeOut(int Value);

    // False without a driver.
    bool IsOpen() const;
    // -105 without a driver, -3 when open, else the driver's result.
    int Open();
    // -105 without a driver, -4 when not open, else 0.
    int Close();
    // Empty without a driver.
    QString GetVersion() const;

protected:
    bool driverClosed() const;

    QPointer<tCustomQelProt> FDriver;
    int FTimeOut = 0;
};

class TSerialProp : public TTOProp {
public:
    using TTOProp::TTOProp;

    TBaudRate GetBaudrate() const { return FBaudrate; }
    void SetBaudrate(TBaudRate Value);  // reaches the driver only while it is closed
    TComPort GetComport() const { return FComport; }
    void SetComport(TComPort Value);    // likewise
    bool GetSendSlow() const { return FSendSlow; }
    void SetSendSlow(bool Value);

protected:
    TBaudRate FBaudrate = B_38400;
    TComPort FComport = Com1;
    bool FSendSlow = false;
};

class TAnsiProp : public TSerialProp {
public:
    using TSerialProp::TSerialProp;

    QString GetModemCmd() const { return FModemCmd; }
    // Kept trimmed; the driver takes it only while closed.
    void SetModemCmd(const QString& Value);

private:
    QString FModemCmd;
};

class TIPProp : public TTOProp {
public:
    using TTOProp::TTOProp;

    QString GetIpAddress() const { return FIpAddress; }
    void SetIpAddress(const QString& Value);
    int GetIpPort() const { return FIpPort; }
    void SetIpPort(int Value);
    bool GetUDP() const { return FUDP; }
    void SetUDP(bool Value);

private:
    QString FIpAddress;
    int FIpPort = 0;
    bool FUDP = false;
};

class TIBSProp : public TTOProp {
public:
    using TTOProp::TTOProp;

    int GetCardNo() const { return FCardNo; }
    void SetCardNo(int Value);

private:
    int FCardNo = 0;
};

class TCanProp : public TTOProp {
public:
    using TTOProp::TTOProp;

    QString GetCardID() const { return FCardID; }
    void SetCardID(const QString& Value);
    TCanBaudRate GetBaudRate() const { return FBaudRate; }
    void SetBaudRate(TCanBaudRate Value);
    bool GetWaitTout() const { return FWaitTout; }
    void SetWaitTout(bool Value);

private:
    QString FCardID;
    TCanBaudRate FBaudRate = TCanBaudRate::B_20K;
    bool FWaitTout = false;
};

class TPbsProp : public TTOProp {
public:
    using TTOProp::TTOProp;

    TPbsBaudRate GetBaudRate() const { return FBaudRate; }
    void SetBaudRate(TPbsBaudRate Value);
    uint8_t GetMasteraddr() const { return FMasteraddr; }
    void SetMasteraddr(uint8_t Value);

private:
    TPbsBaudRate FBaudRate = TPbsBaudRate::B_93K75;
    uint8_t FMasteraddr = 0;
};
