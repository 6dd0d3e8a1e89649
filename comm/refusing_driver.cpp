#include "comm/refusing_driver.h"

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
