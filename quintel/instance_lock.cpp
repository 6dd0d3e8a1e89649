#include "quintel/instance_lock.h"

#include <QDir>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TInstanceLock::~TInstanceLock() { Release(); }

QString TInstanceLock::DefaultDir()
{
    const QString run = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return run.isEmpty() ? QDir::tempPath() : run;
}

bool TInstanceLock::Acquire(const QString& Name, const QString& Dir)
{
    Release();
    const QString path = QDir(Dir.isEmpty() ? DefaultDir() : Dir).filePath(Name + QStringLiteral(".lock"));
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    FFd = fd;
    return true;
}

void TInstanceLock::Release()
{
    if (FFd < 0)
        return;
    ::flock(FFd, LOCK_UN);
    ::close(FFd);
    FFd = -1;
}
