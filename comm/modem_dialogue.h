#pragma once

// The answer side of dialling a Hayes-style modem, free of any port or
// timer so that it can be driven and tested on its own. The driver polls
// the port every 10 ms and hands over what arrived; the dialogue cuts it
// into lines and says what to do next.
//
//   start: send "AT" CR LF, wait for "OK" (at most 100 polls, about 1 s)
//   "OK" while waiting for it: flush, send the dial command, wait for "CONNECT"
//   "CONNECT": connected; "ERROR", "NO CARRIER", "NO DIALTONE", "BUSY",
//   "NO ANSWER": failed; at most 6000 polls (about 60 s) in all.

#include <QByteArray>

class TModemDialogue {
public:
    static constexpr int PollMs = 10;
    static constexpr int OkPolls = 100;
    static constexpr int TotalPolls = 6000;
    static constexpr int LineBufferSize = 120;

    enum class Action {
        Wait,        // nothing yet, poll again in PollMs
        SendCommand, // flush the port, drop what was received, send `toSend`
        Connected,   // done: result 0
        Failed,      // done: result -2
    };

    explicit TModemDialogue(QByteArray dialCommand);

    // The first thing to send: "AT" CR LF.
    QByteArray Start();
    // One poll with the bytes received since the previous one.
    Action Poll(const QByteArray& received, QByteArray& toSend);

    bool WaitingForOk() const { return waitingForOk_; }

private:
    QByteArray dialCommand_;
    QByteArray partial_;
    bool waitingForOk_ = true;
    int polls_ = 0;
};
