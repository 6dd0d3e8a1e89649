#include "mainwin/wrk_list_kind.h"

#include "dialogs/inv_sel_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "lists/adr_edit.h"
#include "lists/fwrk_list.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "lists/wrk_lists.h"
#include "mainwin/editor_windows.h"

TWrkListKind::TWrkListKind(const TEditorWindows& Editors)
{
    auto tools = std::make_shared<TWrkListTools>();
    Editors.HandTo(*tools);
    tools->InvSel = FrmInvSel;
    QPointer<TfrmRemEdit> rem = Editors.RemEdit();
    tools->EditRemark = [rem](const QString& Text, const QString& Description, TOnRemarkText OnRemark) {
        if (rem)
            rem->EditRemark(Text, Description, std::move(OnRemark));
    };
    WrkLists->SetTools(tools);
}

QWidget* TWrkListKind::Show(int, int, const QString& FileName)
{
    TFWrkList* w = WrkLists->OpenList(FileName);
    if (w) {
        w->show();
        w->raise();
        w->activateWindow();
    }
    return w;
}
