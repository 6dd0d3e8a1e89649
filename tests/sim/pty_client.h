#pragma once

// The product's side of a simulated serial line in tests: opens the slave
// path raw and reads with the event loop running until enough has come.

#include <QByteArray>
#include <QString>

namespace simtest {

class PtyClient {
public:
    explicit PtyClient(const QString& path);
    ~PtyClient();
    bool isOpen() const { return fd_ >= 0; }
    void write(const QByteArray& bytes);
    // Reads until at least `count` bytes have come (or `timeoutMs`); returns
    // what came.
    QByteArray readAtLeast(int count, int timeoutMs = 3000);
    // Reads until `bytes` ends what came (or `timeoutMs`).
    QByteArray readUntilEndsWith(const QByteArray& bytes, int timeoutMs = 3000);
    void close();

private:
    void drain();
    int fd_ = -1;
    QByteArray got_;
};

} // namespace simtest
