#include "comm/modem_dialogue.h"

TModemDialogue::TModemDialogue(QByteArray dialCommand)
    : dialCommand_(std::move(dialCommand))
{
}

QByteArray TModemDialogue::Start()
{
    waitingForOk_ = true;
    polls_ = 0;
    partial_.clear();
    return QByteArrayLiteral("AT\r\n");
}

TModemDialogue::Action TModemDialogue::Poll(const QByteArray& received, QByteArray& toSend)
{
    ++polls_;
    partial_ += received;
    // A modem that chatters without line ends must not grow the buffer.
    if (partial_.size() > LineBufferSize)
        partial_ = partial_.right(LineBufferSize);

    for (;;) {
        int end = -1;
        for (int i = 0; i < partial_.size(); ++i) {
            if (partial_[i] == '\r' || partial_[i] == '\n') {
                end = i;
                break;
            }
        }
        if (end < 0)
            break;
        const QByteArray line = partial_.left(end).toUpper();
        partial_.remove(0, end + 1);

        if (waitingForOk_ && line.contains("OK")) {
            // What the modem said after "OK" belongs to the old command.
            partial_.clear();
            waitingForOk_ = false;
            toSend = dialCommand_ + "\r\n";
            return Action::SendCommand;
        }
        if (line.contains("CONNECT"))
            return Action::Connected;
        if (line.contains("ERROR") || line.contains("NO CARRIER") || line.contains("NO DIALTONE")
            || line.contains("BUSY") || line.contains("NO ANSWER"))
            return Action::Failed;
    }
    if ((waitingForOk_ && polls_ >= OkPolls) || polls_ >= TotalPolls)
        return Action::Failed;
    return Action::Wait;
}
