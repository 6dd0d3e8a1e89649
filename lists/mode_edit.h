#pragma once

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class TVarneGlyphButton;

// Receives the chosen transfer mode 0..3 (read+write, read only, write
// always, write only).
using TOnModeChanged = std::function<void(int Mode)>;

// The one tool window in which the user picks the transfer mode of the
// marked download-list lines. Created hidden once and kept; the active
// download list points it at its selection and re-points it.
class TfrmModeEdit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmModeEdit(QWidget* parent = nullptr);
    ~TfrmModeEdit() override;

    // Stores the callback (OK is enabled only with one) and the mode,
    // selects it (a mode outside 0..3 selects nothing) and shows a hidden
    // editor. ("", 0, nullptr) detaches it.
    void EditMode(const QString& Label, int Mode, TOnModeChanged Callback);

    void SetOkText(const QString& text);
    void SetCancelText(const QString& text);
    void SetCaptionText(const QString& text);

    bool CloseOnOK = true;
    bool CloseOnCancel = true;
    int StartMode = 0;

    QLabel* Label1;
    TVarneGlyphButton* OkButton;
    TVarneGlyphButton* CancelButton;
    QComboBox* ComboBox1;

public slots:
    void reject() override;  // Escape: the Cancel button's action

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The label and the list stretch with the window, the buttons keep
    // their distance from its right edge.
    void resizeEvent(QResizeEvent* event) override;

private:
    void OKBtnClick();
    void CancelBtnClick();
    void SelectMode(int mode);

    TOnModeChanged OnModeChanged;
    bool placed_ = false;
};
