// The configuration index's name reader on arbitrary configuration files:
// the input is the one file of a configuration folder of its own, named
// after the number it holds at offset 18 when that has four digits (so
// that the sample files read as they are), else "Para0012.bin"; the index
// is built from scratch, written, and built again from the cache.
//
// Promises: the file is listed (the number of its name, its size), with the two
// "invalid" names or with names of at most 47 characters; the index file
// written reads back the same; a second scan opens no file and lists the
// same; and a file the configuration reader loads is listed with the names
// that loading it shows.

#include "config/bin_file_index.h"
#include "config/cfg_file.h"
#include "config/cfg_records.h"
#include "fuzz_support.h"

#include <QDir>
#include <QFile>

namespace {

using qelfuzz::broken;

// The names the configuration reader gives the file; false when it does
// not load it.
bool loadedNames(const QByteArray& bytes, int number, QString& group, QString& type)
{
    CfgFileHeader h;
    if (ParseCfgHeader(bytes, h) != 0 || !h.offsetsRead || h.cfgId != number || h.version > kCfgFileOldVersion)
        return false;
    TCfgRec cfg;
    cfg.CfgId = int16_t(h.cfgId);
    cfg.NewStyle = h.newStyle ? 1 : 0;
    if (ParseCfgBody(bytes, h, cfg, nullptr) != 0)
        return false;
    group = cfg.GroupName;
    type = cfg.TypeName;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qelfuzz::app();
    static const QString bin = qelfuzz::scratchPath(QStringLiteral("configs"));
    static const QString dat = qelfuzz::scratchPath(QStringLiteral("data"));
    static const bool made = QDir().mkpath(bin) && QDir().mkpath(dat);
    if (!made)
        broken("no scratch folders");
    const QByteArray bytes = qelfuzz::bytes(data, size);
    int number = 12;
    if (size >= 22) {
        const int32_t held = int32_t(uint32_t(data[18]) | uint32_t(data[19]) << 8 | uint32_t(data[20]) << 16
                                     | uint32_t(data[21]) << 24);
        if (held >= 0 && held <= 9999)
            number = held;
    }
    const QString name = QStringLiteral("Para%1.bin").arg(number, 4, 10, QLatin1Char('0'));
    for (const QString& old : QDir(bin).entryList(QDir::Files))
        QFile::remove(QDir(bin).filePath(old));
    {
        QFile f(QDir(bin).filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            broken("the file cannot be written");
    }
    const QString indexFile = QDir(dat).filePath(CfgIndex::kIndexName);
    QFile::remove(indexFile);

    TCfgFileList first;
    const TCfgScanReport r1 = ScanCfgFiles(bin, dat, first);
    if (first.size() != 1 || r1.filesRead != 1 || !r1.indexWritten)
        broken("the file was not listed and indexed");
    const TCfgFileRec& rec = first.front();
    if (rec.CfgId != number || rec.FileName != name.left(9) || rec.FileSize != int32_t(size))
        broken("the file's number, name or size is wrong");
    const bool invalid = rec.GroupName == CfgIndex::kInvalidGroup && rec.TypeName == CfgIndex::kInvalidType;
    if (!invalid && (rec.GroupName.size() > 47 || rec.TypeName.size() > 47))
        broken("a name is longer than the index holds");

    QFile f(indexFile);
    if (!f.open(QIODevice::ReadOnly) || ParseCfgIndexFile(f.readAll()) != first)
        broken("the index file does not read back the same");

    TCfgFileList second;
    const TCfgScanReport r2 = ScanCfgFiles(bin, dat, second);
    if (r2.filesRead != 0 || r2.indexChanged || second != first)
        broken("the unchanged file was read again or listed otherwise");

    QString group, type;
    if (loadedNames(bytes, number, group, type) && (group != rec.GroupName || type != rec.TypeName))
        broken("the index names differ from what loading the file shows");
    return 0;
}
