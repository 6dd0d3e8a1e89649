#pragma once

// Stand-ins for the kinds of windows the main window reaches: each answers
// Show with what the test gives (none: no window) and counts the rest.

#include "mainwin/window_kinds.h"

#include <QString>

#include <functional>

namespace mwtest {

using ShowFn = std::function<QWidget*(int Inv, int Lng, const QString& FileName)>;

inline QWidget* callShow(const ShowFn& f, int Inv, int Lng, const QString& FileName)
{
    return f ? f(Inv, Lng, FileName) : nullptr;
}

class FakeKind : public IWindowKind {
public:
    QWidget* Show(int Inv, int Lng, const QString& FileName) override { return callShow(show, Inv, Lng, FileName); }
    void HexDisplayChanged() override { ++hexChanges; }

    ShowFn show;
    int hexChanges = 0;
};

class FakePrjExpl : public IPrjExplKind {
public:
    QWidget* Show(int Inv, int Lng, const QString& FileName) override { return callShow(show, Inv, Lng, FileName); }
    int CurrentInv() const override { return current; }
    void RebuildTree() override
    {
        if (rebuild)
            rebuild();
    }

    ShowFn show;
    std::function<void()> rebuild;
    int current = 0;
};

class FakeDwnLoad : public IDwnLoadKind {
public:
    QWidget* Show(int Inv, int Lng, const QString& FileName) override { return callShow(show, Inv, Lng, FileName); }
    QWidget* ShowFile(int Inv, int Lng, const QString& FileName) override
    {
        return callShow(show, Inv, Lng, FileName);
    }
    void SaveParas(int, int) override {}

    ShowFn show;
};

} // namespace mwtest
