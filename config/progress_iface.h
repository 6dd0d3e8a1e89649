#pragma once

#include <QString>

// What a long operation (loading a configuration file, reading a
// configuration from an inverter, searching a bus, a download) tells the
// user about its progress, and how it learns that the user wants it to stop.
// The operation itself has no widgets; the progress windows implement this,
// tests use NoProgress or a scripted fake.
//
// Call order: Start, then any number of SetText/SetMax/SetPosition with
// Cancelled polled in the loop, then Finish (also after a cancel or an error).
class IProgress {
public:
    virtual ~IProgress() = default;

    // Shows the progress with a window title and the caption of the cancel
    // button (blank: no cancel button); clears the cancel flag; text empty,
    // position 0.
    virtual void Start(const QString& title, const QString& cancelText) = 0;
    // The text line above the bar.
    virtual void SetText(const QString& text) = 0;
    // Maximum of the bar (minimum is 0); negative values are ignored.
    virtual void SetMax(int max) = 0;
    // Position of the bar, 0..max. May run the event loop so that the
    // cancel button can be pressed while the caller loops.
    virtual void SetPosition(int pos) = 0;
    // True once the user pressed cancel since Start.
    virtual bool Cancelled() const = 0;
    // Hides the progress.
    virtual void Finish() = 0;
};

// Shows nothing and never cancels.
class NoProgress final : public IProgress {
public:
    void Start(const QString&, const QString&) override {}
    void SetText(const QString&) override {}
    void SetMax(int) override {}
    void SetPosition(int) override {}
    bool Cancelled() const override { return false; }
    void Finish() override {}
};
