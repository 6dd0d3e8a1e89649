#pragma once

// Faults the simulator puts into its answers, and the queue that hands
// one fault to each request as it arrives.

#include <QByteArray>
#include <QString>

#include <deque>
#include <mutex>

namespace qelsim {

struct SimFault {
    bool silence = false;      // no answer at all; the request is not carried out
    int delayMs = 0;           // extra wait before the answer
    int splitGapMs = 0;        // > 0: the answer goes out in two halves this far apart
    bool echo = false;         // the request's bytes come back before the answer
    bool badCheck = false;     // wrong block check (DIN data answers) or XOR byte (binary)
    bool stale = false;        // an answer to an older request comes before the right one
    bool foreignId = false;    // the answer carries another request number (DIN service
                               // -1: another parameter address) and nothing else comes
    bool foreignAddr = false;  // another inverter of the bus answers in place of the addressed one
    int refuse = 0;            // 1..15: refused with this error number, not carried out
    QByteArray garbage{};      // bytes sent before the answer
    int count = 1;             // requests this applies to; 0 = every request from now on
    int parAdr = -1;           // 0..0xFFFF: only requests for this parameter address take it

    bool isNone() const
    {
        return !silence && delayMs == 0 && splitGapMs == 0 && !echo && !badCheck && !stale && !foreignId
            && !foreignAddr && refuse == 0 && garbage.isEmpty();
    }

    // Text form used on invsim's command line:
    //   ITEM[+ITEM...][@PARADR][*COUNT]   COUNT a number or "always"
    //   ITEM: ok | silence | delay=MS | split[=MS] | echo | badcheck | stale |
    //         foreignid | foreignaddr | refuse=N | busy (= refuse=6) |
    //         garbage[=HEX]
    //   PARADR: the parameter address (decimal or 0x hexadecimal) the fault
    //   is bound to; requests for other parameters pass it by
    // e.g. "busy*3", "delay=300+split=5", "refuse=2*always", "silence@0x0102*5".
    static bool parse(const QString& spec, SimFault& out, QString* error);
};

// Thread-safe queue: each request takes the front fault (or none).
class SimFaultQueue {
public:
    void push(const SimFault& fault);
    void clear();
    bool empty() const;
    // The fault for the next request (for parameter `parAdr`, -1 when it
    // names none): the first entry that is bound to no parameter or to
    // this one; a default SimFault when there is none. Counts that entry
    // down and drops it when used up.
    SimFault take(int parAdr = -1);
    // The same; false (and `out` untouched) when no entry applies.
    bool tryTake(int parAdr, SimFault& out);

private:
    mutable std::mutex mutex_;
    std::deque<SimFault> queue_;
};

} // namespace qelsim
