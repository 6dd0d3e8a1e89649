#include "prog_cfg.h"

#include "comm/prot_sel.h"
#include "comm/to_prop.h"
#include "config/stored_values.h"
#include "platform/settings_store.h"

#include <algorithm>

// The main program's values in the settings store.
namespace ProgCfgValues {

using namespace StoredValues;

using P = TProgCfg;

const TStoredValue<P> kDefPrjValues[] = {
    {"MinInvAdr", &P::MinInvAdr, TForm::Int, Required, Saved},
    {"MaxInvAdr", &P::MaxInvAdr, TForm::Int, Required, Saved},
    {"Ansi", &P::DefProts, TForm::ProtBit, Required, Saved, prANSI},
    {"Zelk", &P::DefProts, TForm::ProtBit, Required, Saved, prZelk},
    {"IBS", &P::DefProts, TForm::ProtBit, Required, Saved, prIBS},
    {"IP", &P::DefProts, TForm::ProtBit, Required, Saved, prIP},
    {"CAN", &P::DefProts, TForm::ProtBit, Required, Saved, prCAN},
    {"PBS", &P::DefProts, TForm::ProtBit, Required, Saved, prPBS},
    // The installation writes "Watchinterval"; names are compared without case.
    {"WatchInterval", &P::Watchinterval, TForm::Int, Required, Saved},
};

const TStoredValue<P> kPrjExplValues[] = {
    {"ShowPlainTextInfo", &P::ShowPlainTextInfo, TForm::Bool, Required, Saved},
    {"ShowParaInfo", &P::ShowParaInfo, TForm::Bool, Required, Saved},
    {"ShowInvisible", &P::ShowInvisible, TForm::Bool, Required, Saved},
    {"ShowSupervisor", &P::ShowSupervisor, TForm::Bool, Required, Saved},
};

const TStoredValue<P> kApplValues[] = {
    {"ApplicationPath", &P::ApplicationPath, TForm::Text, Optional, Kept},
    {"BinPath", &P::BinPath, TForm::Text, Optional, Kept},
    {"DataPath", &P::DataPath, TForm::Text, Optional, Kept},
    {"lng", &P::lng, TForm::Int, Required, Saved},
    {"CloseOnCancel", &P::CloseOnCancel, TForm::Bool, Required, Saved},
    {"CloseOnOK", &P::CloseOnOK, TForm::Bool, Required, Saved},
    {"NoAdvHelpMenu", &P::NoAdvHelpMenu, TForm::Int, Optional, Kept},
    {"ShowDecValue", &P::ShowDecValue, TForm::Bool, Required, Saved},
    {"ChangeDownloadProperties", &P::ChangeDownloadProperties, TForm::Bool, Optional, Kept},
    {"EnableFbsWindow", &P::EnableFbsWindow, TForm::Bool, Optional, Kept},
    {"DwnHighPriority", &P::DwnHighPriority, TForm::Bool, Optional, Saved},
    {"Separator", &P::Separator, TForm::Separator, Optional, Saved},
    {"PtMode", &P::PtMode, TForm::Int, Required, Saved},
    {"ProgLng", &P::ProgLng, TForm::Int, Required, Saved},
    {"SecondLng", &P::SecondLng, TForm::Int, Required, Saved},
    {"AppName", &P::AppName, TForm::Text, Optional, Kept},
    {"AppPicture", &P::AppPicture, TForm::Text, Optional, Kept},
    {"AppIcon", &P::AppIcon, TForm::Text, Optional, Kept},
    {"Vendor", &P::Vendor, TForm::Text, Optional, Kept},
    {"EnableAltBinPath", &P::EnableAltBinPath, TForm::Bool, Optional, Kept},
    {"EnableAltApplPath", &P::EnableAltApplPath, TForm::Bool, Optional, Kept},
};

const TStoredValue<P> kManualValues[] = {
    {"Path", &P::ManualPath, TForm::Text, Optional, Kept},
};

using SerCfg = TSerialDrvCfg;
const TStoredValue<SerCfg> kSerialValues[] = {
    {"SendSingle", &SerCfg::SendSingle, TForm::Bool, Required, Saved},
    {"Baudrate", &SerCfg::Baudrate, TForm::ByteIndex, Required, Saved, B_115200 + 1},
    {"Comport", &SerCfg::Comport, TForm::ByteIndex, Required, Saved, Com9 + 1},
    {"TimeOut", &SerCfg::TimeOut, TForm::Int, Required, Saved},
};
// The DIN 66019 II driver's only.
const TStoredValue<SerCfg> kModemValues[] = {
    {"ModemCmd", &SerCfg::ModemCmd, TForm::Text, Optional, Saved},
};
// Missing in stores written before the switch existed; those count the
// baud index from 9600.
const QString kCloseCom = QStringLiteral("CloseCom");

using IpCfg = TIpDrvCfg;
const TStoredValue<IpCfg> kIpValues[] = {
    {"Host", &IpCfg::Host, TForm::Text, Optional, Saved},
    {"Port", &IpCfg::Port, TForm::Range, Required, Saved, 65535},
    {"TimeOut", &IpCfg::TimeOut, TForm::Int, Required, Saved},
    {"UDP", &IpCfg::UDP, TForm::ByteBool, Required, Saved},
};

using CanCfg = TCanDrvCfg;
const TStoredValue<CanCfg> kCanValues[] = {
    {"CardId", &CanCfg::CardId, TForm::Text, Optional, Saved},
    {"Baudrate", &CanCfg::Baudrate, TForm::ByteIndex, Required, Saved, kCanBaudCount},
    {"TimeOut", &CanCfg::TimeOut, TForm::Int, Required, Saved},
    {"WaitTOut", &CanCfg::WaitTOut, TForm::ByteBool, Required, Saved},
};

using PbsCfg = TPbsDrvCfg;
const TStoredValue<PbsCfg> kPbsValues[] = {
    {"Masteraddress", &PbsCfg::Masteraddress, TForm::Byte, Required, Saved},
    {"Baudrate", &PbsCfg::Baudrate, TForm::ByteIndex, Required, Saved, kPbsBaudCount},
    {"TimeOut", &PbsCfg::TimeOut, TForm::Int, Required, Saved},
};

bool readSerial(const SettingsStore& store, const QString& key, TSerialDrvCfg& cfg, bool withModem)
{
    KeyReader r(store, key);
    if (!r.present())
        return false;
    readValues(r, kSerialValues, cfg);
    if (withModem)
        readValues(r, kModemValues, cfg);
    if (!r.ok())
        return false;
    // Clamped so that a stored 5..7 cannot leave the table.
    if (!r.optBool(kCloseCom, cfg.CloseCom) && r.ok())
        cfg.Baudrate = TBaudRate(std::min(int(cfg.Baudrate) + 3, int(B_115200)));
    return r.ok();
}

bool writeSerial(SettingsStore& store, const QString& key, const TSerialDrvCfg& cfg, bool withModem)
{
    KeyWriter w(store, key);
    writeValues(w, kSerialValues, cfg);
    if (withModem)
        writeValues(w, kModemValues, cfg);
    w.flag(kCloseCom, cfg.CloseCom);
    return w.ok();
}

// An optional key: absent leaves the fields as they are.
template <class S, size_t N>
bool readOptionalKey(const SettingsStore& store, const QString& key, const TStoredValue<S> (&values)[N], S& s)
{
    KeyReader r(store, key);
    return !r.present() || readValues(r, values, s);
}

template <class S, size_t N>
bool writeKey(SettingsStore& store, const QString& key, const TStoredValue<S> (&values)[N], const S& s)
{
    KeyWriter w(store, key);
    return writeValues(w, values, s);
}

} // namespace ProgCfgValues

TProgCfg::TProgCfg() : RegistryPath(SettingsStore::defaultPath()) {}

TProgCfg::~TProgCfg() = default;

bool TProgCfg::LoadFromRegistry()
{
    SettingsStore store(RegistryPath);
    if (!store.load())
        return false;
    return LoadFromStore(store);
}

bool TProgCfg::LoadFromStore(const SettingsStore& store)
{
    using namespace ProgCfgValues;
    {
        KeyReader r(store, ProgCfgKeys::DefPrj);
        if (!r.present() || !readValues(r, kDefPrjValues, *this))
            return false;
    }
    {
        KeyReader r(store, ProgCfgKeys::PrjExpl);
        if (!r.present() || !readValues(r, kPrjExplValues, *this))
            return false;
    }
    {
        KeyReader r(store, ProgCfgKeys::Appl);
        if (!r.present())
            return false;
        readValues(r, kApplValues, *this);
        QString alt;
        if (EnableAltApplPath && r.optStr(QStringLiteral("AlternateApplPath"), alt))
            ApplicationPath = alt;
        if (EnableAltBinPath && r.optStr(QStringLiteral("AlternateBinPath"), alt))
            BinPath = alt;
        if (!r.ok())
            return false;
    }
    if (!readSerial(store, ProgCfgKeys::Din, Din, true) || !readSerial(store, ProgCfgKeys::Zelk, Zelk, false))
        return false;
    if (!readOptionalKey(store, ProgCfgKeys::IP, kIpValues, Ip)
        || !readOptionalKey(store, ProgCfgKeys::CAN, kCanValues, Can)
        || !readOptionalKey(store, ProgCfgKeys::PBS, kPbsValues, Pbs))
        return false;
    KeyReader manual(store, ProgCfgKeys::Manual);
    return readValues(manual, kManualValues, *this);
}

bool TProgCfg::SaveToRegistry()
{
    SettingsStore store(RegistryPath);
    if (!store.load())
        return false;
    const bool written = SaveToStore(store);
    // What was written before a failure is kept, as the registry would.
    const bool saved = store.save();
    return written && saved;
}

bool TProgCfg::SaveToStore(SettingsStore& store) const
{
    using namespace ProgCfgValues;
    // Stops at the first key that cannot be written.
    return writeKey(store, ProgCfgKeys::DefPrj, kDefPrjValues, *this)
        && writeKey(store, ProgCfgKeys::PrjExpl, kPrjExplValues, *this)
        && writeKey(store, ProgCfgKeys::Appl, kApplValues, *this) && writeSerial(store, ProgCfgKeys::Din, Din, true)
        && writeSerial(store, ProgCfgKeys::Zelk, Zelk, false) && writeKey(store, ProgCfgKeys::IP, kIpValues, Ip)
        && writeKey(store, ProgCfgKeys::CAN, kCanValues, Can) && writeKey(store, ProgCfgKeys::PBS, kPbsValues, Pbs);
}

void TProgCfg::SetOptionDlg(std::unique_ptr<TOptDlgIface> dlg)
{
    optionDlg_ = std::move(dlg);
}

TOptValues TProgCfg::OptValues() const
{
    TOptValues v;
    v.DefProts = DefProts;
    v.MinInvAdr = MinInvAdr;
    v.MaxInvAdr = MaxInvAdr;
    v.Watchinterval = Watchinterval;
    v.ProgLng = ProgLng;
    v.CloseOnOK = CloseOnOK;
    v.CloseOnCancel = CloseOnCancel;
    v.Separator = Separator;
    v.DwnHighPriority = DwnHighPriority;
    v.ShowPlainTextInfo = ShowPlainTextInfo;
    v.ShowParaInfo = ShowParaInfo;
    v.ShowDecValue = ShowDecValue;
    v.ShowInvisible = ShowInvisible;
    v.ShowSupervisor = ShowSupervisor;
    v.SecondLng = SecondLng;
    v.lng = lng;
    v.Din = Din;
    v.Zelk = Zelk;
    v.Ip = Ip;
    v.Can = Can;
    v.Pbs = Pbs;
    return v;
}

TOptChanges TProgCfg::TakeOver(const TOptValues& e)
{
    const TOptChanges c = compareOptValues(OptValues(), e);
    if (!c.Modified)
        return c;
    DefProts = e.DefProts;
    MinInvAdr = e.MinInvAdr;
    MaxInvAdr = e.MaxInvAdr;
    Watchinterval = e.Watchinterval;
    ProgLng = e.ProgLng;
    CloseOnOK = e.CloseOnOK;
    CloseOnCancel = e.CloseOnCancel;
    Separator = separatorOf(e.Separator);
    DwnHighPriority = e.DwnHighPriority;
    ShowPlainTextInfo = e.ShowPlainTextInfo;
    ShowParaInfo = e.ShowParaInfo;
    ShowDecValue = e.ShowDecValue;
    ShowInvisible = e.ShowInvisible;
    ShowSupervisor = e.ShowSupervisor;
    SecondLng = e.SecondLng;
    lng = e.lng;
    Din = e.Din;
    Zelk = e.Zelk;
    Ip = e.Ip;
    Can = e.Can;
    Pbs = e.Pbs;
    Modified = true;
    if (c.Notify && OnPrgCfgChanged)
        OnPrgCfgChanged(this);
    return c;
}

TDriverVersionFn TProgCfg::DriverVersion() const
{
    if (!ProtSel)
        return {};
    TProtSel* sel = ProtSel;
    return [sel](TProt prot) -> QString {
        const TTOProp* prop = nullptr;
        switch (prot) {
        case prANSI: prop = sel->Ansi(); break;
        case prZelk: prop = sel->Zelk(); break;
        case prIP: prop = sel->Ip(); break;
        case prCAN: prop = sel->Can(); break;
        case prPBS: prop = sel->PBS(); break;
        default: break;
        }
        return prop ? prop->GetVersion() : QString();
    };
}

void TProgCfg::Execute()
{
    if (!optionDlg_)
        return;
    optionDlg_->SetDriverVersion(DriverVersion());
    TOptValues v = OptValues();
    if (optionDlg_->RunOptions(v))
        TakeOver(v);
}
