#pragma once

// Shared by the choice-dialog tests: a language store with a recognisable
// text at every key.

#include "config/lang_texts.h"

#include "modal.h"
#include "srb_builder.h"

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
    constexpr int sections = 8, entries = 50;
    qeltest::SrbBuilder b;
    for (int s = 0; s < sections; ++s)
        for (int i = 0; i < entries; ++i)
            b.sections[s].push_back({QByteArray::number(s) + '.' + QByteArray::number(i)});
    b.sections[7][44] = {"Link @P1", "to the project?"};
    const QByteArray out = b.build();
    t.SetVersion(5);
    ASSERT_TRUE(t.LoadFromBytes(out));
}

}  // namespace choicetest
