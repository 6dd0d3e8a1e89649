#pragma once

// What the card drivers (CAN, Interbus, Profibus DP) share.

#include "comm/tel_records.h"

#include <QEvent>

// An answer of a card driver, raised through OnRspAvail from the event
// loop, so that a handler that starts a synchronous exchange does not run
// inside the timer or frame handler it would wait for. `Type` is the
// driver's own answer event type.
class TCardAnswerEvent : public QEvent {
public:
    TCardAnswerEvent(QEvent::Type Type, const TRecTel& r)
        : QEvent(Type)
        , Rec(r)
    {
    }
    TRecTel Rec;
};
