#include "prog_cfg.h"

#include "comm/prot_sel.h"
#include "comm/to_prop.h"
#include "platform/settings_store.h"

#include <algorithm>

namespace {

using St = SettingsStore::Status;

int clampIndex(int v, int count)
{
    return std::clamp(v, 0, count - 1);
}

// Reads the values of one key in order and remembers the first failure.
class KeyReader {
public:
    KeyReader(const SettingsStore& store, const QString& key) : s_(store), key_(key) {}

    bool present() const { return s_.keyExists(key_); }
    bool ok() const { return ok_; }

    // A required integer: missing or of another type fails.
    bool req(const QString& name, int& out)
    {
        if (!ok_)
            return false;
        quint32 d = 0;
        if (s_.readDword(key_, name, d) != St::Ok)
            return ok_ = false;
        out = int(d);
        return true;
    }
    bool reqBool(const QString& name, bool& out, bool lowByte = false)
    {
        int v = 0;
        if (!req(name, v))
            return false;
        out = (lowByte ? (v & 0xFF) : v) != 0;
        return true;
    }
    // An optional integer: missing gives the default; present with another
    // type is a broken store and fails. Returns whether it was present.
    // After a failure nothing more is read and `out` is left as it was.
    bool opt(const QString& name, int& out, int def)
    {
        if (!ok_)
            return false;
        quint32 d = 0;
        const St st = s_.readDword(key_, name, d);
        if (st == St::Ok) {
            out = int(d);
            return true;
        }
        if (st == St::WrongType)
            ok_ = false;
        else
            out = def;
        return false;
    }
    bool optBool(const QString& name, bool& out)
    {
        int v = out ? 1 : 0;
        const bool there = opt(name, v, 0);
        out = v != 0;
        return there;
    }
    bool optStr(const QString& name, QString& out, const QString& def = QString())
    {
        if (!ok_)
            return false;
        QString text;
        const St st = s_.readString(key_, name, text);
        if (st == St::Ok) {
            out = text;
            return true;
        }
        if (st == St::WrongType)
            ok_ = false;
        else
            out = def;
        return false;
    }

private:
    const SettingsStore& s_;
    QString key_;
    bool ok_ = true;
};

bool readSerial(const SettingsStore& store, const QString& key, TSerialDrvCfg& cfg, bool withModem)
{
    KeyReader r(store, key);
    if (!r.present())
        return false;
    int baud = 0, port = 0;
    r.reqBool(QStringLiteral("SendSingle"), cfg.SendSingle);
    if (r.req(QStringLiteral("Baudrate"), baud))
        cfg.Baudrate = TBaudRate(clampIndex(baud & 0xFF, B_115200 + 1));
    if (r.req(QStringLiteral("Comport"), port))
        cfg.Comport = TComPort(clampIndex(port & 0xFF, Com9 + 1));
    r.req(QStringLiteral("TimeOut"), cfg.TimeOut);
    if (withModem)
        r.optStr(QStringLiteral("ModemCmd"), cfg.ModemCmd);
    if (!r.ok())
        return false;
    if (!r.optBool(QStringLiteral("CloseCom"), cfg.CloseCom) && r.ok()) {
        // Stores written before the switch existed count the baud index
        // from 9600. Clamped so that a stored 5..7 cannot leave the table.
        cfg.Baudrate = TBaudRate(clampIndex((baud & 0xFF) + 3, B_115200 + 1));
    }
    return r.ok();
}

// Writes the values of one key in order and remembers the first failure.
class KeyWriter {
public:
    KeyWriter(SettingsStore& store, const QString& key) : s_(store), key_(key)
    {
        ok_ = s_.createKey(key_) == St::Ok;
    }
    bool ok() const { return ok_; }
    void dword(const QString& name, int v)
    {
        if (ok_)
            ok_ = s_.writeDword(key_, name, quint32(v)) == St::Ok;
    }
    void flag(const QString& name, bool v) { dword(name, v ? 1 : 0); }
    void str(const QString& name, const QString& v)
    {
        if (ok_)
            ok_ = s_.writeString(key_, name, v) == St::Ok;
    }

private:
    SettingsStore& s_;
    QString key_;
    bool ok_ = false;
};

const struct {
    const char* name;
    TProt prot;
} kDefProtValues[] = {
    {"Ansi", prANSI}, {"Zelk", prZelk}, {"IBS", prIBS}, {"IP", prIP}, {"CAN", prCAN}, {"PBS", prPBS},
};

} // namespace

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
    {
        KeyReader r(store, ProgCfgKeys::DefPrj);
        if (!r.present())
            return false;
        r.req(QStringLiteral("MinInvAdr"), MinInvAdr);
        r.req(QStringLiteral("MaxInvAdr"), MaxInvAdr);
        for (const auto& p : kDefProtValues) {
            bool on = false;
            if (!r.reqBool(QString::fromLatin1(p.name), on, true))
                break;
            DefProts = on ? (DefProts | ProtBit(p.prot)) : (DefProts & ~ProtBit(p.prot));
        }
        r.req(QStringLiteral("Watchinterval"), Watchinterval);
        if (!r.ok())
            return false;
    }
    {
        KeyReader r(store, ProgCfgKeys::PrjExpl);
        if (!r.present())
            return false;
        r.reqBool(QStringLiteral("ShowPlainTextInfo"), ShowPlainTextInfo);
        r.reqBool(QStringLiteral("ShowParaInfo"), ShowParaInfo);
        r.reqBool(QStringLiteral("ShowInvisible"), ShowInvisible);
        r.reqBool(QStringLiteral("ShowSupervisor"), ShowSupervisor);
        if (!r.ok())
            return false;
    }
    {
        KeyReader r(store, ProgCfgKeys::Appl);
        if (!r.present())
            return false;
        r.optStr(QStringLiteral("ApplicationPath"), ApplicationPath);
        r.optStr(QStringLiteral("BinPath"), BinPath);
        r.optStr(QStringLiteral("DataPath"), DataPath);
        r.req(QStringLiteral("lng"), lng);
        r.reqBool(QStringLiteral("CloseOnCancel"), CloseOnCancel);
        r.reqBool(QStringLiteral("CloseOnOK"), CloseOnOK);
        r.opt(QStringLiteral("NoAdvHelpMenu"), NoAdvHelpMenu, 0);
        r.reqBool(QStringLiteral("ShowDecValue"), ShowDecValue);
        r.optBool(QStringLiteral("ChangeDownloadProperties"), ChangeDownloadProperties);
        r.optBool(QStringLiteral("EnableFbsWindow"), EnableFbsWindow);
        r.optBool(QStringLiteral("DwnHighPriority"), DwnHighPriority);
        QString sep;
        r.optStr(QStringLiteral("Separator"), sep);
        if (r.ok())
            Separator = separatorOf(sep);
        r.req(QStringLiteral("PtMode"), PtMode);
        r.req(QStringLiteral("ProgLng"), ProgLng);
        r.req(QStringLiteral("SecondLng"), SecondLng);
        r.optStr(QStringLiteral("AppName"), AppName);
        r.optStr(QStringLiteral("AppPicture"), AppPicture);
        r.optStr(QStringLiteral("AppIcon"), AppIcon);
        r.optStr(QStringLiteral("Vendor"), Vendor);
        r.optBool(QStringLiteral("EnableAltBinPath"), EnableAltBinPath);
        r.optBool(QStringLiteral("EnableAltApplPath"), EnableAltApplPath);
        QString alt;
        if (EnableAltApplPath && r.optStr(QStringLiteral("AlternateApplPath"), alt))
            ApplicationPath = alt;
        if (EnableAltBinPath && r.optStr(QStringLiteral("AlternateBinPath"), alt))
            BinPath = alt;
        if (!r.ok())
            return false;
    }
    if (!readSerial(store, ProgCfgKeys::Din, Din, true))
        return false;
    if (!readSerial(store, ProgCfgKeys::Zelk, Zelk, false))
        return false;
    {
        KeyReader r(store, ProgCfgKeys::IP);
        if (r.present()) {
            int udp = 0;
            r.optStr(QStringLiteral("Host"), Ip.Host);
            if (r.req(QStringLiteral("Port"), Ip.Port))
                Ip.Port = std::clamp(Ip.Port, 0, 65535);
            r.req(QStringLiteral("TimeOut"), Ip.TimeOut);
            if (r.req(QStringLiteral("UDP"), udp))
                Ip.UDP = (udp & 0xFF) != 0;
            if (!r.ok())
                return false;
        }
    }
    {
        KeyReader r(store, ProgCfgKeys::CAN);
        if (r.present()) {
            int baud = 0, wait = 0;
            r.optStr(QStringLiteral("CardId"), Can.CardId);
            if (r.req(QStringLiteral("Baudrate"), baud))
                Can.Baudrate = clampIndex(baud & 0xFF, kCanBaudCount);
            r.req(QStringLiteral("TimeOut"), Can.TimeOut);
            if (r.req(QStringLiteral("WaitTOut"), wait))
                Can.WaitTOut = (wait & 0xFF) != 0;
            if (!r.ok())
                return false;
        }
    }
    {
        KeyReader r(store, ProgCfgKeys::PBS);
        if (r.present()) {
            int master = 0, baud = 0;
            if (r.req(QStringLiteral("Masteraddress"), master))
                Pbs.Masteraddress = master & 0xFF;
            if (r.req(QStringLiteral("Baudrate"), baud))
                Pbs.Baudrate = clampIndex(baud & 0xFF, kPbsBaudCount);
            r.req(QStringLiteral("TimeOut"), Pbs.TimeOut);
            if (!r.ok())
                return false;
        }
    }
    {
        KeyReader r(store, ProgCfgKeys::Manual);
        r.optStr(QStringLiteral("Path"), ManualPath);
        if (!r.ok())
            return false;
    }
    return true;
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
    {
        KeyWriter w(store, ProgCfgKeys::DefPrj);
        w.dword(QStringLiteral("MinInvAdr"), MinInvAdr);
        w.dword(QStringLiteral("MaxInvAdr"), MaxInvAdr);
        for (const auto& p : kDefProtValues)
            w.flag(QString::fromLatin1(p.name), (DefProts & ProtBit(p.prot)) != 0);
        w.dword(QStringLiteral("WatchInterval"), Watchinterval);
        if (!w.ok())
            return false;
    }
    {
        KeyWriter w(store, ProgCfgKeys::PrjExpl);
        w.flag(QStringLiteral("ShowPlainTextInfo"), ShowPlainTextInfo);
        w.flag(QStringLiteral("ShowParaInfo"), ShowParaInfo);
        w.flag(QStringLiteral("ShowInvisible"), ShowInvisible);
        w.flag(QStringLiteral("ShowSupervisor"), ShowSupervisor);
        if (!w.ok())
            return false;
    }
    {
        KeyWriter w(store, ProgCfgKeys::Appl);
        w.dword(QStringLiteral("lng"), lng);
        w.flag(QStringLiteral("CloseOnCancel"), CloseOnCancel);
        w.flag(QStringLiteral("CloseOnOK"), CloseOnOK);
        w.flag(QStringLiteral("ShowDecValue"), ShowDecValue);
        w.flag(QStringLiteral("DwnHighPriority"), DwnHighPriority);
        w.str(QStringLiteral("Separator"), separatorOf(Separator));
        w.dword(QStringLiteral("PtMode"), PtMode);
        w.dword(QStringLiteral("ProgLng"), ProgLng);
        w.dword(QStringLiteral("SecondLng"), SecondLng);
        if (!w.ok())
            return false;
    }
    const auto writeSerial = [&store](const QString& key, const TSerialDrvCfg& cfg, bool withModem) {
        KeyWriter w(store, key);
        w.flag(QStringLiteral("SendSingle"), cfg.SendSingle);
        w.dword(QStringLiteral("Baudrate"), cfg.Baudrate);
        w.dword(QStringLiteral("Comport"), cfg.Comport);
        w.dword(QStringLiteral("TimeOut"), cfg.TimeOut);
        if (withModem)
            w.str(QStringLiteral("ModemCmd"), cfg.ModemCmd);
        w.flag(QStringLiteral("CloseCom"), cfg.CloseCom);
        return w.ok();
    };
    if (!writeSerial(ProgCfgKeys::Din, Din, true) || !writeSerial(ProgCfgKeys::Zelk, Zelk, false))
        return false;
    {
        KeyWriter w(store, ProgCfgKeys::IP);
        w.str(QStringLiteral("Host"), Ip.Host);
        w.dword(QStringLiteral("Port"), Ip.Port);
        w.dword(QStringLiteral("TimeOut"), Ip.TimeOut);
        w.flag(QStringLiteral("UDP"), Ip.UDP);
        if (!w.ok())
            return false;
    }
    {
        KeyWriter w(store, ProgCfgKeys::CAN);
        w.str(QStringLiteral("CardId"), Can.CardId);
        w.dword(QStringLiteral("Baudrate"), Can.Baudrate);
        w.dword(QStringLiteral("TimeOut"), Can.TimeOut);
        w.flag(QStringLiteral("WaitTOut"), Can.WaitTOut);
        if (!w.ok())
            return false;
    }
    {
        KeyWriter w(store, ProgCfgKeys::PBS);
        w.dword(QStringLiteral("Masteraddress"), Pbs.Masteraddress);
        w.dword(QStringLiteral("Baudrate"), Pbs.Baudrate);
        w.dword(QStringLiteral("TimeOut"), Pbs.TimeOut);
        if (!w.ok())
            return false;
    }
    return true;
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
