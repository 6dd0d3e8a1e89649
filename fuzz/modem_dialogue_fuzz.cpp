// The modem dialogue on whatever the modem says, cut into polls where the
// input has a 0xFF byte.

#include "comm/modem_dialogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TModemDialogue d(QByteArrayLiteral("ATDT0123"));
    d.Start();
    size_t from = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i < size && data[i] != 0xFF)
            continue;
        QByteArray toSend;
        const auto a = d.Poll(QByteArray(reinterpret_cast<const char*>(data + from), qsizetype(i - from)), toSend);
        from = i + 1;
        if (a == TModemDialogue::Action::Connected || a == TModemDialogue::Action::Failed)
            break;
    }
    return 0;
}
