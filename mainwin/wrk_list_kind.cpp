#include "mainwin/wrk_list_kind.h"

#include "dialogs/shared_objects.h"
#include "lists/fwrk_list.h"
#include "lists/wrk_lists.h"

TWrkListKind::TWrkListKind(const TWindowTools& Tools)
{
    WrkLists->SetTools(std::make_shared<TWrkListTools>(Tools));
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
