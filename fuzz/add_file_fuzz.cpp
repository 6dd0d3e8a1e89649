// The second-language file reader ("LNGNNNNx.add"), applied to the sample
// configuration it names when there is one, else to an empty configuration.

#include "config/cfg_codes.h"
#include "config/cfg_file.h"

#include "fuzz_support.h"

#include <QDir>

#include <vector>

namespace {

std::vector<QByteArray> loadSamples()
{
    std::vector<QByteArray> out;
    const QDir dir(QStringLiteral(QEL_FUZZ_DATA_DIR "/configs"));
    for (const QString& name : dir.entryList({QStringLiteral("Para*.bin")}, QDir::Files, QDir::Name))
        out.push_back(qelfuzz::sample(QStringLiteral("configs/") + name));
    return out;
}

bool parse(const QByteArray& bytes, TCfgRec& cfg)
{
    CfgFileHeader header;
    if (ParseCfgHeader(bytes, header) != 0)
        return false;
    cfg.CfgId = header.cfgId;
    cfg.NewStyle = header.newStyle ? 1 : 0;
    return ParseCfgBody(bytes, header, cfg, nullptr) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<QByteArray> samples = loadSamples();
    const QByteArray bytes = qelfuzz::bytes(data, size);
    for (const QByteArray& s : samples) {
        CfgFileHeader header;
        if (ParseCfgHeader(s, header) != 0)
            continue;
        // An empty configuration of that number first: the whole sample is
        // read only when the file is meant for it.
        TCfgRec probe;
        probe.CfgId = header.cfgId;
        if (ApplyAddFile(bytes, probe) == kErrOtherCfgFile)
            continue;
        TCfgRec cfg;
        if (parse(s, cfg))
            ApplyAddFile(bytes, cfg);
        return 0;
    }
    return 0;
}
