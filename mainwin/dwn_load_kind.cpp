#include "mainwin/dwn_load_kind.h"

#include "lists/dwn_load.h"

TDwnLoadKind::TDwnLoadKind(const TWindowTools& Tools)
{
    static_cast<TWindowTools&>(tools_) = Tools;
    tools_.Windows = &windows_;
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
    for (TDwnLoad* w : windows_.Open())
        w->RefreshList();
}
