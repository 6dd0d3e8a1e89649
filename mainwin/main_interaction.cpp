#include "mainwin/main_interaction.h"

#include "dialogs/message_dlg.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/file_dlg.h"
#include "dialogs/install_prj_dialogs.h"
#include "dialogs/prj_interaction_dlg.h"
#include "dialogs/shared_objects.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

void TMainInteractionDlg::ErrorBox(const QString& Text)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), Text, QMessageBox::Ok, parent_);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

int TMainInteractionDlg::Message(const QStringList& Msg, const QStringList& Buttons, const QString& Title,
                                 int Icon, const QString& P1, const QString& P2, const QString& P3, int Default,
                                 int Cancel)
{
    return UserMessageDlg(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
}

QString TMainInteractionDlg::ChooseOpenFile(const QString& Filter, int FilterIndex, const QString& InitialDir)
{
    QFileDialog dlg(parent_);
    dlg.setObjectName(QStringLiteral("OpenDlg"));
    PrepareFileDlg(dlg, fdOpen);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = QtNameFilters(Filter);
    dlg.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dlg.selectNameFilter(filters[FilterIndex - 1]);
    if (!InitialDir.isEmpty())
        dlg.setDirectory(InitialDir);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

QString TMainInteractionDlg::ChooseSaveFile(const TSaveDlgOptions& Options)
{
    QFileDialog dlg(parent_);
    dlg.setObjectName(QStringLiteral("SaveDlg"));
    PrepareFileDlg(dlg, fdSave);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(Options.DefaultExt);
    // Callers ask their own overwrite question.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QStringList filters = QtNameFilters(Options.Filter);
    dlg.setNameFilters(filters);
    if (Options.FilterIndex >= 1 && Options.FilterIndex <= filters.size())
        dlg.selectNameFilter(filters[Options.FilterIndex - 1]);
    if (!Options.InitialDir.isEmpty())
        dlg.setDirectory(Options.InitialDir);
    if (!Options.FileName.isEmpty())
        dlg.selectFile(Options.FileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

bool TMainInteractionDlg::OpenUrl(const QUrl& Url)
{
    return QDesktopServices::openUrl(Url);
}

void TMainInteractionDlg::Terminate(int Status)
{
    // Queued, so that a failure inside the start-up ends the loop that runs
    // it rather than a dialog's nested one.
    QTimer::singleShot(0, qApp, [Status] { QCoreApplication::exit(Status); });
}

void TMainInteractionDlg::InstallPrjDialogs(TVortalinPrj& Prj, QWidget* Parent)
{
    // The choice dialogs read the settings' configuration index, and take
    // their texts now: the language file is loaded by then.
    if (!ProgCfg) {
        ::InstallPrjDialogs(Prj, Parent);
        return;
    }
    const std::shared_ptr<TPrjDialogs> dialogs = ::InstallPrjDialogs(Prj, *ProgCfg, Parent);
    if (LangTexts)
        dialogs->SetTexts(*LangTexts);
}
