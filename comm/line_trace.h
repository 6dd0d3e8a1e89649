#pragma once

// Time stamps of the stages of one exchange on a serial line, taken inside
// the port and the serial drivers, for the throughput benchmark. Off unless
// a hook is set; then one relaxed atomic load per stage.

#include <atomic>
#include <chrono>

enum class TLineStage : int {
    RequestHanded,   // the driver accepted a request (GUI thread)
    BytesWritten,    // the whole frame is in the device (the caller of Write on an idle port, else the writer thread)
    Drained,         // the transmitter is empty (writer thread)
    RtsDeadline,     // time stamp: when RTS may be raised again (one character after Drained)
    RtsRaised,       // RTS raised, the end-of-frame wait is over (line-event thread)
    FirstAnswerByte, // the first received byte after the frame was taken from the device (line-event thread)
    AnswerPosted,    // the driver saw the answer complete and posted it to the GUI thread (line-event thread)
    AnswerEvaluated, // the answer was found and handed on (GUI thread)
};

using TLineTraceHook = void (*)(TLineStage stage, std::chrono::steady_clock::time_point at);

namespace LineTrace {

inline std::atomic<TLineTraceHook>& Hook()
{
    static std::atomic<TLineTraceHook> hook{nullptr};
    return hook;
}

// Null switches tracing off. The hook is called from the port's threads and
// the GUI thread, so it must be thread-safe and quick.
inline void SetHook(TLineTraceHook hook) { Hook().store(hook, std::memory_order_relaxed); }

inline void At(TLineStage stage, std::chrono::steady_clock::time_point at)
{
    if (TLineTraceHook h = Hook().load(std::memory_order_relaxed))
        h(stage, at);
}

inline void Now(TLineStage stage)
{
    if (TLineTraceHook h = Hook().load(std::memory_order_relaxed))
        h(stage, std::chrono::steady_clock::now());
}

} // namespace LineTrace
