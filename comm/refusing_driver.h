#pragma once

// Placeholders for the protocol selector's driver slots whose driver is not
// built yet. Each keeps the settings of the driver it stands in for, with
// that driver's start values, so the settings objects have something to
// forward to; Open always fails with -2, so the selector sends the slot's
// addresses to the offline driver exactly as for a driver that failed to
// open.

#include "comm/custom_qel_prot.h"
#include "comm/to_prop_types.h"

#include <QStringList>

// Tells a placeholder from a driver that exists but failed to open.
class TPlaceholderDriver {
public:
    virtual ~TPlaceholderDriver() = default;
};

inline bool IsPlaceholderDriver(const tCustomQelProt* Driver)
{
    return dynamic_cast<const TPlaceholderDriver*>(Driver) != nullptr;
}

class TRefusingDriver : public tCustomQelProt, public TPlaceholderDriver {
public:
    TRefusingDriver(TProt Kind, QString Title, QObject* Owner = nullptr)
        : tCustomQelProt(Owner)
        , FKind(Kind)
        , FTitle(std::move(Title))
    {
    }

    QString GetVersion() const override
    {
        return FTitle + QStringLiteral(" Driver\r\nVersion: not available\r\nDate: -");
    }
    TProt GetProtType() const override { return FKind; }
    bool IsOpen() const override { return false; }

    int Open() override { return QelResult::OpenFailed; }
    int Close() override { return QelResult::NotOpen; }
    int ReadParaReq(int, int, const TTelData&) override { return QelResult::DriverClosed; }
    int WriteParaReq(int, int, const TTelData&) override { return QelResult::DriverClosed; }

protected:
    bool SyncRequestPending() const override { return false; }
    int SyncEvaluate(TRecTel& Rsp) override
    {
        Rsp.Status = QelResult::DriverClosed;
        return Rsp.Status;
    }

private:
    TProt FKind;
    QString FTitle;
};
