#include "config/bin_file_index.h"

#include "config/cfg_bytes.h"
#include "config/cfg_file.h"
#include "config/prog_cfg.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <list>

namespace {

TPlainMessageFn& messageHandler()
{
    static TPlainMessageFn fn;
    return fn;
}

void showPlainMessage(const QString& text)
{
    if (messageHandler())
        messageHandler()(text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(text));
}

// A directory and a name in it; the directory may end in a separator or not.
QString joinDir(const QString& dir, const QString& name)
{
    if (dir.isEmpty())
        return name;
    if (dir.endsWith(QLatin1Char('/')))
        return dir + name;
    if (dir.endsWith(QLatin1Char('\\')))
        return dir.chopped(1) + QLatin1Char('/') + name;
    return dir + QLatin1Char('/') + name;
}

// The number in characters 5 to 8 of a file name; false when they are not
// four digits (such a file cannot be a configuration file of a number).
bool numberFromName(const QString& name, int16_t& id)
{
    if (name.size() < 8)
        return false;
    int n = 0;
    for (int i = 4; i < 8; ++i) {
        const QChar c = name.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        n = n * 10 + (c.unicode() - '0');
    }
    id = static_cast<int16_t>(n);
    return true;
}

// Reads the header and the configuration info of one file into the record.
void readNames(const QString& path, TCfgFileRec& rec)
{
    rec.GroupName = CfgIndex::kInvalidGroup;
    rec.TypeName = CfgIndex::kInvalidType;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    constexpr int kHeaderPart = 34;  // up to and including the info offset
    const QByteArray head = f.read(kHeaderPart);
    if (head.size() < kHeaderPart)
        return;
    ByteReader h(head);
    const int16_t version = h.i16();
    h.seek(18);
    const int32_t number = h.i32();
    h.seek(30);
    const int32_t infoOffset = h.i32();
    if (h.failed() || number != rec.CfgId || version > kCfgFileOldVersion)
        return;
    if (infoOffset == 0) {
        // No configuration info: names as a loaded configuration shows them.
        rec.GroupName.clear();
        rec.TypeName.clear();
        return;
    }
    constexpr int kNamesSize = 96;
    if (infoOffset < 0 || !f.seek(infoOffset))
        return;
    const QByteArray names = f.read(kNamesSize);
    if (names.size() < kNamesSize)
        return;
    ByteReader n(names);
    const QString group = n.lenString(47);
    const QString type = n.lenString(47);
    if (n.failed())
        return;
    rec.GroupName = group;
    rec.TypeName = type;
}

int32_t dosPackedTime(const QDateTime& utc)
{
    const QDate d = utc.date();
    const QTime t = utc.time();
    if (!d.isValid() || d.year() < 1980)
        return (1 << 21) | (1 << 16);  // 1980-01-01 00:00:00
    if (d.year() > 2107)
        return static_cast<int32_t>((127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u);
    const uint32_t v = (uint32_t(d.year() - 1980) << 25) | (uint32_t(d.month()) << 21) | (uint32_t(d.day()) << 16)
        | (uint32_t(t.hour()) << 11) | (uint32_t(t.minute()) << 5) | uint32_t(t.second() / 2);
    return static_cast<int32_t>(v);
}

} // namespace

int32_t CfgFileTime(const QString& path)
{
    return dosPackedTime(QFileInfo(path).lastModified().toUTC());
}

void SetCfgIndexMessageHandler(TPlainMessageFn fn)
{
    messageHandler() = std::move(fn);
}

QByteArray BuildCfgIndexFile(const TCfgFileList& records)
{
    ByteWriter w;
    w.i32(CfgIndex::kVersion);
    w.i32(static_cast<int32_t>(records.size()));
    for (const TCfgFileRec& r : records) {
        w.i16(r.CfgId);
        w.lenString(r.GroupName, 47);
        w.lenString(r.TypeName, 47);
        w.lenString(r.FileName, CfgIndex::kFileNameLen);
        w.i32(r.FileTime);
        w.i32(r.FileSize);
    }
    return w.data();
}

TCfgFileList ParseCfgIndexFile(const QByteArray& data)
{
    TCfgFileList out;
    ByteReader r(data);
    if (r.i32() != CfgIndex::kVersion || r.failed())
        return out;
    const int32_t n = r.i32();
    for (int32_t i = 0; i < n && !r.failed(); ++i) {
        TCfgFileRec rec;
        rec.CfgId = r.i16();
        rec.GroupName = r.lenString(47);
        rec.TypeName = r.lenString(47);
        rec.FileName = r.lenString(CfgIndex::kFileNameLen);
        rec.FileTime = r.i32();
        rec.FileSize = r.i32();
        if (r.failed())
            break;
        out.push_back(std::move(rec));
    }
    return out;
}

TCfgScanReport ScanCfgFiles(const QString& binPath, const QString& dataPath, TCfgFileList& index)
{
    TCfgScanReport report;

    // The data directory is given without a final separator; tolerate one.
    QString dataDir = dataPath;
    while (dataDir.size() > 1 && (dataDir.endsWith(QLatin1Char('/')) || dataDir.endsWith(QLatin1Char('\\'))))
        dataDir.chop(1);
    const QString indexPath = joinDir(dataDir, CfgIndex::kIndexName);

    // 1. Records of the last run.
    std::list<TCfgFileRec> old;
    {
        QFile f(indexPath);
        if (f.open(QIODevice::ReadOnly)) {
            const TCfgFileList read = ParseCfgIndexFile(f.readAll());
            old.assign(read.begin(), read.end());
        }
    }

    // 2. The files present now. QDir's name filters ignore case unless told
    // otherwise, which keeps "Para0012.bin" and "PARA0012.BIN" alike; name
    // order stands in for the directory order of the system's origin.
    QDir dir(binPath.isEmpty() ? QStringLiteral(".") : binPath);
    const QFileInfoList found = dir.entryInfoList(
        {CfgIndex::kPattern}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
    bool changed = false;
    for (const QFileInfo& fi : found) {
        const QString name = fi.fileName();
        TCfgFileRec entry;
        if (!numberFromName(name, entry.CfgId))
            continue;
        const QString shortName = name.left(CfgIndex::kFileNameLen);
        const int32_t time = CfgFileTime(fi.absoluteFilePath());
        const auto size = static_cast<int32_t>(fi.size());

        auto it = std::find_if(old.begin(), old.end(), [&](const TCfgFileRec& r) { return r.FileName == shortName; });
        if (it != old.end()) {
            TCfgFileRec rec = std::move(*it);
            old.erase(it);
            if (rec.FileTime == time && rec.FileSize == size) {
                index.push_back(std::move(rec));
                continue;
            }
        }
        changed = true;
        entry.FileName = shortName;
        entry.FileTime = time;
        entry.FileSize = size;
        readNames(fi.absoluteFilePath(), entry);
        ++report.filesRead;
        index.push_back(std::move(entry));
    }

    // 3. Records of files that are gone.
    if (!old.empty())
        changed = true;

    // 4. Rewrite the cache. It goes through a temporary file, so that a
    // failed write never leaves a cut index behind; one message at most.
    report.indexChanged = changed;
    if (changed) {
        QSaveFile out(indexPath);
        const QByteArray bytes = BuildCfgIndexFile(index);
        const bool ok = out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
        if (ok) {
            report.indexWritten = true;
        } else {
            report.writeFailed = true;
            showPlainMessage(CfgIndex::kWriteError + QDir::toNativeSeparators(QFileInfo(indexPath).absoluteFilePath()));
        }
    }
    return report;
}

void TProgCfg::ScanBinFiles()
{
    ScanCfgFiles(BinPath, DataPath, CfgFileList);
}
