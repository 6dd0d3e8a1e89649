#include "mainwin/halvorn_windows.h"

#include "mainwin/dwn_load_kind.h"
#include "mainwin/editor_windows.h"
#include "mainwin/fmain.h"
#include "mainwin/op_para_kind.h"
#include "mainwin/prj_expl_kind.h"
#include "mainwin/quintel_kind.h"
#include "mainwin/scope_kind.h"
#include "mainwin/wrk_list_kind.h"

#include "dialogs/inv_sel_dlg.h"
#include "dialogs/print_form.h"
#include "dialogs/shared_objects.h"
#include "dialogs/text_fit.h"
#include "lists/adr_edit.h"
#include "lists/mode_edit.h"
#include "lists/rem_edit.h"
#include "lists/set_edit.h"
#include "lists/val_edit.h"
#include "lists/wrk_list_tools.h"
#include "lists/wrk_lists.h"

THalvornWindows::THalvornWindows(TFMain& Main) : main_(Main)
{
    // Window layouts are measured for narrower fonts: texts grow their controls.
    InstallTextFit();
    editors_ = std::make_unique<TEditorWindows>();
    TEditorWindows& ed = *editors_;
    Main.Editors = &ed;

    // The work-list windows' editors, print window and inverter selection.
    auto wrkTools = std::make_shared<TWrkListTools>();
    TWrkListTools& tools = *wrkTools;
    tools.ValEdit = ed.ValEdit();
    tools.SetEdit = ed.SetEdit();
    tools.AdrEdit = ed.AdrEdit();
    tools.Print = ed.Print();
    tools.InvSel = FrmInvSel;
    tools.RemEdit = ed.RemEdit();
    QPointer<TfrmRemEdit> rem = ed.RemEdit();
    tools.EditRemark = [rem](const QString& Text, const QString& Description, TOnRemarkText OnRemark) {
        if (rem)
            rem->EditRemark(Text, Description, std::move(OnRemark));
    };
    WrkLists->SetTools(wrkTools);

    prjExpl_ = std::make_unique<TPrjExplKind>(Main, ed);
    scope_ = std::make_unique<TScopeKind>(Main, ed);
    opPara_ = std::make_unique<TOpParaKind>(Main, ed.ValEdit());
    wrkList_ = std::make_unique<TWrkListKind>();
    TDwnLoadShared dwnTools;
    dwnTools.ValEdit = ed.ValEdit();
    dwnTools.SetEdit = ed.SetEdit();
    dwnTools.AdrEdit = ed.AdrEdit();
    dwnTools.ModeEdit = ed.ModeEdit();
    dwnTools.RemEdit = ed.RemEdit();
    dwnTools.Print = ed.Print();
    dwnLoad_ = std::make_unique<TDwnLoadKind>(Main, dwnTools);
    quintel_ = std::make_unique<TQuintelKind>(Main, ed);

    TWindowKinds& k = Main.Kinds;
    k.PrjExpl = prjExpl_.get();
    k.OpPara = opPara_.get();
    k.Scope = scope_.get();
    k.WrkList = wrkList_.get();
    k.DwnLoad = dwnLoad_.get();
    k.Quintel = quintel_.get();
}

THalvornWindows::~THalvornWindows()
{
    quintel_.reset();
    dwnLoad_.reset();
    wrkList_.reset();
    opPara_.reset();
    scope_.reset();
    prjExpl_.reset();
    main_.Kinds = TWindowKinds();
    main_.Editors = nullptr;
    editors_.reset();
}
