#include "platform/single_instance.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString TSingleInstanceLock::LockPath(const QString& name, const QString& dir)
{
    QString folder = dir.isEmpty() ? qEnvironmentVariable("XDG_RUNTIME_DIR") : dir;
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(name + QStringLiteral(".lock"));
}

TSingleInstanceLock::TResult TSingleInstanceLock::Acquire(const QString& name, const QString& dir)
{
    Release();
    const QByteArray path = QFile::encodeName(LockPath(name, dir));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return lrFailed;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? lrAlreadyExists : lrFailed;
    }
    fd_ = fd;
    return lrTaken;
}

void TSingleInstanceLock::Release()
{
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}
