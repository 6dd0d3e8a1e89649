#pragma once

// The value editor: one tool window for the whole run in which the user
// enters a new value for one parameter of one inverter, as text, from the
// named values of its bit fields or with a scroll bar. Its logic and the
// write to the inverter are TValEditCore; this class draws them.

#include "lists/val_edit_core.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QScrollBar;
class TVarneGlyphButton;

class TfrmValEdit : public QDialog {
    Q_OBJECT
public:
    static constexpr int DefaultWidth = 350;
    static constexpr int DefaultHeight = 157;
    static constexpr int MinWidth = 220;
    static constexpr int HelpContext = 86;

    explicit TfrmValEdit(QWidget* parent = nullptr);
    ~TfrmValEdit() override;

    TValEditCore& Core() { return core_; }

    // Shows the editor (modeless) for Para of Inverter; OnValue receives the
    // value on OK, or, when none, OK writes it to the inverter. Para null
    // shows an empty, disabled editor.
    void EditValue(int SetSel, int Inverter, std::shared_ptr<const TParaRec> Para, const QString& Label,
                   int32_t Value, TOnValue OnValue);
    // Modal form: 1 OK, 2 Cancel; Value receives the editor's value.
    int EditModal(std::shared_ptr<const TParaRec> Para, const QString& Label, int32_t& Value);
    bool Connect(TScheduler* Sch, TVortalinPrj* Prj) { return core_.Connect(Sch, Prj); }
    void SetLanguage(int Lang) { core_.SetLanguage(Lang); }
    void SetOkText(const QString& Text);
    void SetCancelText(const QString& Text);
    void SetCaptionText(const QString& Text) { setWindowTitle(Text); }

    // Rebuilds the controls and the value text (BuildControls).
    void BuildControls();

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void showValue();
    void updateControls();
    void updateScrollBar();
    void okClick();
    void cancelClick();
    void layOut();

    TValEditCore core_;
    QLabel* Descript = nullptr;
    QLineEdit* Edit1 = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QWidget* pnCC = nullptr;
    QWidget* pnBtn = nullptr;
    TVarneGlyphButton* OkButton = nullptr;
    TVarneGlyphButton* Cancelbutton = nullptr;

    struct Control {
        TCCItem Item;
        QCheckBox* Check = nullptr;
        QLabel* CaptionLabel = nullptr;
        QComboBox* Combo = nullptr;
    };
    std::vector<Control> controls_;
    bool scrollOn_ = false;
    bool building_ = false;
    // Opens in the centre of the work area the first time; then where the user left it.
    bool placed_ = false;
};
