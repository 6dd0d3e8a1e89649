#pragma once

// Help contexts and slot numbers kept on the main window's menu objects.

#include "dialogs/help_context.h"

#include <QObject>
#include <QVariant>

namespace fmain_detail {

inline constexpr const char* kHelpContext = kHelpContextProperty;
inline constexpr const char* kSlot = "slot";

inline void setHelpContext(QObject* o, int ctx)
{
    o->setProperty(kHelpContext, ctx);
}

inline int helpContextOf(const QObject* o)
{
    return o ? o->property(kHelpContext).toInt() : 0;
}

} // namespace fmain_detail
