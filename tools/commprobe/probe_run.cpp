#include "tools/commprobe/probe_run.h"

#include "comm/prot_sel.h"
#include "comm/refusing_driver.h"
#include "comm/scheduler.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTimer>

namespace {

QString driverTitle(TProt prot)
{
    switch (prot) {
    case prANSI: return QStringLiteral("DIN 66019 II");
    case prZelk: return QStringLiteral("Zelk");
    case prIP: return QStringLiteral("IP");
    case prIBS: return QStringLiteral("Interbus");
    case prCAN: return QStringLiteral("CAN");
    case prPBS: return QStringLiteral("Profibus DP");
    default: return QStringLiteral("offline");
    }
}

TTOProp* propOf(TProtSel& sel, TProt prot)
{
    switch (prot) {
    case prANSI: return sel.Ansi();
    case prZelk: return sel.Zelk();
    case prIP: return sel.Ip();
    case prIBS: return sel.IBS();
    case prCAN: return sel.Can();
    case prPBS: return sel.PBS();
    default: return nullptr;
    }
}

TTelData commandData(const ProbeCommand& cmd)
{
    TTelData data;
    if (cmd.kind == ProbeCommand::Fieldbus) {
        data.SetByte(0, uint8_t(cmd.func));
        data.SetU16(2, uint16_t(cmd.index));
        data.SetByte(4, uint8_t(cmd.sub));
        data.SetByte(5, uint8_t(cmd.length));
        for (size_t i = 0; i < cmd.bytes.size(); ++i)
            data.SetByte(6 + int(i), cmd.bytes[i]);
        return data;
    }
    if (cmd.kind == ProbeCommand::Process) {
        for (size_t i = 0; i < cmd.bytes.size() && i < 8; ++i)
            data.SetByte(int(i), cmd.bytes[i]);
        return data;
    }
    data.ParAdr = uint16_t(cmd.parAdr);
    data.SetByte(2, uint8_t(cmd.set));
    if (!cmd.isRead) {
        if (cmd.service == QelService::Plain)
            data.ParSet = uint16_t(cmd.value);
        else
            data.Value = int32_t(uint32_t(cmd.value));
    }
    return data;
}

// Settings of the chosen protocol; false with a message when they cannot
// be applied.
bool configure(TProtSel& sel, const ProbeOptions& opt, QString& error)
{
    if (opt.retries >= 0)
        sel.SetRetryCnt(opt.retries);
    TTOProp* prop = propOf(sel, opt.prot);
    if (!prop)
        return true;
    if (opt.timeoutMs >= 0)
        prop->SetTimeOut(opt.timeoutMs);
    if (auto* serial = dynamic_cast<TSerialProp*>(prop)) {
        if (opt.baud > 0) {
            for (int b = B_1200; b <= B_115200; ++b)
                if (BaudRateBits(TBaudRate(b)) == opt.baud)
                    serial->SetBaudrate(TBaudRate(b));
        }
        if (!opt.device.isEmpty()) {
            const auto m = QRegularExpression(QStringLiteral("^COM([1-9])$"), QRegularExpression::CaseInsensitiveOption)
                               .match(opt.device);
            if (m.hasMatch()) {
                serial->SetComport(TComPort(m.captured(1).toInt() - 1));
            } else {
                // A path: map it to COM1 for this process only.
                qputenv("QEL_COM1", opt.device.toLocal8Bit());
                serial->SetComport(Com1);
            }
        }
    }
    if (auto* ibs = dynamic_cast<TIBSProp*>(prop)) {
        if (opt.cardNo > 0)
            ibs->SetCardNo(opt.cardNo);
    }
    if (auto* can = dynamic_cast<TCanProp*>(prop)) {
        if (!opt.cardId.isEmpty())
            can->SetCardID(opt.cardId);
        for (int b = 0; b <= int(TCanBaudRate::B_1000K); ++b)
            if (CanBaudRateBits(TCanBaudRate(b)) == opt.bitRate)
                can->SetBaudRate(TCanBaudRate(b));
        if (opt.waitTout)
            can->SetWaitTout(true);
    }
    if (auto* pbs = dynamic_cast<TPbsProp*>(prop)) {
        TPbsBaudRate rate;
        if (PbsBaudRateOf(opt.bitRate, rate))
            pbs->SetBaudRate(rate);
        if (opt.masterAddr >= 0)
            pbs->SetMasteraddr(uint8_t(opt.masterAddr));
    }
    if (auto* ip = dynamic_cast<TIPProp*>(prop)) {
        if (!opt.host.isEmpty())
            ip->SetIpAddress(opt.host);
        if (opt.port >= 0)
            ip->SetIpPort(opt.port);
        if (opt.udp >= 0)
            ip->SetUDP(opt.udp == 1);
    }
    return true;
}

int openDriver(TProtSel& sel, const ProbeOptions& opt, QTextStream& err)
{
    if (opt.prot == prOffline)
        return 0;
    if (IsPlaceholderDriver(sel.DriverOf(opt.prot))) {
        err << "commprobe: the " << driverTitle(opt.prot)
            << " driver is not available in this build yet\n";
        return 3;
    }
    if (opt.prot == prPBS) {
        // The selector builds the slave list from the address's protocol
        // and opens the driver with it.
        sel.SetProtocol(opt.addr, opt.prot);
        if (sel.DriverOf(opt.prot)->IsOpen())
            return 0;
    }
    const int r = propOf(sel, opt.prot)->Open();
    if (r != 0) {
        err << "commprobe: cannot open the " << driverTitle(opt.prot) << " driver (result " << r << ")\n";
        return 3;
    }
    sel.SetProtocol(opt.addr, opt.prot);
    return 0;
}

int runSync(TProtSel& sel, const ProbeOptions& opt, QTextStream& out)
{
    bool allGood = true;
    for (const ProbeCommand& cmd : opt.commands) {
        const TTelData data = commandData(cmd);
        TRecTel rsp;
        const int r = cmd.isRead ? sel.ReadPara(opt.addr, cmd.service, data, rsp)
                                 : sel.WritePara(opt.addr, cmd.service, data, rsp);
        out << ProbeResultLine(r, rsp) << '\n';
        out.flush();
        allGood = allGood && r == 0 && rsp.Status == 0;
    }
    return allGood ? 0 : 1;
}

int runCycle(TProtSel& sel, const ProbeOptions& opt, QTextStream& out, QTextStream& err)
{
    auto* sch = new TScheduler;
    sch->Attach(&sel);
    int sent = 0;
    int answered = 0;
    int failures = 0;
    QEventLoop loop;
    // Every driver answers within its time-out; this only ends a run that
    // hangs for another reason.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    const int stallMs = std::max(5000, (opt.timeoutMs > 0 ? opt.timeoutMs : 1000) * 20);
    bool stalled = false;
    QObject::connect(&watchdog, &QTimer::timeout, &loop, [&] {
        stalled = true;
        loop.quit();
    });

    const int slot = sch->Register(
        nullptr,
        [&](TReqRec& req) {
            if (sent >= opt.cycle)
                return;
            const ProbeCommand& cmd = opt.commands[size_t(sent) % opt.commands.size()];
            req.Valid = 1;
            req.InvAdr = opt.addr;
            req.Service = cmd.service;
            req.IsRead = cmd.isRead ? 1 : 0;
            req.Tag = sent;
            req.Data = commandData(cmd);
            ++sent;
        },
        [&](const TRecTel& rsp, int) {
            ++answered;
            if (rsp.Status != 0)
                ++failures;
            watchdog.start(stallMs);
            if (answered >= opt.cycle) {
                sch->SetActive(false);
                loop.quit();
            }
        },
        nullptr);
    sch->SetState(slot, csPolled);

    QElapsedTimer clock;
    clock.start();
    watchdog.start(stallMs);
    sch->SetActive(true);
    if (answered < opt.cycle)
        loop.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    sch->Release();

    out << "count=" << answered << " failures=" << failures << " seconds=" << QString::number(seconds, 'f', 3)
        << '\n';
    out.flush();
    if (stalled) {
        err << "commprobe: no answer for " << stallMs << " ms, stopped after " << answered << " exchanges\n";
        return 1;
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

QString ProbeResultLine(int result, const TRecTel& rsp)
{
    const QByteArray bytes(reinterpret_cast<const char*>(rsp.Data.Bytes()), TTelData::Size);
    return QStringLiteral("result=%1 status=%2 data=%3")
        .arg(result)
        .arg(rsp.Status)
        .arg(QString::fromLatin1(bytes.toHex().toUpper()));
}

int RunCommProbe(const ProbeOptions& opt, QTextStream& out, QTextStream& err)
{
    TProtSel sel(nullptr);
    sel.setObjectName(QStringLiteral("ProtSel"));
    QString error;
    if (!configure(sel, opt, error)) {
        err << "commprobe: " << error << '\n';
        return 2;
    }
    if (const int r = openDriver(sel, opt, err); r != 0)
        return r;
    return opt.cycle > 0 ? runCycle(sel, opt, out, err) : runSync(sel, opt, out);
}
