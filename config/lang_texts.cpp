#include "config/lang_texts.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

const QString kMissing = QStringLiteral("???");

// Bounds-checked little-endian reader over the file's bytes; every read past
// the end sets the failure flag and yields 0.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : data_(bytes) {}

    bool failed() const { return failed_; }
    void fail() { failed_ = true; }

    bool seek(int64_t pos)
    {
        if (pos < 0 || pos > data_.size()) {
            failed_ = true;
            return false;
        }
        pos_ = pos;
        return true;
    }

    const char* take(int64_t n)
    {
        if (failed_ || n < 0 || n > data_.size() - pos_) {
            failed_ = true;
            return nullptr;
        }
        const char* p = data_.constData() + pos_;
        pos_ += n;
        return p;
    }

    int16_t i16()
    {
        const auto* p = reinterpret_cast<const unsigned char*>(take(2));
        return p ? static_cast<int16_t>(p[0] | (p[1] << 8)) : 0;
    }

    int32_t i32()
    {
        const auto* p = reinterpret_cast<const unsigned char*>(take(4));
        if (!p)
            return 0;
        const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16)
                           | (uint32_t(p[3]) << 24);
        return static_cast<int32_t>(v);
    }

    int u8()
    {
        const auto* p = reinterpret_cast<const unsigned char*>(take(1));
        return p ? p[0] : 0;
    }

private:
    const QByteArray& data_;
    int64_t pos_ = 0;
    bool failed_ = false;
};

} // namespace

TVortalinText::TVortalinText() = default;

TVortalinText::~TVortalinText()
{
    Clear();
}

void TVortalinText::Clear()
{
    entries_.clear();
    // Entry counts describe the entries; without entries no section has any.
    sectionSize_.fill(0);
    sectionDefined_.fill(false);
}

bool TVortalinText::LoadFromFile(const QString& fileName, CodePage cp)
{
    Clear();
    if (!QFileInfo::exists(fileName))
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return LoadFromBytes(bytes, cp);
}

bool TVortalinText::LoadFromBytes(const QByteArray& bytes, CodePage cp)
{
    Clear();
    Reader in(bytes);

    const int16_t version = in.i16();
    if (in.failed() || version != version_)
        return false;
    const char* magic = in.take(MagicSize);
    if (!magic || std::memcmp(magic, Magic, MagicSize) != 0)
        return false;
    int32_t sections = in.i32();
    if (in.failed())
        return false;
    if (sections > MaxFileSections)
        sections = MaxFileSections;

    for (int i = 0; i < sections; ++i) {
        if (!in.seek(20 + 4 * i))
            return false;
        const int32_t offset = in.i32();
        if (in.failed() || !in.seek(offset))
            return false;
        const int32_t count = in.i32();
        if (in.failed())
            return false;
        sectionStart_[i] = Count();
        sectionSize_[i] = 0;
        sectionDefined_[i] = true;
        for (int32_t e = 0; e < count; ++e) {
            const int16_t lineCount = in.i16();
            if (in.failed())
                return false;
            QStringList lines;
            for (int l = 0; l < lineCount; ++l) {
                const int len = in.u8();
                const char* text = in.take(len);
                if (!text)
                    return false;
                lines.append(fromCodePage(QByteArrayView(text, len), cp));
            }
            entries_.push_back(std::move(lines));
            ++sectionSize_[i];
        }
    }
    return !in.failed();
}

const QStringList* TVortalinText::GetStrings(int section, int index) const
{
    if (section < 0 || section >= MaxSections)
        return nullptr;
    if (index < 0 || index >= sectionSize_[section])
        return nullptr;
    const int64_t pos = int64_t(sectionStart_[section]) + index;
    if (pos < 0 || pos >= Count())
        return nullptr;
    return &entries_[size_t(pos)];
}

QString TVortalinText::GetText(int section, int index) const
{
    const QStringList* lines = GetStrings(section, index);
    if (!lines || lines->isEmpty())
        return kMissing;
    return lines->first();
}

QString TVortalinText::GetErrorText(int code) const
{
    const QString name = QString::number(code);
    if (const QStringList* lines = GetStrings(ErrorSection, 0)) {
        for (const QString& line : *lines) {
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq < 0 || QStringView(line).left(eq) != name)
                continue;
            const QString text = line.mid(eq + 1);
            if (!text.isEmpty())
                return text;
            break;
        }
    }
    return QStringLiteral("Error Code ") + name;
}

int TVortalinText::SectionSize(int section) const
{
    return section >= 0 && section < MaxSections ? sectionSize_[section] : 0;
}

bool TVortalinText::HasSection(int section) const
{
    return section >= 0 && section < MaxSections && sectionDefined_[section];
}

namespace Language {

namespace {
int normalised(int code)
{
    return code >= 1 && code <= 6 ? code : 0;
}
} // namespace

QChar Letter(int code)
{
    static constexpr char letters[] = "edifsra";
    return QLatin1Char(letters[normalised(code)]);
}

QString Name(int code)
{
    static const char* const names[] = {"English",    "Deutsch", "Italiano", "Fran\xC3\xA7" "ais",
                                        "Castellano", "Russian", "American"};
    return QString::fromUtf8(names[normalised(code)]);
}

CodePage CodePageOf(int code)
{
    return normalised(code) == 5 ? CodePage::Cp1251 : CodePage::Cp1252;
}

QString HalvornFileName(int code)
{
    return QStringLiteral("lngprog") + Letter(code) + QStringLiteral(".srb");
}

QString QuintelFileName(int code)
{
    return QStringLiteral("cp") + Letter(code) + QStringLiteral(".srb");
}

} // namespace Language
