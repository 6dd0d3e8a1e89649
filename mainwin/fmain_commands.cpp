// The main window: menu commands.
#include "mainwin/fmain.h"
#include "mainwin/fmain_helpers.h"

#include "comm/prot_sel.h"
#include "comm/scheduler.h"
#include "config/lang_texts.h"
#include "config/prog_cfg.h"
#include "config/value_conversion.h"
#include "dialogs/inv_sel_dlg.h"
#include "dialogs/message_dlg.h"
#include "dialogs/shared_objects.h"
#include "project/vortalin_prj.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QUrl>

using namespace fmain_detail;

// ------------------------------------------------------------------ commands

int TFMain::currentInv() const
{
    return Kinds.PrjExpl->CurrentInv();
}

void TFMain::UpdateMenuFile()
{
    MenuCopyPrj->setEnabled(project_ && !project_->FileName.isEmpty());
}

bool TFMain::askSaveModified()
{
    TVortalinPrj& prj = *project_;
    if (!prj.Modified)
        return true;
    const QStringList* msg = langTexts_->GetStrings(7, 47);
    if (ui_->Message(msg ? *msg : QStringList{}, ButtonList(2), langTexts_->GetText(5, 33), icInformation, {}, {}, {},
                     0, 1) != 0)
        return true;
    QString name = prj.FileName;
    if (name.isEmpty()) {
        TSaveDlgOptions o;
        o.DefaultExt = QStringLiteral("pr5");
        o.Filter = prj.SaveFilter();
        o.InitialDir = prj.DataPath;
        name = ui_->ChooseSaveFile(o);
        if (name.isEmpty())
            return true;  // cancelling the dialog skips the save
    }
    // A project that was to be saved and could not be written is kept.
    return prj.SaveToFile(name) == 0;
}

void TFMain::NewProject()
{
    // A modified project is offered for saving; cancelling keeps it.
    if (!askSaveModified())
        return;
    // The windows close and the scheduler stops.
    CloseAllWindows();
    scheduler_->SetActive(false);
    scheduler_->Detach();
    // A new project from the default-project settings; a failure lets the
    // user end the program.
    if (newPrjFromSettings() != 0) {
        const QStringList* msg = langTexts_->GetStrings(0, 46);
        if (ui_->Message(msg ? *msg : QStringList{}, ButtonList(2), QString(), icInformation, {}, {}, {}, 0, 1) == 1)
            close();
    }
    // Both serial rates back into the settings, as at start-up.
    copyBaudRatesBack();
    // The windows saved with the new project.
    RestoreWindows();
}

void TFMain::SavePrj()
{
    if (project_->FileName.isEmpty()) {
        SavePrjAs();
        return;
    }
    SaveWindowLayout();
    project_->SaveToFile(project_->FileName);
}

void TFMain::SavePrjAs()
{
    SaveWindowLayout();
    project_->SaveToFile(QString());
}

void TFMain::CopyPrj()
{
    if (project_->Modified)
        SavePrj();
    project_->CopyPrj(true);
}

void TFMain::ToggleHexDisplay()
{
    HexDisplay = HexDisplay ? 0 : 1;
    MenuHexdisplay->setChecked(HexDisplay != 0);
    forEachKind([](IWindowKind& k) { k.HexDisplayChanged(); });
}

void TFMain::SaveParas()
{
    int16_t inv = int16_t(currentInv());
    if (InvSel->SelectInv(langTexts_->GetText(0, 45), inv) == 1)
        Kinds.DwnLoad->SaveParas(inv, progCfg_->lng);
}

void TFMain::About()
{
    QStringList lines{progCfg_->AppName, progCfg_->VersionText, QStringLiteral(" ")};
    for (const QString& part : progCfg_->Vendor.split(u';'))
        lines.append(part.left(255));
    ui_->Message(lines, ButtonList(1), QStringLiteral("Info"), icInformation, {}, {}, {}, 0, 0);
}

void TFMain::openHelpPage(const QUrl& Url)
{
    if (ui_->OpenUrl(Url))
        return;
    // No program on this desktop takes the page: say which one it was.
    const QStringList* msg = langTexts_->GetStrings(5, 48);
    ui_->Message(msg ? *msg : QStringList{langTexts_->GetText(5, 48)}, ButtonList(1), progCfg_->AppName, icError,
                 QDir::toNativeSeparators(Url.toLocalFile()), {}, {}, 0, 0);
}

void TFMain::ShowHelp(int HelpContext)
{
    if (HelpFile.isEmpty())
        return;
    QUrl url = QUrl::fromLocalFile(HelpFile);
    if (HelpContext > 0)
        url.setFragment(QStringLiteral("ctx%1").arg(HelpContext));
    openHelpPage(url);
}

void TFMain::ShowHelpContents()
{
    if (!HelpFile.isEmpty())
        openHelpPage(QUrl::fromLocalFile(HelpFile));
}

void TFMain::OpenManual()
{
    const QString path = progCfg_->ManualPath;
    if (!path.isEmpty())
        ui_->OpenUrl(QUrl::fromLocalFile(path));
}

bool TFMain::eventFilter(QObject* watched, QEvent* e)
{
    // A client's window shown or hidden: the Windows menu follows, once the
    // event has been handled (an entry of the menu may be running).
    if ((e->type() == QEvent::Show || e->type() == QEvent::Hide) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow() && !qobject_cast<QMenu*>(watched) && !windowsMenuQueued_ &&
        !e->spontaneous() && !destroying_) {
        windowsMenuQueued_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                windowsMenuQueued_ = false;
                SchListChanged(nullptr);
            },
            Qt::QueuedConnection);
    }
    // F1 inside an open menu: the topic of the entry under the mouse.
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            QAction* a = menu->activeAction();
            const int ctx = a ? helpContextOf(a) : helpContextOf(menu);
            menu->close();
            ShowHelp(ctx ? ctx : MainHelpContext);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}
