#pragma once

#include <QList>
#include <QPointer>
#include <QString>

#include <array>

class TDwnLoad;

constexpr int kDwnMaxWindows = 10;

// The download-list windows of one owner (the main program's download-list
// kind, a test): the numbers 1 to 10, each held until its window is freed,
// and the open windows, each until it closes. Windows still there when the
// owner goes are freed with it.
class TDwnLoadWindows {
public:
    TDwnLoadWindows() = default;
    ~TDwnLoadWindows();
    TDwnLoadWindows(const TDwnLoadWindows&) = delete;
    TDwnLoadWindows& operator=(const TDwnLoadWindows&) = delete;

    // The lowest number no window holds; 0 when all are held.
    int FreeNumber() const;
    // A new window holds its number and is open.
    void Add(TDwnLoad* Window, int Nr);
    // The window closed: no longer open (it holds its number until freed).
    void Closed(TDwnLoad* Window);
    QList<TDwnLoad*> Open() const;
    // The open window of FileName: names compared as canonical paths with
    // case (a cleaned absolute path for a file not on disk); none when there
    // is no such window.
    TDwnLoad* Find(const QString& FileName) const;

private:
    std::array<QPointer<TDwnLoad>, kDwnMaxWindows> numbers_;
    QList<QPointer<TDwnLoad>> open_;
};
