#include "mainwin/halvorn_windows.h"

#include "dialogs/shared_objects.h"
#include "dialogs/text_fit.h"
#include "mainwin/fmain.h"

THalvornWindows::TTextFitting::TTextFitting()
{
    InstallTextFit();
}

THalvornWindows::THalvornWindows(TFMain& Main)
    : main_(Main)
    , editors_(ClpBrd, &Main)
    , prjExpl_(Main, editors_)
    , scope_(Main, editors_)
    , opPara_(Main, editors_.ValEdit())
    , wrkList_(editors_)
    , dwnLoad_(Main, editors_)
    , quintel_(Main, editors_)
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
