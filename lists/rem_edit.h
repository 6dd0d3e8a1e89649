#pragma once

#include "config/vortalin_clpbrd.h"
#include "dialogs/main_form.h"
#include "dialogs/shared_objects.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class TVarneGlyphButton;

// Receives the edited remark.
using TOnRemarkEvent = std::function<void(const QString& Remark)>;

// The one tool window in which the user edits a one-line remark of a row
// (work list, download list, explorer). Created hidden once and kept; the
// main window attaches it at start-up, callers point it at their row with
// EditRemark and re-point it while it is visible. While it is active, the
// main menu's cut, copy, paste, delete and select-all act on its edit field
// through the internal clipboard.
class TfrmRemEdit : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRemEdit(QWidget* parent = nullptr);
    ~TfrmRemEdit() override;

    // The main window's clipboard holder and the main window, which takes
    // the editor's operation slots. With a holder the editor is enabled;
    // before, it opens nothing.
    void SetMainForm(TVortalinClpBrd* ClpBrd, IMainForm* Main);
    bool EditorEnabled() const { return enabled_; }

    // Stores the callback (OK is enabled only with one) and the text, shows
    // text and description and, when hidden, the window. Does nothing while
    // not enabled. Detach with ("", "", nullptr).
    void EditRemark(const QString& Text, const QString& Description, TOnRemarkEvent OnRemark);

    void SetOkText(const QString& text);
    void SetCancelText(const QString& text);
    void SetCaptionText(const QString& text);

    bool CloseOnOK = false;
    bool CloseOnCancel = false;
    int HelpContext = 88;

    // The record handed to the main window: slots 3 to 7 at most.
    const TOperatingFuncs& OpFuncs() const { return opFuncs_; }

    // The edit commands (menu, pop-up menu, keys).
    void Cut();
    void Copy();
    void Paste();
    void Delete();
    void MarkAll();

    QLabel* Label1;
    QLineEdit* RemEdit;
    QMenu* PopupTxt;
    QAction *MiCutItem, *MiCopyItem, *MiPasteItem, *MiDelItem, *MiMarkAllItem;
    TVarneGlyphButton* OkButton;
    TVarneGlyphButton* CancelButton;

public slots:
    void reject() override;  // Escape: the Cancel button's action

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void OkClick();
    void CancelClick();
    void Activated();
    // Slots 3, 4 and 6 follow the selection; only a change is handed over.
    void SelectionMayHaveChanged();
    void setSelectionSlots(bool on);
    bool clipboardHasText() const;
    void handOver(PTOperatingFuncs funcs);
    void showPopup(const QPoint& pos);

    bool enabled_ = false;
    QPointer<TVortalinClpBrd> clpBrd_;
    TMainFormRef main_;
    TOperatingFuncs opFuncs_;
    TOnRemarkEvent OnRemark;
    QString orgText_;
    bool placed_ = false;
};
