#pragma once

// The set-up dialog's editors with the program's shared windows: the
// address editor, the value editor, the inverter choice and the colour
// dialog.

#include "scope/set_scope_core.h"

#include <functional>

class QWidget;
class TfrmAdrEdit;
class TfrmValEdit;

class TSetScopeEditorsDlg : public ISetScopeEditors {
public:
    TfrmAdrEdit* AdrEdit = nullptr;
    TfrmValEdit* ValEdit = nullptr;
    // The inverter choice; unset: cancelled.
    std::function<int(const QString& Prompt, int& Inverter)> InvSel;
    std::function<void()> CloseInvSel;
    QWidget* Parent = nullptr;

    int EditAddressModal(int Inverter, const QString& Description, int16_t& Address) override;
    int EditValueModal(const TParaRec* Para, const QString& Label, int32_t& Value, bool ShowHidden) override;
    int SelectInv(const QString& Prompt, int& Inverter) override;
    bool ChooseColour(uint32_t& Colour) override;
    void CloseEditors() override;
};
