#pragma once

// Shared by the choice-dialog tests: a language store with a recognisable
// text at every key.

#include "config/lang_texts.h"

#include "modal.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace choicetest {

// Every (section, index) of sections 0..7 up to index 49 reads "s.i";
// (7,44) has the two lines of a question with @P1.
inline void loadKeyTexts(TVortalinText& t)
{
    auto put16 = [](QByteArray& b, int v) {
        b += char(v & 0xFF);
        b += char((v >> 8) & 0xFF);
    };
    auto put32 = [](QByteArray& b, int v) {
        for (int i = 0; i < 4; ++i)
            b += char((v >> (8 * i)) & 0xFF);
    };
    constexpr int sections = 8, entries = 50;
    QByteArray out;
    put16(out, 5);
    out += "VORTALIN50_SRB";
    put32(out, sections);
    const int table = out.size();
    out += QByteArray(4 * sections, '\0');
    for (int s = 0; s < sections; ++s) {
        const int pos = out.size();
        for (int i = 0; i < 4; ++i)
            out[table + 4 * s + i] = char((pos >> (8 * i)) & 0xFF);
        put32(out, entries);
        for (int i = 0; i < entries; ++i) {
            QList<QByteArray> lines{QByteArray::number(s) + '.' + QByteArray::number(i)};
            if (s == 7 && i == 44)
                lines = {"Link @P1", "to the project?"};
            put16(out, int(lines.size()));
            for (const QByteArray& l : lines) {
                out += char(l.size());
                out += l;
            }
        }
    }
    t.SetVersion(5);
    ASSERT_TRUE(t.LoadFromBytes(out));
}

// Saves a picture of the window when QEL_SCREENSHOT_DIR is set.
inline void screenshot(QWidget& w, const char* name)
{
    const QByteArray dir = qgetenv("QEL_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        w.grab().save(QString::fromLocal8Bit(dir) + u'/' + QString::fromLatin1(name) + QStringLiteral(".png"));
}

}  // namespace choicetest
