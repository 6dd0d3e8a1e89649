#include "mainwin/dwn_load_kind.h"

#include "dialogs/print_form.h"
#include "lists/adr_edit.h"
#include "lists/dwn_load.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "mainwin/editor_windows.h"
#include "mainwin/fmain.h"

TDwnLoadKind::TDwnLoadKind(TFMain& Main, const TEditorWindows& Editors)
{
    Editors.HandTo(tools_);
    tools_.ModeEdit = Editors.ModeEdit();
    tools_.MainForm = &Main;
}

QWidget* TDwnLoadKind::Show(int Inv, int Lng, const QString& FileName)
{
    return CreateDwnLoad(tools_, Inv, Lng, FileName);
}

QWidget* TDwnLoadKind::ShowFile(int Inv, int Lng, const QString& FileName)
{
    return ShowDwnLoadFile(tools_, Inv, Lng, FileName);
}

void TDwnLoadKind::SaveParas(int Inv, int Lng)
{
    DwnSaveParas(tools_, Inv, Lng);
}

void TDwnLoadKind::HexDisplayChanged()
{
    for (TDwnLoad* w : DwnLoadWindows())
        w->RefreshList();
}
