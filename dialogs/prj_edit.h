#pragma once

// The project dialog: a page control over the project's general data, its
// inverter list and its four kinds of linked files. It draws a
// TPrjEditRows (project/prj_edit_rows.h), which holds the copies, the
// editing and the texts; the project applies the rows after OK.

#include "project/prj_edit_rows.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class TVarneGlyphButton;

class TfrmPrjEdit : public QDialog {
    Q_OBJECT
public:
    static constexpr int HelpContext = 75;

    explicit TfrmPrjEdit(QWidget* parent = nullptr);
    ~TfrmPrjEdit() override;

    // Shows Rows modally: true after OK (the fields are then in Rows).
    bool Execute(TPrjEditRows& Rows);

    // The file-open dialog: the chosen path, empty when cancelled. Tests
    // replace it; the default is QFileDialog.
    std::function<QString(const QString& Dir, const QString& Filter, int FilterIndex)> ChooseFile;
    // The pop-up menu of the add-file buttons: the chosen item's index, -1
    // none. Tests replace it; the default runs pmAddFile below the button.
    std::function<int(QPushButton* Button, const QStringList& Items)> ChooseMenuItem;
    // The filter of the file-open dialog (the project's FilterStr).
    QString FilterStr;

    // Takes the texts of Rows into the controls.
    void ApplyTexts(const TPrjEditRows& Rows);

    QTabWidget* Pages() const { return PageControl; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void refillInv();
    void refillFiles(int Kind);
    void refillAll();
    void enableButtons();
    void addInvClick();
    void delInvClick();
    void editInvClick();
    void addFileClick(int Kind);
    void delFileClick(int Kind);
    void pageChanged(int Index);
    QString startDir() const;

    TPrjEditRows* rows_ = nullptr;
    QTabWidget* PageControl = nullptr;
    QLabel* labPrjName = nullptr;
    QLabel* labWatchInterval = nullptr;
    QLabel* labRemarks = nullptr;
    QLineEdit* edPrjName = nullptr;
    QSpinBox* speWatchInterval = nullptr;
    QPlainTextEdit* mePrjRemarks = nullptr;
    QTreeWidget* lvInvList = nullptr;
    QPushButton* btnAddInv = nullptr;
    QPushButton* btnDelInv = nullptr;
    QPushButton* btnEditInv = nullptr;
    std::array<QTreeWidget*, kPrjFileKinds> fileLists_{};
    std::array<QPushButton*, kPrjFileKinds> addFileBtns_{};
    std::array<QPushButton*, kPrjFileKinds> delFileBtns_{};
    QMenu* pmAddFile = nullptr;
    TVarneGlyphButton* OkBtn = nullptr;
    TVarneGlyphButton* CancelBtn = nullptr;
};
