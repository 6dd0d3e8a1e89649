#include "scope/set_scope_editors.h"

#include "config/cfg_records.h"
#include "lists/adr_edit.h"
#include "lists/val_edit.h"

#include <QColorDialog>

int TSetScopeEditorsDlg::EditAddressModal(int Inverter, const QString& Description, int16_t& Address)
{
    return AdrEdit ? AdrEdit->EditAddressModal(Inverter, Description, Address) : 2;
}

int TSetScopeEditorsDlg::EditValueModal(const TParaRec* Para, const QString& Label, int32_t& Value,
                                        bool ShowHidden)
{
    if (!ValEdit || !Para)
        return 2;
    // The description outlives the modal edit; the editor only borrows it.
    std::shared_ptr<const TParaRec> p(std::shared_ptr<const TParaRec>(), Para);
    ValEdit->Core().ShowHidden = ShowHidden;
    const int r = ValEdit->EditModal(p, Label, Value);
    ValEdit->Core().ShowHidden = false;
    return r;
}

int TSetScopeEditorsDlg::SelectInv(const QString& Prompt, int& Inverter)
{
    return InvSel ? InvSel(Prompt, Inverter) : 2;
}

bool TSetScopeEditorsDlg::ChooseColour(uint32_t& Colour)
{
    const QColor start(Colour & 0xFF, (Colour >> 8) & 0xFF, (Colour >> 16) & 0xFF);
    const QColor c = QColorDialog::getColor(start, Parent);
    if (!c.isValid())
        return false;
    Colour = uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
    return true;
}

void TSetScopeEditorsDlg::CloseEditors()
{
    if (AdrEdit && AdrEdit->isVisible())
        AdrEdit->close();
    if (ValEdit && ValEdit->isVisible())
        ValEdit->close();
    if (CloseInvSel)
        CloseInvSel();
}
