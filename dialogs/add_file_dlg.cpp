#include "dialogs/add_file_dlg.h"

#include "config/lang_texts.h"
#include "dialogs/glyph_button.h"
#include "dialogs/window_place.h"

#include <QComboBox>
#include <QPlainTextEdit>

TfrmAddFileDlg::TfrmAddFileDlg(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAddFileDlg"));
    setWindowTitle(QStringLiteral("Datei Hinzufügen"));

    meFile = new QPlainTextEdit(this);
    meFile->setObjectName(QStringLiteral("meFile"));
    meFile->setReadOnly(true);
    meFile->setFrameShape(QFrame::NoFrame);
    meFile->setFocusPolicy(Qt::NoFocus);
    meFile->setBackgroundRole(QPalette::Button);
    meFile->viewport()->setBackgroundRole(QPalette::Button);
    meFile->viewport()->setAutoFillBackground(true);
    meFile->setPlainText(QStringLiteral("Soll die Datei: *.*\nzum Projekt hinzugefügt werden ?"));
    meFile->setGeometry(8, 8, 344, 64);

    cbInvList = new QComboBox(this);
    cbInvList->setObjectName(QStringLiteral("cbInvList"));
    cbInvList->setGeometry(8, 80, 344, 22);

    btnAddFile = new TVarneGlyphButton(this);
    btnAddFile->setObjectName(QStringLiteral("btnAddFile"));
    btnAddFile->SetGlyphKind(glOK);
    btnAddFile->setText(QStringLiteral("Hinzufügen"));
    btnAddFile->setDefault(true);
    btnAddFile->setGeometry(140, 112, 104, 25);
    btnCancel = new TVarneGlyphButton(this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->SetGlyphKind(glCancel);
    btnCancel->setText(QStringLiteral("Abbrechen"));
    btnCancel->setAutoDefault(false);
    btnCancel->setGeometry(248, 112, 104, 25);

    connect(btnAddFile, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(360, 146);
}

TfrmAddFileDlg::~TfrmAddFileDlg() = default;

void TfrmAddFileDlg::SetAddFileBtnText(const QString& t) { btnAddFile->setText(t); }
void TfrmAddFileDlg::SetCancelBtnText(const QString& t) { btnCancel->setText(t); }

void TfrmAddFileDlg::SetTexts(const TVortalinText& texts)
{
    const QStringList* lines = texts.GetStrings(7, 44);
    AddToPrjText = lines ? *lines : QStringList{texts.GetText(7, 44)};
    SetAddToPrjHeader(texts.GetText(7, 45));
    SetAddFileBtnText(texts.GetText(7, 12));
    SetCancelBtnText(texts.GetText(7, 10));
}

void TfrmAddFileDlg::SetChoices(const QStringList& items)
{
    cbInvList->clear();
    cbInvList->addItems(items);
}

int TfrmAddFileDlg::Execute(const QString& FileName)
{
    // The name as given: on this file system another case is another file.
    QString text = AddToPrjText.join(u'\n');
    const qsizetype at = text.indexOf(QStringLiteral("@P1"));
    if (at >= 0)
        text.replace(at, 3, FileName);
    meFile->setPlainText(text);
    cbInvList->setCurrentIndex(cbInvList->count() > 0 ? 0 : -1);
    CentreOnWorkArea(this);
    if (exec() != QDialog::Accepted || cbInvList->currentIndex() < 0)
        return -2;
    const QString item = cbInvList->currentText();
    bool ok = false;
    const int adr = item.section(u' ', 0, 0).toInt(&ok);
    return ok ? adr : -2;
}
