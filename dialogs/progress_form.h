#pragma once

#include <QWidget>

#include "config/progress_iface.h"
#include "dialogs/progress_range.h"

class QLabel;
class QProgressBar;
class TVarneGlyphButton;

// Small always-on-top progress window with a text line and an optional
// cancel button, driven through its properties. Its users create and free
// it. Writing ActVal runs the pending events so the cancel button works
// while the caller loops in the GUI thread.
class TfrmProgress : public QWidget, public IProgress {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* parent = nullptr);
    ~TfrmProgress() override;

    int Max() const { return range_.Max(); }
    void SetMax(int value) override;          // ignored when negative
    int ActVal() const { return range_.ActVal(); }
    void SetActVal(int value);                // taken when Min <= value <= Max, then pumps events

    void SetTitle(const QString& title);
    void SetText(const QString& text) override;
    // Caption of the cancel button; a blank text hides the button.
    void SetCancelText(const QString& text);

    // Set by the cancel button, cleared whenever the window is shown.
    bool Cancel() const { return cancel_; }
    void SetCancel(bool cancel) { cancel_ = cancel; }

    // IProgress: title and cancel caption, flag cleared, empty text, range
    // 0..Max at position 0, shown; positions go to ActVal; Finish hides.
    void Start(const QString& title, const QString& cancelText) override;
    void SetPosition(int pos) override { SetActVal(pos); }
    bool Cancelled() const override { return cancel_; }
    void Finish() override { hide(); }

    QLabel* LabProgress() const { return labProgress_; }
    QProgressBar* prbProgress() const { return prbProgress_; }
    TVarneGlyphButton* VarneGlyphButton1() const { return button_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void syncBar();

    TProgressRange range_;
    bool cancel_ = false;
    QLabel* labProgress_;
    QProgressBar* prbProgress_;
    TVarneGlyphButton* button_;
};
