#pragma once

#include "dialogs/context_item.h"
#include "dialogs/operating_funcs.h"

#include <QObject>
#include <QPointer>
#include <QRect>

// The part of the main window that the other windows call. A window hands
// it its operation slots and context commands when it becomes active (and
// nothing when it closes), and opens below its bar. Handed to each window
// when the window is created.
class IMainForm {
public:
    // The window's record of operation slots, or nullptr for none.
    virtual void SetPrgOpFuncs(PTOperatingFuncs Funcs) = 0;
    // The window's context commands, or nullptr for none.
    virtual void SetContextFuncs(TContextList* List) = 0;
    // The bar's frame on the screen: new windows cascade below it.
    virtual QRect BarFrame() const = 0;

    // An object that exists exactly as long as the form takes calls. A form
    // that is a window lists this interface after its window base: then it
    // goes before the form's own child windows are freed.
    QObject* Presence() { return &presence_; }

protected:
    ~IMainForm() = default;

private:
    QObject presence_;
};

// What a window keeps of the main form. Calls go nowhere when there is no
// form or once it has gone: a window closing at the end of the run, after
// the main window, hands over nothing.
class TMainFormRef {
public:
    TMainFormRef() = default;
    TMainFormRef(IMainForm* Form) : form_(Form), presence_(Form ? Form->Presence() : nullptr) {}

    IMainForm* get() const { return presence_ ? form_ : nullptr; }
    explicit operator bool() const { return get() != nullptr; }

    void SetPrgOpFuncs(PTOperatingFuncs Funcs) const
    {
        if (IMainForm* f = get())
            f->SetPrgOpFuncs(Funcs);
    }
    void SetContextFuncs(TContextList* List) const
    {
        if (IMainForm* f = get())
            f->SetContextFuncs(List);
    }
    // Both at once; closing windows hand over nothing (nullptr, nullptr).
    void HandOver(PTOperatingFuncs Funcs, TContextList* List) const
    {
        SetPrgOpFuncs(Funcs);
        SetContextFuncs(List);
    }
    // An empty rectangle without a form.
    QRect BarFrame() const
    {
        const IMainForm* f = get();
        return f ? f->BarFrame() : QRect();
    }

private:
    IMainForm* form_ = nullptr;
    QPointer<QObject> presence_;
};
