#pragma once

#include "lists/adr_edit_lists.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class TVarneGlyphButton;
class TVortalinPrj;

// Receives the chosen parameter address.
using TOnAddressEvent = std::function<void(int16_t Address)>;

// The one tool window in which the user picks a parameter address of an
// inverter, from the configuration's groups and parameters or typed in.
// Opens modeless with a callback (work and download lists) or modally
// (scope set-up). Created hidden once; a project must be attached first.
class TfrmAdrEdit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAdrEdit(QWidget* parent = nullptr);
    ~TfrmAdrEdit() override;

    // Refused while the editor is visible; enables it when a project is given.
    void SetProject(TVortalinPrj* project);
    bool EditorEnabled() const { return lists_.Project != nullptr; }

    // Modeless: shows the lists of InvAdr with Address selected. OK calls
    // OnAddress (enabled only with one) and, unless KeepOpen, closes when
    // CloseOnOK is set. Detach with (-1, "", false, nullptr, ...).
    void EditAddress(int InvAdr, const QString& Description, bool KeepOpen, TOnAddressEvent OnAddress,
                     int16_t Address);
    // Modal: 1 OK, 2 Cancel (also when no project is attached); Address is
    // written back in every case, -1 for an invalid typed address.
    int EditAddressModal(int InvAdr, const QString& Description, int16_t& Address);

    // Stores the language; a visible editor fills its lists again.
    void SetLanguage(int language);

    void SetOkText(const QString& text);
    void SetCancelText(const QString& text);
    void SetDirectText(const QString& text);
    void SetListText(const QString& text);
    void SetCaptionText(const QString& text);

    bool CloseOnOK = true;
    bool CloseOnCancel = true;
    int HelpContext = 84;

    int Address() const { return lists_.Address; }
    const TAdrEditLists& Lists() const { return lists_; }
    bool KeepOpen() const { return keepOpen_; }

    QLabel* Label1;
    QRadioButton* RadioButton1;
    QLineEdit* Edit1;
    QRadioButton* RadioButton2;
    QComboBox* ComboBox1;
    QComboBox* ComboBox2;
    TVarneGlyphButton* OkButton;
    TVarneGlyphButton* CancelButton;

public slots:
    void reject() override;  // Escape: the Cancel button's action

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FillLists(int InvAdr);
    void showLists();
    void showParams();
    void ChooseDirect();
    void ChooseList();
    void OkClick();
    void CancelClick();
    void placeOnce();

    TAdrEditLists lists_;
    TOnAddressEvent OnAddress;
    bool keepOpen_ = false;
    bool modal_ = false;
    // The address the lists were last filled for, to fill them again.
    int shownInv_ = -1;
    bool placed_ = false;
};
