#pragma once

// A main form for window tests: it passes what a window hands over to the
// test's receivers and places new windows below a given bar frame.

#include "dialogs/main_form.h"

#include <functional>

namespace qeltest {

class TFakeMainForm : public IMainForm {
public:
    std::function<void(PTOperatingFuncs)> OnSetPrgOpFuncs;
    std::function<void(TContextList*)> OnSetContextFuncs;
    QRect Bar;

    void SetPrgOpFuncs(PTOperatingFuncs Funcs) override
    {
        if (OnSetPrgOpFuncs)
            OnSetPrgOpFuncs(Funcs);
    }
    void SetContextFuncs(TContextList* List) override
    {
        if (OnSetContextFuncs)
            OnSetContextFuncs(List);
    }
    QRect BarFrame() const override { return Bar; }
};

}  // namespace qeltest
