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
    TSaveDlgOptions o;
    o.Filter = Filter;
    o.FilterIndex = FilterIndex;
    o.InitialDir = InitialDir;
    return ChooseFileDlg(fdOpen, o, parent_, QStringLiteral("OpenDlg"));
}

QString TMainInteractionDlg::ChooseSaveFile(const TSaveDlgOptions& Options)
{
    return ChooseFileDlg(fdSave, Options, parent_, QStringLiteral("SaveDlg"));
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
