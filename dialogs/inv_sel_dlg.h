#pragma once

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class TVarneGlyphButton;
class TVortalinPrj;

// Receives the chosen inverter address.
using TOnInvSelect = std::function<void(int16_t InvAdr)>;

// Chooses one inverter of the project: modally (the caller waits for the
// address) or as a tool window on top that calls back the window that
// opened it. One instance for the whole run.
class TfrmInvSel : public QDialog {
    Q_OBJECT
public:
    explicit TfrmInvSel(QWidget* parent = nullptr);
    ~TfrmInvSel() override;

    // Ignored while visible (the current flag is returned); otherwise
    // stores the project and returns whether one was given.
    bool SetProject(TVortalinPrj* Project);

    // Modeless choice. The callback is made only while `caller` (when
    // given) exists. False, and nothing shown, without a project.
    bool ShowSelect(const QString& Prompt, int16_t InvAdr, TOnInvSelect OnSelect,
                    QObject* caller = nullptr);

    // Modal choice: 1 OK, 2 Cancel (2 also without a project, showing
    // nothing). InvAdr becomes the selected address.
    int SelectInv(const QString& Prompt, int16_t& InvAdr);

    void SetOkText(const QString& t);
    void SetCancelText(const QString& t);
    void SetCaptionText(const QString& t);

    bool CloseOnOK = true;
    bool CloseOnCancel = true;
    int HelpContext = 95;

    int16_t SelectedAdr() const { return selAdr_; }
    bool HasProject() const { return prjSet_; }

    QLabel* Label1;
    QComboBox* ComboBox1;
    TVarneGlyphButton* OkButton;
    TVarneGlyphButton* CancelButton;

private:
    void FillList();
    void OkClick();
    void CancelClick();

    QPointer<TVortalinPrj> prj_;
    bool prjSet_ = false;
    int16_t selAdr_ = -1;
    TOnInvSelect onSelect_;
    QPointer<QObject> caller_;
    bool callerGiven_ = false;
    bool modal_ = false;
};
