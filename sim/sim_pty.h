#pragma once

// A pseudo-terminal whose slave side plays the serial port the product
// opens; the simulator works on the master side.

#include <QByteArray>
#include <QString>

namespace qelsim {

class SimPty {
public:
    SimPty() = default;
    ~SimPty();
    SimPty(const SimPty&) = delete;
    SimPty& operator=(const SimPty&) = delete;

    // Opens a fresh pseudo-terminal, raw on both sides; with `linkPath`
    // also a symbolic link to the slave there (replacing an old link).
    bool open(const QString& linkPath, QString* error);
    void close();

    int masterFd() const { return master_; }
    // Writes everything to the master side; bytes the slave side has no
    // room for (nobody reading) are dropped after a short wait, as a line
    // would.
    void write(const QByteArray& bytes) const;
    // The rate the slave side has set (read through the master side); 0
    // when unknown.
    int lineRate() const;
    // The link when one was asked for, else the slave device.
    QString path() const { return link_.isEmpty() ? slave_ : link_; }

private:
    int master_ = -1;
    QString slave_;
    QString link_;
};

} // namespace qelsim
