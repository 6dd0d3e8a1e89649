#pragma once

#include "lists/set_edit_state.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TVarneGlyphButton;

// Receives the chosen set selector (-1 indirect, 0 actual set, 1..255 mask).
using TOnSetEvent = std::function<void(int16_t Sel)>;

// The one tool window of the program in which the user picks the set
// selector of parameter rows. Created hidden once and kept; callers point it
// at their row with EditSet and re-point it while it is visible. The
// display logic lives in TSetEditState; this window mirrors it.
class TfrmSetEdit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetEdit(QWidget* parent = nullptr);
    ~TfrmSetEdit() override;

    // Stores the callback (OK is enabled only with one) and the selector,
    // shows both and, when hidden, the window; OK then takes the focus when
    // a callback is given. Detach with (-1 or 0, "", nullptr).
    void EditSet(int16_t Sel, const QString& Description, TOnSetEvent OnSet);

    void SetEnhancedText(const QString& text);
    void SetActualText(const QString& text);
    void SetIndirectText(const QString& text);
    void SetAllText(const QString& text);
    void SetOkText(const QString& text);
    void SetCancelText(const QString& text);
    void SetCaptionText(const QString& text);

    bool CloseOnOK = true;
    bool CloseOnCancel = true;
    int HelpContext = 45;

    // Selector from the controls.
    int16_t GetSet() const { return int16_t(state_.GetSet()); }
    int SetMask() const { return state_.SetMask(); }
    int16_t OrgSel() const { return orgSel_; }
    const TSetEditState& State() const { return state_; }

    QLabel* Label1;
    QRadioButton* EnhSetRB;
    std::array<QCheckBox*, 8> CheckBox{};
    QPushButton* Button1;
    QLabel* AllLabel;
    QRadioButton* ActSetRB;
    QRadioButton* IndirectSetRB;
    TVarneGlyphButton* OkButton;
    TVarneGlyphButton* CancelButton;

public slots:
    void reject() override;  // Escape: the Cancel button's action

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowSet(int sel);
    void OkClick();
    void CancelClick();
    // State to widgets, without feeding their signals back.
    void syncControls();

    TSetEditState state_;
    TOnSetEvent OnSet;
    int16_t orgSel_ = 0;
    bool placed_ = false;
};
