#pragma once

// Reading a whole configuration from an inverter:
//
//   int TVortalinCfgList::ReadFromInverter(int Addr, TProtSel& ProtSel, bool ShowProgress)
//
// (declared in cfg_list.h). A fixed sequence of synchronous requests through
// the protocol selector reads the configuration number, the header values
// (directly, or through the header selector in parameter 4 when parameter 2
// has flag 0x800), every group (services 10, 11), every parameter (2 to 7),
// every plain-text table (12, 9), the type name and the Quintel mode. The
// selector's retry count is at least 10 during the call and restored on
// every exit.
//
// Result: the list index of the configuration (new, or the one already
// loaded with that number, found with a single request); -1 with the code in
// LastError (-103 address outside 0..239, -101 another upload is running,
// else the result code of the failed request); -1020 when the user
// cancelled through the progress (checked before each group). A failure or
// a cancel removes the configuration again. Not available (error 2 or 13)
// is accepted only where the sequence allows it.

#include "comm/tel_records.h"

#include <QString>

#include <cstdint>

namespace CfgUpload {
inline const QString kNoGroup = QStringLiteral("No Group");
inline const QString kNoType = QStringLiteral("No Type");
inline constexpr int32_t kDefaultAccessValue = 683;
inline constexpr int kDefaultQuintelCount = 37;
inline constexpr int kMinRetries = 10;
inline constexpr int kMaxGroupOffset = 100;
} // namespace CfgUpload

// A length-prefixed text of an answer's data area at `pos` (Windows-1252):
// at most 47 characters and never read beyond the 72 bytes, whatever the
// length byte says.
QString telText(const TTelData& d, int pos);
