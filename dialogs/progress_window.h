#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

#include "dialogs/progress_image.h"

class QLabel;
class QPushButton;

// The program's one progress indicator: a bar with the percentage written
// on it and an optional cancel button, driven by Start, Step, Stop and
// SetTexts. Start and Step run pending events (Step at most every 100 ms)
// so the cancel button works inside the caller's loop.
class TProgress : public QWidget {
    Q_OBJECT
public:
    explicit TProgress(QWidget* parent = nullptr);
    ~TProgress() override;

    void Start(int max);
    void Step(int position);
    void Stop();
    // Empty Caption or Label leave the old text; an empty CancelText hides
    // the cancel button, any other shows it with that caption.
    void SetTexts(const QString& caption, const QString& label, const QString& cancelText);

    // Set by the cancel button, cleared by Start; callers poll it.
    bool Cancelled() const { return cancelled_; }

    const TProgressImage& Picture() const { return picture_; }
    QLabel* Label1() const { return label_; }
    QPushButton* Button1() const { return button_; }

    // Milliseconds of a monotonic clock; replaceable so the pumping rule
    // can be checked without waiting.
    void SetClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void pumpEvents();

    TProgressImage picture_;
    QLabel* label_;
    QWidget* image_;
    QPushButton* button_;
    bool cancelled_ = false;
    std::int64_t lastPump_ = 0;
    std::function<std::int64_t()> clock_;
};
