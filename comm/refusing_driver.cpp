#include "comm/refusing_driver.h"

#include <algorithm>

TRefusingSerialDriver::TRefusingSerialDriver(QObject* Owner)
    : TRefusingBase(prZelk, QStringLiteral("Zelk"), Owner)
{
    FTimeOut = 100;
}

void TRefusingSerialDriver::SetTimeOut(int ms)
{
    FTimeOut = std::clamp(ms, 10, 10000);
}

TRefusingIpDriver::TRefusingIpDriver(QObject* Owner)
    : TRefusingDriver(prIP, QStringLiteral("IP"), Owner)
{
    FTimeOut = 5000;
}

void TRefusingIpDriver::SetTimeOut(int ms)
{
    FTimeOut = std::max(ms, 50);
}

TRefusingIbsDriver::TRefusingIbsDriver(QObject* Owner)
    : TRefusingDriver(prIBS, QStringLiteral("Interbus - G4"), Owner)
{
    FTimeOut = 55;
}

TRefusingCanDriver::TRefusingCanDriver(QObject* Owner)
    : TRefusingDriver(prCAN, QStringLiteral("CAN"), Owner)
{
    FTimeOut = 200;
}

TRefusingPbsDriver::TRefusingPbsDriver(QObject* Owner)
    : TRefusingDriver(prPBS, QStringLiteral("Profibus DP"), Owner)
{
    FTimeOut = 55;
}
