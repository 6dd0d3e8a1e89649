#include "config/cfg_bytes.h"

#include "platform/codepage.h"

void ByteWriter::u16(uint16_t v)
{
    d_.append(static_cast<char>(v & 0xFF));
    d_.append(static_cast<char>(v >> 8));
}

void ByteWriter::u32(uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d_.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void ByteWriter::lenString(const QString& text, int maxLen)
{
    QByteArray b = toCodePage(text, CodePage::Cp1252).left(maxLen);
    u8(static_cast<uint8_t>(b.size()));
    d_.append(b);
    zeros(maxLen - b.size());
}

void ByteWriter::patchI32(qsizetype at, int32_t v)
{
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        d_[at + i] = static_cast<char>((u >> (8 * i)) & 0xFF);
}

bool ByteReader::need(qsizetype n)
{
    if (failed_ || n < 0 || d_.size() - pos_ < n) {
        failed_ = true;
        return false;
    }
    return true;
}

bool ByteReader::seek(qint64 pos)
{
    if (failed_ || pos < 0 || pos > d_.size()) {
        failed_ = true;
        return false;
    }
    pos_ = static_cast<qsizetype>(pos);
    return true;
}

uint8_t ByteReader::u8()
{
    if (!need(1))
        return 0;
    return static_cast<uint8_t>(d_[pos_++]);
}

uint16_t ByteReader::u16()
{
    if (!need(2))
        return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(d_.constData() + pos_);
    pos_ += 2;
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ByteReader::u32()
{
    if (!need(4))
        return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(d_.constData() + pos_);
    pos_ += 4;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

QByteArray ByteReader::bytes(qsizetype n)
{
    if (!need(n))
        return QByteArray();
    QByteArray b = d_.mid(pos_, n);
    pos_ += n;
    return b;
}

QString ByteReader::lenString(int maxLen)
{
    const int len = u8();
    const QByteArray b = bytes(maxLen);
    if (failed_)
        return QString();
    return fromCodePage(QByteArrayView(b).first(qMin(len, maxLen)), CodePage::Cp1252);
}

int32_t ByteReader::count(qsizetype recordSize)
{
    const int32_t n = i32();
    if (failed_ || n <= 0)
        return 0;
    if (static_cast<qint64>(n) * recordSize > remaining()) {
        failed_ = true;
        return 0;
    }
    return n;
}
