#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QPlainTextEdit;
class TVarneGlyphButton;
class TVortalinText;

// Asks whether a file is to be linked to the project, and to which
// inverter. Owned by the project's dialogs and reused.
class TfrmAddFileDlg : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAddFileDlg(QWidget* parent = nullptr);
    ~TfrmAddFileDlg() override;

    // The question's lines; the first "@P1" stands for the file name.
    QStringList AddToPrjText;

    void SetAddToPrjHeader(const QString& t) { setWindowTitle(t); }
    void SetAddFileBtnText(const QString& t);
    void SetCancelBtnText(const QString& t);

    void SetTexts(const TVortalinText& texts);

    // The choices: item 0 the whole project ("-1  ..."), then one per
    // inverter, each beginning with its address and a blank.
    void SetChoices(const QStringList& items);

    // -1 the whole project, 0..239 an inverter, -2 cancelled.
    int Execute(const QString& FileName);

    int HelpContext = 91;

    QPlainTextEdit* meFile;
    QComboBox* cbInvList;
    TVarneGlyphButton* btnAddFile;
    TVarneGlyphButton* btnCancel;
};
