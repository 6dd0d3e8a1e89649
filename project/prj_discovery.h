#pragma once

// Helpers shared by the project's discovery operations (AddInv, NewInv,
// NewPrj, ChangeCfgId) and its configuration watch. The operations
// themselves are members of TVortalinPrj.

#include "comm/tel_records.h"

#include <QString>

#include <memory>

class TCfgRec;
class TProtSel;
class TPrjInvRec;
class TVortalinPrj;

namespace PrjDiscovery {

// Parameter that reports an inverter's configuration number, and the one
// that tells the two firmware variants of the numbers 8 and 12 apart.
inline constexpr uint16_t kCfgIdPar = 0x160F;
inline constexpr uint16_t kVariantPar = 0x0B08;

// How an unexpected answer to the variant read is taken.
enum class TVariantRule {
    KeepOnOtherError,  // adding an inverter: only error 2 means the second variant
    NewOnAnyError,     // the watch: every failed read means the second variant
};

// The configuration number for a read number: 8 and 12 are refined by a
// synchronous read of kVariantPar (answered: 21/22; error 2: 25/26; else
// by the rule). Other numbers are returned as they are.
int RefineCfgId(TProtSel& protSel, int invAdr, int number, TVariantRule rule);

// Reads kCfgIdPar synchronously and refines it (KeepOnOtherError); -1 when
// the inverter gives no valid answer.
int IdentifyCfgId(TProtSel& protSel, int invAdr);

// Loads the configuration file of `number` from the project's BinPath (with
// the progress shown) and attaches it to the entry, with the second-language
// file when the project asks for one. False when the file cannot be loaded.
bool AttachCfgFile(TVortalinPrj& prj, TPrjInvRec& inv, int number);

// Reads the configuration from the inverter (with the progress shown) and
// attaches it; then asks whether it is to be saved as a configuration file
// and reports a file that cannot be written. False when nothing was read.
bool AttachCfgFromInverter(TVortalinPrj& prj, TPrjInvRec& inv);

// ", COM1" .. ", COM4"; empty for any other port.
QString PortText(TComPort port);
// ", 1200baud" .. ", 115200baud"; empty outside the enumeration.
QString BaudText(TBaudRate baud);

}  // namespace PrjDiscovery
