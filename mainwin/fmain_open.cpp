// The main window: opening files by their kind, from the Open command and
// from the project explorer's requests.
#include "mainwin/fmain.h"
#include "mainwin/file_kind.h"
#include "mainwin/prj_load_message.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/shared_objects.h"

#include <QFileInfo>
#include <QUrl>

void TFMain::showListOpenError()
{
    const QStringList* msg = langTexts_->GetStrings(4, 21);
    ui_->Message(msg ? *msg : QStringList{}, ButtonList(1), langTexts_->GetText(5, 10), icInformation, {}, {}, {}, 0,
                 -1);
}

bool TFMain::loadProject(const QString& file, const QString& title)
{
    prjLoading_ = true;
    const bool loaded = project_->LoadFromFile(file) == 0;
    prjLoading_ = false;
    // A file that did not load is not this project's: no save goes there.
    if (!loaded)
        project_->FileName.clear();
    setWindowTitle(PrjCaption());
    if (loaded)
        return true;
    const TPrjLoadMessage m = PrjLoadMessage(*langTexts_, file, project_->LoadError);
    ui_->Message(m.Lines, ButtonList(1), title, icError, m.P1, m.P2, m.P3, 0, -1);
    return false;
}

void TFMain::OpenFile()
{
    const QString file = ui_->ChooseOpenFile(OpenDlgFilter, 1, OpenDlgDir);
    if (file.isEmpty())
        return;
    // The folder keeps its case: lower-cased it would name another folder.
    OpenDlgDir = QFileInfo(file).absolutePath();
    const int lng = progCfg_->lng;
    switch (FileKindOf(file)) {
    case TFileKind::Project:
        // A save the user asked for that failed to write keeps the project.
        if (!askSaveModified())
            return;
        CloseAllWindows();
        scheduler_->SetActive(false);
        scheduler_->Detach();
        if (!loadProject(file) && newPrjFromSettings() != 0) {
            const QStringList* msg = langTexts_->GetStrings(0, 42);
            ui_->Message(msg ? *msg : QStringList{}, ButtonList(1), QString(), icInformation, {}, {}, {}, 0, -1);
            close();
            return;
        }
        // The loaded project's change event has restarted the scheduler.
        RestoreWindows();
        break;
    case TFileKind::WorkList:
        if (!Kinds.WrkList->Show(currentInv(), lng, file))
            showListOpenError();
        break;
    case TFileKind::DownloadList:
        Kinds.DwnLoad->Show(currentInv(), lng, file);
        break;
    case TFileKind::Scope:
        Kinds.Scope->Show(currentInv(), lng, file);
        break;
    case TFileKind::Other:
        break;
    }
}

void TFMain::PrjChgReq(QObject*, int Chg, const QString& Data)
{
    if (Chg != 0)
        return;
    // 1. A file that is not (or no longer) part of the project is ignored.
    const int fileIdx = project_->FindFile(Data);
    if (fileIdx < -1)
        return;
    // 2. The inverter for windows: the file's own, or for a global file the
    // lowest address in the project.
    int inv = fileIdx;
    if (inv < 0) {
        inv = 0;
        for (int a = 0; a < kPrjInvCount; ++a)
            if (project_->GetInv(a)) {
                inv = a;
                break;
            }
    }
    const int lng = progCfg_->lng;
    switch (FileKindOf(Data)) {
    case TFileKind::WorkList:
        Kinds.WrkList->Show(inv, lng, Data);
        break;
    case TFileKind::Scope:
        Kinds.Scope->Show(inv, lng, Data);
        break;
    case TFileKind::DownloadList:
        // An open window of that list takes the focus, else one opens.
        Kinds.DwnLoad->ShowFile(inv, lng, Data);
        break;
    case TFileKind::Project:
    case TFileKind::Other:
        if (!ui_->OpenUrl(QUrl::fromLocalFile(Data)))
            ui_->ErrorBox(QStringLiteral("Error ShellExecute: ") + QString::number(ShellOpenErrorCode(Data)));
        break;
    }
}
