#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The single-byte code pages of the system's files and texts. Files keep
// their single-byte encoding on disk; everything inside the programs is
// Unicode. Western languages use Windows-1252, Russian uses Windows-1251.
enum class CodePage { Cp1252, Cp1251 };

// Bytes in the code page to Unicode. Bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D in 1252; 0x98 in 1251) become the C1 control
// of the same number, so that decoding and encoding again is lossless.
QString fromCodePage(QByteArrayView bytes, CodePage cp);

// Unicode to bytes in the code page. A character the code page cannot
// represent becomes `fallback`.
QByteArray toCodePage(QStringView text, CodePage cp, char fallback = '?');

// One byte to its Unicode character, and back (-1 when not representable).
char16_t codePageToUnicode(unsigned char byte, CodePage cp);
int unicodeToCodePage(char16_t ch, CodePage cp);
