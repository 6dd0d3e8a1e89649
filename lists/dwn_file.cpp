#include "lists/dwn_file.h"

#include "config/file_save.h"
#include "platform/codepage.h"

#include <QFile>
#include <QFileInfo>

#include <limits>
#include <optional>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A trimmed decimal integer within lo..hi.
std::optional<int64_t> toInt(const QString& text, int64_t lo, int64_t hi)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok || v < lo || v > hi)
        return std::nullopt;
    return int64_t(v);
}

constexpr int64_t kI16Lo = std::numeric_limits<int16_t>::min();
constexpr int64_t kI16Hi = std::numeric_limits<int16_t>::max();
constexpr int64_t kI32Lo = std::numeric_limits<int32_t>::min();
constexpr int64_t kI32Hi = std::numeric_limits<int32_t>::max();

// Text that must stay within one line (and, for names, within one field).
QString oneLine(QString text)
{
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

QString fieldText(const QString& text)
{
    QString t = oneLine(text);
    t.replace(u',', u' ');
    t.replace(u';', u' ');
    return t.trimmed();
}

// Blank lines and user steps have fixed fields, whatever the line holds in
// memory (a blank line read from an older file or built by the complete list
// carries set selector -1): address and set selector 0, a blank line's value 0.
QString entryFields(const TDwnEntry& e)
{
    if (e.IsBlank())
        return QStringLiteral("0,0,%1,0").arg(DwnMode::Blank);
    if (e.IsUserStep())
        return QStringLiteral("0,%1,%2,0").arg(e.Value).arg(DwnMode::UserStep);
    return QStringLiteral("%1,%2,%3,%4").arg(e.Address).arg(e.Value).arg(e.Mode).arg(e.SetMask);
}

QString opDescription(const TParaRec& p, bool unsignedWords)
{
    const QString attr = unsignedWords ? QString::number(p.Attr) : QString::number(int32_t(p.Attr));
    const QString flags = unsignedWords ? QString::number(p.Flags) : QString::number(int32_t(p.Flags));
    return QStringLiteral("%1,%2,%3,%4,%5,%6,%7")
        .arg(fieldText(p.GetName(0)))
        .arg(p.Mul)
        .arg(p.Div)
        .arg(p.Offset)
        .arg(p.Format)
        .arg(attr, flags);
}

}  // namespace

TDwnFileLine ParseDwnLine(const QString& rawLine)
{
    TDwnFileLine r;
    const QString line = rawLine.trimmed();
    if (line.isEmpty())
        return r;
    if (line.startsWith(u';')) {
        r.kind = TDwnFileLine::Remark;
        r.Text = line.mid(1);
        return r;
    }
    const int semi = line.indexOf(u';');
    const QString fieldPart = semi < 0 ? line : line.left(semi);
    if (semi >= 0)
        r.Text = line.mid(semi + 1).trimmed().left(kDwnNoteLen);
    r.kind = TDwnFileLine::Ignored;
    if (fieldPart.contains(u'.'))
        return r;
    const QStringList fields = fieldPart.split(u',');
    if (fields.size() > 4)
        return r;
    std::array<int64_t, 4> v{};
    for (int i = 0; i < fields.size(); ++i) {
        const auto n = toInt(fields[i], kI32Lo, kI32Hi);
        if (!n)
            return r;
        v[size_t(i)] = *n;
    }
    switch (fields.size()) {
    case 1:
        r.Value = int32_t(v[0]);
        break;
    case 2:
        r.Address = int32_t(v[0]);
        r.Value = int32_t(v[1]);
        break;
    case 3:
        r.Address = int32_t(v[0]);
        r.Value = int32_t(v[1]);
        r.SetMask = int32_t(v[2]);
        break;
    default:
        r.Address = int32_t(v[0]);
        r.Value = int32_t(v[1]);
        r.Mode = int32_t(v[2]);
        r.SetMask = int32_t(v[3]);
        break;
    }
    // Cut to their fields' sizes they would name another address or mode.
    if (r.Address < kI16Lo || r.Address > kI16Hi || r.SetMask < kI16Lo || r.SetMask > kI16Hi
        || r.Mode < 0 || r.Mode > 255)
        return r;
    r.FieldCount = int(fields.size());
    r.kind = TDwnFileLine::Fields;
    return r;
}

QStringList SplitDwnFileLines(const QByteArray& bytes)
{
    QStringList lines = fromCodePage(bytes, CodePage::Cp1252).split(u'\n');
    for (QString& l : lines)
        if (l.endsWith(u'\r'))
            l.chop(1);
    // The line break after the last line ends it; it starts none.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QByteArray DwnListBytes(const TDwnFileHeader& h, const TDwnList& lines)
{
    QString out;
    for (const QString& r : h.Remark)
        out += u';' + oneLine(r) + kCrLf;
    if (h.OpList)
        out += QStringLiteral("0,%1,%2,0; Flag for operator list").arg(h.CfgId).arg(DwnFileMode::OpListLine) + kCrLf;
    else
        out += QStringLiteral("0,%1,%2,0").arg(h.CfgId).arg(DwnFileMode::CfgLine) + kCrLf;
    for (int i = 0; i < kDwnColCount; ++i)
        out += QStringLiteral("%1,%2,%3,0").arg(i).arg(h.ColWidths[size_t(i)]).arg(DwnFileMode::ColLine) + kCrLf;
    for (const TDwnEntryPtr& e : lines) {
        if (!e)
            continue;
        QString line = entryFields(*e) + u';';
        if (h.OpList)
            line += e->Para ? opDescription(*e->Para, false) + u';' : QStringLiteral(" ,1,1,0,0,0,0;");
        line += oneLine(e->Note);
        out += line + kCrLf;
    }
    return toCodePage(out, CodePage::Cp1252);
}

void ParseOpParaNote(const QString& note, TParaRec& p, QString& lineNote)
{
    QString rest = note;
    bool failed = false;
    for (int field = 0; field < 6 && !failed; ++field) {
        const int comma = rest.indexOf(u',');
        if (comma < 0)
            break;
        const QString text = rest.left(comma).trimmed();
        rest = rest.mid(comma + 1);
        std::optional<int64_t> n;
        switch (field) {
        case 0:
            p.SetName(0, text);
            p.SetName(1, text);
            continue;
        case 1:
        case 2:
        case 3:
            n = toInt(text, kI16Lo, kI16Hi);
            break;
        case 4:
            n = toInt(text, 0, 0xFFFF);
            break;
        default:
            // Written signed by lists, unsigned by the operator window.
            n = toInt(text, kI32Lo, int64_t(std::numeric_limits<uint32_t>::max()));
            break;
        }
        if (!n) {
            failed = true;
            break;
        }
        switch (field) {
        case 1: p.Mul = int16_t(*n); break;
        case 2: p.Div = int16_t(*n); break;
        case 3: p.Offset = int16_t(*n); break;
        case 4: p.Format = uint16_t(*n); break;
        default: p.Attr = uint32_t(*n); break;
        }
    }
    const int semi = rest.indexOf(u';');
    if (!failed)
        if (const auto n = toInt(semi < 0 ? rest : rest.left(semi), kI32Lo,
                                 int64_t(std::numeric_limits<uint32_t>::max())))
            p.Flags = uint32_t(*n);
    lineNote = semi < 0 ? QString() : rest.mid(semi + 1).trimmed().left(kDwnNoteLen);
}

int DwnCfgIdOfBytes(const QByteArray& bytes)
{
    for (const QString& text : SplitDwnFileLines(bytes)) {
        const TDwnFileLine l = ParseDwnLine(text);
        if (l.kind != TDwnFileLine::Fields)
            continue;
        if (l.Mode == DwnFileMode::OpListLine)
            return 0;
        if (l.Mode == DwnFileMode::CfgLine || (l.Address == -32768 && l.Value > 0))
            return l.Value;
    }
    return 0;
}

int GetDwnFileCfgId(const QString& Name)
{
    if (Name.isEmpty() || !QFileInfo(Name).isFile())
        return -1;
    QFile f(Name);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return -1;
    return DwnCfgIdOfBytes(bytes);
}

QString OpParaTypeText(int32_t Id)
{
    static const char* const kTypes[] = {"Standard", "InterBus", "Profibus", "Can",
                                         "Sercos", "Devicenet", "Ethernet"};
    const int type = int(Id >> 16);
    if (type >= 1 && type <= 7)
        return QString::fromLatin1(kTypes[type - 1]);
    return QStringLiteral("Unknown Type: %1").arg(type);
}

QByteArray OpParaListBytes(int32_t Id, const std::vector<TOpParaRow>& Rows)
{
    QString out = QStringLiteral(";Parameter of operator: ") + OpParaTypeText(Id)
        + QStringLiteral(" Version: ")
        + QStringLiteral("%1").arg(uint32_t(Id) & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper() + kCrLf;
    out += QStringLiteral("0,%1,%2,0; Flag for operator list").arg(Id).arg(DwnFileMode::OpListLine) + kCrLf;
    const TParaRec none;
    for (const TOpParaRow& row : Rows) {
        const TParaRec& p = row.Para ? *row.Para : none;
        const uint8_t mode = !row.Valid                        ? DwnMode::RO
            : (p.Flags & ParaFlag::DownloadWA)                 ? DwnMode::WA
            : (p.Flags & ParaFlag::BusWrite)                   ? DwnMode::RW
                                                               : DwnMode::RO;
        out += QStringLiteral("%1,%2,%3,%4;").arg(row.Address).arg(row.Value).arg(mode).arg(row.SetMask)
            + opDescription(p, true) + u';' + kCrLf;
    }
    return toCodePage(out, CodePage::Cp1252);
}

int WriteOpParaList(const QString& Name, int32_t Id, const std::vector<TOpParaRow>& Rows)
{
    return SaveFileAtomically(Name, OpParaListBytes(Id, Rows));
}
