// Quintel value files: "cp5" (written and read) and the older "cpd" (read
// only). Both are lines of signed decimal numbers; see tQuintel in
// quintel.h for the table they hold.

#include "quintel/quintel.h"

#include "config/cfg_codes.h"
#include "config/file_save.h"

#include <QByteArray>
#include <QCursor>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <optional>

namespace {

// Only this much of a line counts.
constexpr int kMaxLineLen = 255;

constexpr int kKindEntry = 0;
constexpr int kKindHeader = 100;
constexpr int kKindMul = 200;
constexpr int kKindFormat = 203;

// The hourglass while a file is worked on; nothing without a GUI.
class WaitCursor {
public:
    WaitCursor() : on_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {
        if (on_)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~WaitCursor()
    {
        if (on_)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool on_;
};

// Every character up to 0x20 goes from both ends.
QByteArray trimmed(QByteArray s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && uchar(s[b]) <= 0x20)
        ++b;
    while (e > b && uchar(s[e - 1]) <= 0x20)
        --e;
    return s.mid(b, e - b);
}

// A signed 32-bit decimal number, the whole (trimmed) text.
std::optional<int32_t> number(const QByteArray& raw)
{
    const QByteArray s = trimmed(raw);
    qsizetype i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= s.size())
        return std::nullopt;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9')
            return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > int64_t(INT32_MAX) + 1)
            return std::nullopt;
    }
    if (negative)
        v = -v;
    if (v < INT32_MIN || v > INT32_MAX)
        return std::nullopt;
    return int32_t(v);
}

// The file's lines (ended by LF; a CR before it goes with the trimming),
// each cut to kMaxLineLen characters. A last line without LF counts.
struct LineReader {
    explicit LineReader(const QByteArray& bytes) : data(bytes) {}
    bool next(QByteArray& line)
    {
        if (pos >= data.size())
            return false;
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0)
            end = data.size();
        line = data.mid(pos, std::min<qsizetype>(end - pos, kMaxLineLen));
        pos = end + 1;
        return true;
    }
    const QByteArray& data;
    qsizetype pos = 0;
};

int readAll(const QString& fileName, QByteArray& bytes)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return IoOpenErrorCode(fileName, false);
    bytes = f.readAll();
    return f.error() == QFileDevice::NoError ? 0 : kIoReadError;
}

// One record of either layout.
struct Record {
    int32_t a = 0;
    int32_t value = 0;
    int32_t kind = kKindEntry;
    int32_t d = 0;
};

// An entry whose numbers did not read: it keeps its place in the table as
// an undefined entry, so that every later entry stays at its number (and a
// download writes each value into its own slot).
constexpr Record kDamagedEntry{-1, 0, kKindEntry, 0};

// "cp5": A, value, kind, D; a missing comma leaves the fields from there
// at their defaults and makes the rest D. Nothing when the kind does not
// read, or when another field of a line that is no entry does not read.
std::optional<Record> parseCp5(QByteArray line)
{
    const qsizetype semi = line.indexOf(';');
    if (semi >= 0)
        line.truncate(semi);
    QByteArray fa = "0", fv = "0", fk = "0";
    QByteArray rest = line;
    qsizetype c = rest.indexOf(',');
    if (c >= 0) {
        fa = rest.left(c);
        rest = rest.mid(c + 1);
        c = rest.indexOf(',');
        if (c >= 0) {
            fv = rest.left(c);
            rest = trimmed(rest.mid(c + 1));
            c = rest.indexOf(',');
            if (c >= 0) {
                fk = rest.left(c);
                rest = rest.mid(c + 1);
            }
        }
    }
    const auto a = number(fa), v = number(fv), k = number(fk), d = number(rest);
    if (!k)
        return std::nullopt;
    if (!a || !v || !d) {
        if (*k != kKindEntry)
            return std::nullopt;
        return kDamagedEntry;
    }
    return Record{*a, *v, *k, *d};
}

} // namespace

int tQuintel::SaveToFile(const QString& FileName) const
{
    if (!Cfg || Entries.empty())
        return -1;
    const WaitCursor cursor;
    QByteArray text;
    auto line = [&](int a, int b, int c, int d) {
        text += QByteArray::number(a) + ',' + QByteArray::number(b) + ',' + QByteArray::number(c) + ','
              + QByteArray::number(d) + "\r\n";
    };
    line(0, Cfg->CfgId, kKindHeader, 0);
    for (const auto& e : Entries)
        line(e->Id == -1 ? -1 : e->Para->Addr, e->Value, kKindEntry, e->Def);
    if (Cfg->NewStyle) {
        for (int k = 1; k <= 7; ++k) {
            const TNormRec& n = Norm[size_t(k)];
            line(0, n.Mul, 200, k);
            line(0, n.Div, 201, k);
            line(0, n.Offset, 202, k);
            line(0, n.Format, 203, k);
        }
    }
    return SaveFileAtomically(FileName, text);
}

int tQuintel::LoadFromFile(const QString& FileName)
{
    if (!waitForRest())
        return -1;
    Abort = false;
    clearEntries();
    ShowIdText = false;
    for (int k = 1; k <= 7; ++k)
        Norm[size_t(k)] = TNormRec{1, 1, 0, 0};
    NextId = 0;
    CpNo = 0;
    if (!Cfg || !QFileInfo(FileName).isFile())
        return -1;

    const WaitCursor cursor;
    QByteArray bytes;
    if (const int rc = readAll(FileName, bytes))
        return rc;
    const bool cpd = FileName.right(3).toUpper() == QLatin1String("CPD");
    bool headerSeen = false;
    const int n = quintelCount();
    LineReader lines(bytes);
    QByteArray raw;
    while (lines.next(raw)) {
        const QByteArray line = trimmed(raw);
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        Record rec;
        if (cpd && !headerSeen) {
            const auto id = number(line);
            if (!id)
                continue;
            rec.kind = kKindHeader;
            rec.value = *id;
            QByteArray dropped;
            lines.next(dropped);
            headerSeen = true;
        } else if (cpd) {
            QByteArray setLine, valueLine;
            if (!lines.next(setLine) || !lines.next(valueLine))
                break;  // a record cut off by the end of the file
            const auto a = number(line), setNo = number(setLine), v = number(valueLine);
            if (!a || !setNo || !v) {
                rec = kDamagedEntry;
            } else {
                rec.a = *a;
                rec.value = *v;
                // Sets 0..15 fit the 16-bit word; any other number names none.
                rec.d = *setNo >= 0 && *setNo <= 15 ? int32_t(int16_t(uint16_t(1u << *setNo))) : 0;
            }
        } else {
            const auto parsed = parseCp5(line);
            if (!parsed)
                continue;
            rec = *parsed;
        }

        if (rec.kind == kKindHeader) {
            if (rec.value != Cfg->CfgId)
                return OtherCfgFile;
        } else if (rec.kind == kKindEntry) {
            if (int(Entries.size()) >= n)
                continue;
            auto e = std::make_unique<tCpEntry>();
            e->Address = int16_t(rec.a);
            const TParaRec* p = rec.a == -1 ? nullptr : Cfg->FindPara(rec.a);
            e->Para = paraCopy(p);
            if (!p) {
                e->Id = -1;
            } else {
                e->Status = 0;
                e->Id = NextId++;
                e->Value = rec.value;
                e->Def = int32_t(int16_t(rec.d));
                e->NormSet = int16_t((e->Def >> 10) & 7);
                if (valuePar() >= 0)
                    e->Address = int16_t(valuePar() + CpNo);
                e->Name = entryName(CpNo);
                if (CpNo == 0)
                    ShowIdText = rec.value == -3;
            }
            ++CpNo;
            Entries.push_back(std::move(e));
        } else if (rec.kind >= kKindMul && rec.kind <= kKindFormat && rec.d >= 1 && rec.d <= 7) {
            TNormRec& nr = Norm[size_t(rec.d)];
            const int16_t low = int16_t(rec.value & 0xFFFF);
            switch (rec.kind) {
            case 200: nr.Mul = low; break;
            case 201: nr.Div = low; break;
            case 202: nr.Offset = low; break;
            default: nr.Format = low; break;
            }
        }
    }

    while (int(Entries.size()) < n)
        Entries.push_back(std::make_unique<tCpEntry>());
    // Applies the normalisation sets and computes AllSet0 as after
    // reading from the inverter, without touching the machine's state.
    const uint8_t state = State;
    const int index = Index;
    const int status = Status;
    finishDefinitions();
    State = state;
    Index = index;
    Status = status;
    return 0;
}

bool tQuintel::ScanCfgId(const QString& FileName, int& CfgId)
{
    QByteArray bytes;
    if (readAll(FileName, bytes))
        return false;
    LineReader lines(bytes);
    QByteArray raw;
    while (lines.next(raw)) {
        const QByteArray line = trimmed(raw);
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (!line.contains(',')) {
            if (const auto id = number(line)) {
                CfgId = *id;
                return true;
            }
            continue;
        }
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() < 4)
            continue;
        const auto id = number(fields[1]);
        const auto kind = number(fields[2]);
        if (id && kind && *kind == kKindHeader) {
            CfgId = *id;
            return true;
        }
    }
    return false;
}

int tQuintel::MaskToSetNo(uint32_t Mask)
{
    for (int k = 0; k <= 8; ++k)
        if (Mask & (1u << k))
            return k;
    return 0;
}
