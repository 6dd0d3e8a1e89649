#pragma once

#include "config/cfg_records.h"

#include <QByteArray>

#include <cstdint>
#include <vector>

class IProgress;

// Byte layout of the configuration file ("ParaNNNN.bin") and of the
// second-language file ("LNGNNNNx.add"). All numbers little-endian; names are
// a length byte and 47 character bytes in Windows-1252.

constexpr int16_t kCfgFileVersion = -53;       // what SaveToFile writes
constexpr int16_t kCfgFileOldVersion = -52;    // without trailer
constexpr uint32_t kCfgTrailerEndMark = 0xA55AA55A;
inline constexpr char kCfgMagic[] = "VORTALIN50_BIN";
inline constexpr char kAddMagic[] = "VORTALIN50_ADD";

// How a configuration is written. SaveToFile uses the defaults; the
// configuration tool also writes the older version and files without info.
struct CfgFileLayout {
    int16_t version = kCfgFileVersion;  // -52: no trailer
    bool withInfo = true;
    bool withTrailer = true;            // only with -53 and lower
};

// The whole file as bytes.
QByteArray BuildCfgFile(const TCfgRec& cfg, const CfgFileLayout& layout = {});

// Header of a configuration file as read.
struct CfgFileHeader {
    int16_t version = 0;
    bool newStyle = false;
    int32_t cfgId = 0;
    int32_t groupOffset = 0;
    int32_t plainOffset = 0;
    int32_t infoOffset = 0;
    int32_t trailerOffset = 0;
    bool offsetsRead = false;  // false: the file ends before the offsets
};

// 0, kErrNotCfgFile (version or magic), or kIoReadError when the file ends
// before CfgId. A file that ends inside the offsets still gives 0 with
// offsetsRead false (the number alone finds a loaded configuration).
int ParseCfgHeader(const QByteArray& data, CfgFileHeader& header);

// Reads plain texts, groups, info and ScopeBase into `cfg` (which the caller
// has created with CfgId and NewStyle). 0, kIoReadError on a truncated or
// damaged file, kErrCancelled when progress reports a cancel. On failure
// `cfg` is partly filled and must be dropped. progress may be null.
int ParseCfgBody(const QByteArray& data, const CfgFileHeader& header, TCfgRec& cfg, IProgress* progress);

// What the layout of a read file was, so that it can be written again the
// same way.
CfgFileLayout LayoutOf(const CfgFileHeader& header);

// Names of a second-language file.
struct AddFileNames {
    struct Entry {
        int16_t addr = 0;
        QString name;
    };
    struct Value {
        int32_t value = 0;
        QString name;
    };
    struct Def {
        uint32_t mask = 0;
        QString name;
        std::vector<Value> values;
    };
    struct Table {
        int16_t textId = 0;
        std::vector<Def> defs;
    };
    std::vector<Entry> groups;
    std::vector<Entry> params;
    std::vector<Table> tables;
};

QByteArray BuildAddFile(int32_t cfgId, const AddFileNames& names);

// Applies an .add file to `cfg`: 0, kErrNotCfgFile, kErrOtherCfgFile,
// kIoReadError when even the header is cut. Names found before damage in the
// file stay set.
int ApplyAddFile(const QByteArray& data, TCfgRec& cfg);
