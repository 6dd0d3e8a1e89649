// Fuzz target: the Quintel value-file reader (cp5 and cpd layouts) and the
// configuration-number scan, on arbitrary file contents. The first byte
// chooses the layout; the rest is the file.

#include "quintel/quintel.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

std::shared_ptr<TCfgRec> makeCfg()
{
    auto cfg = std::make_shared<TCfgRec>();
    cfg->CfgId = 21;
    cfg->NewStyle = 1;
    cfg->AccessParAdr = 1;
    cfg->QuintelCount = 37;
    cfg->QuintelBase = 0x0E00;
    cfg->QuintelSel = 0x0E40;
    TGrpRec* g = cfg->GrpList.AddNew();
    g->BaseAddr = 0x100;
    for (int a = 0x100; a < 0x110; ++a) {
        auto p = std::make_shared<TParaRec>();
        p->Addr = int16_t(a);
        g->ParaList.Add(p);
    }
    return cfg;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const std::shared_ptr<TCfgRec> cfg = makeCfg();
    if (size == 0 || !dir.isValid())
        return 0;
    const bool cpd = data[0] & 1;
    const QString name = QDir(dir.path()).filePath(cpd ? QStringLiteral("in.cpd") : QStringLiteral("in.cp5"));
    {
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data + 1), qint64(size - 1));
    }
    int id = 0;
    tQuintel::ScanCfgId(name, id);
    tQuintel q;
    q.Cfg = cfg;
    const int rc = q.LoadFromFile(name);
    // Whatever was read, the table never exceeds N entries and saves.
    if (rc == 0 && int(q.Entries.size()) != cfg->QuintelCount)
        __builtin_trap();
    if (!q.Entries.empty())
        q.SaveToFile(QDir(dir.path()).filePath(QStringLiteral("out.cp5")));
    return 0;
}
