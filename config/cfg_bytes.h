#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// Little-endian byte building and bounds-checked reading for the system's
// binary files. A reader never trusts a length or offset from the file: a
// read past the end or a seek outside the data sets failed() and yields 0.

class ByteWriter {
public:
    QByteArray& data() { return d_; }
    qsizetype pos() const { return d_.size(); }
    void u8(uint8_t v) { d_.append(static_cast<char>(v)); }
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void u16(uint16_t v);
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void u32(uint32_t v);
    void raw(const char* bytes, qsizetype n) { d_.append(bytes, n); }
    void zeros(qsizetype n) { d_.append(n, '\0'); }
    // Length byte (0..maxLen) and maxLen bytes in Windows-1252, zero padded.
    void lenString(const QString& text, int maxLen);
    void patchI32(qsizetype at, int32_t v);

private:
    QByteArray d_;
};

class ByteReader {
public:
    explicit ByteReader(const QByteArray& data) : d_(data) {}
    bool failed() const { return failed_; }
    qsizetype pos() const { return pos_; }
    qsizetype remaining() const { return failed_ ? 0 : d_.size() - pos_; }
    bool seek(qint64 pos);
    uint8_t u8();
    int16_t i16() { return static_cast<int16_t>(u16()); }
    uint16_t u16();
    int32_t i32() { return static_cast<int32_t>(u32()); }
    uint32_t u32();
    QByteArray bytes(qsizetype n);
    // Length byte and maxLen bytes; a length above maxLen is cut to maxLen.
    QString lenString(int maxLen);
    // A count from the file: negative counts read as 0; a count whose records
    // of recordSize bytes cannot all be in the rest of the data fails.
    int32_t count(qsizetype recordSize);

private:
    bool need(qsizetype n);
    const QByteArray& d_;
    qsizetype pos_ = 0;
    bool failed_ = false;
};
