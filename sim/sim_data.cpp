#include "sim/sim_data.h"

#include <QString>

namespace qelsim {

void SimData::setText(int pos, const QByteArray& text, int maxLen)
{
    const int len = std::min<int>({int(text.size()), maxLen, int(b.size()) - pos - 1});
    b[pos] = uint8_t(len);
    for (int i = 0; i < len; ++i)
        b[pos + 1 + i] = uint8_t(text[i]);
}

QByteArray SimData::text(int pos, int maxLen) const
{
    const int len = std::min<int>({int(b[pos]), maxLen, int(b.size()) - pos - 1});
    return QByteArray(reinterpret_cast<const char*>(b.data()) + pos + 1, len);
}

namespace {
// 0x80..0x9F of Windows-1252; 0 marks the five undefined bytes, which map
// to the C1 control of the same number.
const char16_t kCp1252High[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,
    0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
    0x0153, 0, 0x017E, 0x0178,
};
} // namespace

QByteArray toWireText(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out.append(char(c));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (kCp1252High[i] == c || (kCp1252High[i] == 0 && c == 0x80 + i))
                found = 0x80 + i;
        out.append(found >= 0 ? char(found) : '?');
    }
    return out;
}

QString fromWireText(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const uint8_t c = uint8_t(ch);
        if (c >= 0x80 && c < 0xA0)
            out.append(QChar(kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : char16_t(c)));
        else
            out.append(QChar(char16_t(c)));
    }
    return out;
}

} // namespace qelsim
