#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

// Line events a driver can ask for with TSerialCom::SetHandler. The handler
// receives the events that happened (and were asked for) as one mask.
constexpr uint32_t EV_RXCHAR = 0x0001;  // bytes were received
constexpr uint32_t EV_TXEMPTY = 0x0004; // the last queued byte has left the transmitter
constexpr uint32_t EV_CTS = 0x0008;     // CTS changed; TSerialCom::CTS gives the new state
constexpr uint32_t EV_ERR = 0x0080;     // a parity, framing or overrun error was seen

// Line-event handler of a driver: called in the port's line-event thread
// with the events and the parameter given to SetHandler.
using TSerialHandler = std::function<void(uint32_t eventMask, void* param)>;

// The serial port of the two serial drivers. While open it runs two worker
// threads: a writer thread that sends what the device did not take at once
// and waits for the transmitter to empty, and a line-event thread that is
// the only reader of the device. The line-event thread moves received
// bytes into the port's input queue, watches CTS and the line-error
// counters, and calls the driver's handler.
//
// Write contract: when nothing is queued for the writer thread, Write puts
// the frame into the device's buffer itself, in the calling thread, with
// one non-blocking write under the port's lock; a frame reaches the line
// without waiting for another thread to wake. What the device does not
// take, and a frame written while bytes are still queued (it replaces
// them, as any Write replaces what an earlier one left unsent), go through
// the writer thread; bytes reach the device in the order written. Either
// way the writer thread then waits until the transmitter is empty, records
// that moment (TxEmptyTime), clears Sending and has EV_TXEMPTY delivered.
//
// Handler contract: the handler runs in the line-event thread. It may call
// Read, InQueue, WaitForInput, Write, the modem-line operations, GetError,
// Flush and CTS; it must not call Open, Close or SetHandler, and it must
// not touch objects of the GUI thread other than the driver fields that it
// shares under the driver's own guard (posting an event with
// QCoreApplication::postEvent is fine). While the handler runs no further
// line events are delivered; Read called from the handler takes the bytes
// that have arrived meanwhile once the queue is empty, and InQueue and
// WaitForInput look at the device itself.
//
// Every operation may be called from any thread. One lock guards the send
// buffer, the input queue and the handler; it is never held while the
// handler runs, nor while the writer thread writes or waits for the line
// (only Write's own non-blocking write happens under it). Close waits for
// both threads, so it must not be called while holding a lock that the
// handler takes.
//
// The far end going away (hang-up, device removed) ends the line-event
// thread's watch: the handler is not called again until the port is closed
// and opened again; bytes received before stay readable, writes go nowhere.
//
// Devices without modem lines (pseudo-terminals): RTS and DTR changes
// succeed and do nothing; CTS is emulated from the received data. It rises
// (EV_CTS, CTS() true) when bytes arrive after the line was quiet, and it
// falls (EV_CTS, CTS() false) when the line has been quiet for three
// character times (at least 2 ms), or at once when a handler call has left
// no received byte unread. So a CTS-driven receive works over a
// pseudo-terminal, also when the next telegram follows closely.
class TSerialCom {
public:
    static constexpr int SendBufferSize = 100;
    // Received bytes kept for Read; bytes beyond this are dropped.
    static constexpr int InputQueueSize = 4096;

    TSerialCom();
    ~TSerialCom();
    TSerialCom(const TSerialCom&) = delete;
    TSerialCom& operator=(const TSerialCom&) = delete;

    // Opens "COM<comPort + 1>" (comPort 0 to 8) through the COM-port device
    // map, in raw mode with the given bit rate, data bits (7 or 8), one stop
    // bit and parity letter: 'E' even, 'O' odd, 'M' mark, 'S' space, any
    // other none. Parity is checked on receive when enabled. No flow
    // control. Starts both threads.
    // Returns 0, -3 when already open (nothing changes), -2 on failure.
    int Open(int comPort, int baudRate, int dataBits, char parity);
    // Stops both threads and closes the device. 0, or -4 when not open.
    int Close();
    bool IsOpen() const;

    // Sends min(length, 100) bytes: into the device at once when nothing is
    // queued, the rest through the writer thread (see above); replaces what
    // an earlier Write left unsent. Returns the number taken, -4 not open.
    int Write(const void* data, int length);
    // True from Write until the last byte has been sent and the transmitter
    // is empty.
    bool Sending() const;
    // When the transmitter last became empty (the moment behind the latest
    // EV_TXEMPTY); the epoch before the first frame.
    std::chrono::steady_clock::time_point TxEmptyTime() const;

    // Copies up to `maximum` bytes that have already arrived; never waits.
    // `count` receives the number copied. 0, or -4 not open (count 0).
    int Read(void* buffer, uint16_t maximum, uint16_t& count);
    // Number of received bytes waiting to be read, -4 not open. Refreshes
    // the recorded line error.
    int InQueue();
    // Refreshes, returns and clears the recorded line error: 0, -7 parity,
    // -8 framing, -9 overrun (parity wins over framing, framing over
    // overrun). 0 when closed.
    int GetError();
    // Discards every byte received so far and the recorded line error.
    void Flush();
    // Waits until a received byte is waiting to be read, the deadline has
    // passed or the port closes; true when there is one. In the handler it
    // sleeps on the device itself, so it returns as soon as a byte arrives.
    bool WaitForInput(std::chrono::steady_clock::time_point deadline);

    // Modem lines: 0, or -4 not open.
    int SetRTS();
    int ClrRTS();
    int SetDTR();
    int ClrDTR();
    // CTS state (emulated on devices without modem lines); false when closed.
    bool CTS() const;

    // Sets the events to report, the parameter handed back and the handler.
    // 0, or -4 not open. Close forgets the handler.
    int SetHandler(uint32_t eventMask, void* param, TSerialHandler handler);

    // Duration of about one character in std::chrono::steady_clock ticks:
    // 10 ms at 1200 bit/s, 5 ms at 2400, 2.5 ms at 4800, 1.25 ms at 9600,
    // 0.625 ms at every other rate.
    static int64_t CharTicks(int baudRate);

    // Sleeps until `deadline` (an absolute time on the monotonic clock, so
    // never returns before it). The port's threads run with the smallest
    // timer slack, so there it wakes within some tens of microseconds after
    // the deadline on an idle machine, without spinning.
    static void SleepUntil(std::chrono::steady_clock::time_point deadline);

private:
    struct State;
    std::unique_ptr<State> d_;
};
