#include "mainwin/halvorn_windows.h"

#include "dialogs/inv_sel_dlg.h"
#include "dialogs/shared_objects.h"
#include "dialogs/text_fit.h"
#include "mainwin/fmain.h"

namespace {

// What every kind of window is given: the main form, the single editors
// and print window, the inverter choice, and the main window's message box.
TWindowTools windowTools(TFMain& Main, const TEditorWindows& Editors)
{
    TWindowTools t;
    t.MainForm = &Main;
    Editors.HandTo(t);
    t.InvSel = Main.InvSel;
    IMainInteraction* ui = &Main.Interaction();
    t.Message = [ui](const QStringList& Msg, const QStringList& Buttons, const QString& Title, int Icon,
                     const QString& P1, const QString& P2, const QString& P3, int Default, int Cancel) {
        return ui->Message(Msg, Buttons, Title, Icon, P1, P2, P3, Default, Cancel);
    };
    return t;
}

}  // namespace

THalvornWindows::TTextFitting::TTextFitting()
{
    InstallTextFit();
}

THalvornWindows::THalvornWindows(TFMain& Main)
    : main_(Main)
    , editors_(ClpBrd, &Main)
    , tools_(windowTools(Main, editors_))
    , prjExpl_(Main, tools_)
    , scope_(Main, tools_)
    , opPara_(tools_)
    , wrkList_(tools_)
    , dwnLoad_(tools_)
    , quintel_(tools_)
{
    Main.Editors = &editors_;
    Main.Kinds = {&prjExpl_, &opPara_, &scope_, &wrkList_, &dwnLoad_, &quintel_};
}

THalvornWindows::~THalvornWindows()
{
    // The members go after this, the last created first.
    main_.Kinds = TWindowKinds();
    main_.Editors = nullptr;
}
