#include "mainwin/dwn_load_kind.h"

#include "lists/dwn_load.h"
#include "mainwin/fmain.h"

TDwnLoadKind::TDwnLoadKind(TFMain& Main, const TDwnLoadShared& Tools) : tools_(Tools)
{
    tools_.MainWindow = &Main;
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
