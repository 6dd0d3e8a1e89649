#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

struct termios;

namespace qelserial {

enum class Parity { None, Even, Odd, Mark, Space };

struct LineSettings {
    int baudRate = 9600;  // bit/s; must be one of the standard termios rates
    int dataBits = 8;     // 5 to 8
    Parity parity = Parity::None;
    int stopBits = 1;     // 1 or 2
};

// Parity from its letter: 'E' even, 'O' odd, 'M' mark, 'S' space, any
// other none.
Parity parityFromLetter(char letter);

// Fills `tio` for fully raw mode with the line settings: no line
// discipline processing, no flow control, parity checked (INPCK) when
// enabled. False when the settings are out of range.
bool makeRawTermios(const LineSettings& settings, termios& tio);

// Receive-error counters of the device since it was opened.
struct ErrorCounts {
    uint32_t parity = 0;
    uint32_t frame = 0;
    uint32_t overrun = 0;  // hardware overrun and receive-buffer overrun
};

enum class LineError { None, Parity, Framing, Overrun };

// The error that counters moving from `before` to `after` stand for; when
// several moved, parity wins over framing and framing over overrun.
LineError newLineError(const ErrorCounts& before, const ErrorCounts& after);

// A serial device over termios, opened exclusively in fully raw mode: no
// line discipline processing at all, so every byte (ETX, EOT, XON, XOFF,
// CR, 0xFF ...) passes untouched in both directions, no echo, no flow
// control, no signals. The descriptor is non-blocking.
//
// Devices without modem lines (pseudo-terminals, some adapters): RTS and
// DTR changes succeed and do nothing; CTS is emulated from the received
// data: it comes on when bytes arrive after the line was quiet and goes off
// when the line has been quiet for three characters' time, at least 2 ms
// (or when the owner calls dropEmulatedCts() because everything received
// has been consumed). This
// stands for an inverter that raises CTS while it is sending, which is what
// the binary protocol's receive relies on.
//
// Threads: readSome() and the emulation updates belong to one thread (the
// one reader); cts(), the modem lines, error counts and writes may be
// called from any thread.
class SerialDevice {
public:
    SerialDevice() = default;
    ~SerialDevice();
    SerialDevice(const SerialDevice&) = delete;
    SerialDevice& operator=(const SerialDevice&) = delete;

    // Opens the device exclusively (TIOCEXCL, plus an advisory lock so that
    // a second opener fails even with privileges) and configures it.
    // False on any failure (errno-style reason in lastError()); the device
    // is then closed.
    bool open(const QString& path, const LineSettings& settings);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    int lastError() const { return lastError_; }

    const LineSettings& settings() const { return settings_; }

    // Whether the device has modem lines and receive-error counters.
    bool hasModemLines() const { return hasModemLines_; }
    bool hasErrorCounters() const { return hasErrorCounters_; }

    // Non-blocking read: the number of bytes read (0 when nothing is
    // waiting), or -1 when the far end has gone (hang-up, device removed)
    // or the read failed for good.
    long readSome(void* buffer, size_t maximum);
    // Non-blocking write: bytes written (0 when the device takes none now),
    // or -1 on a lasting failure.
    long writeSome(const void* data, size_t length);
    // Waits until everything written has left the transmitter.
    bool drain();
    // Discards received bytes the device still holds.
    void discardInput();

    bool setRts(bool on);
    bool setDtr(bool on);
    // Hardware CTS, or the emulated state without modem lines.
    bool cts() const;
    // Number of CTS transitions the hardware counted (0 without counters).
    uint32_t ctsTransitions() const;

    // Receive-error counters; false when the device has none.
    bool errorCounts(ErrorCounts& out) const;

    // CTS emulation (only meaningful without modem lines). All called by
    // the reading thread.
    // Turns the emulated CTS off when the line has been quiet for the gap;
    // returns the time left until that happens while it is on.
    std::optional<std::chrono::steady_clock::duration> updateEmulatedCts(
        std::chrono::steady_clock::time_point now);
    void dropEmulatedCts();

    // Standard termios speed for a rate in bit/s, 0 when unsupported.
    static unsigned int speedFor(int baudRate);

private:
    bool applySettings(const LineSettings& settings);
    bool modemBits(int& bits) const;

    int fd_ = -1;
    int lastError_ = 0;
    LineSettings settings_;
    bool hasModemLines_ = false;
    bool hasErrorCounters_ = false;
    std::chrono::steady_clock::duration quietGap_{};
    std::atomic<bool> emulatedCts_{false};
    std::chrono::steady_clock::time_point lastArrival_{};
};

} // namespace qelserial
