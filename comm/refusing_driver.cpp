#include "comm/refusing_driver.h"

TRefusingPbsDriver::TRefusingPbsDriver(QObject* Owner)
    : TRefusingDriver(prPBS, QStringLiteral("Profibus DP"), Owner)
{
    FTimeOut = 55;
}
