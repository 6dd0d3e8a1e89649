#include "mainwin/dwn_load_kind.h"

#include "dialogs/shared_objects.h"
#include "lists/dwn_load.h"
#include "mainwin/fmain.h"

TDwnLoadKind::TDwnLoadKind(TFMain& Main, const TDwnLoadShared& Tools)
{
    TDwnLoadShared& sh = DwnLoadShared();
    sh = Tools;
    sh.MainWindow = &Main;
}

QWidget* TDwnLoadKind::Show(int Inv, int Lng, const QString& FileName)
{
    return CreateDwnLoad(Inv, Lng, FileName);
}

QWidget* TDwnLoadKind::ShowFile(int Inv, int Lng, const QString& FileName)
{
    return ShowDwnLoadFile(Inv, Lng, FileName);
}

void TDwnLoadKind::SaveParas(int Inv, int Lng)
{
    DwnSaveParas(Inv, Lng);
}

void TDwnLoadKind::HexDisplayChanged()
{
    for (TDwnLoad* w : DwnLoadWindows())
        w->RefreshList();
}
