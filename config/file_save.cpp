#include "config/file_save.h"

#include "config/cfg_codes.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int codeOfOpenErrno(int e)
{
    switch (e) {
    case ENOENT:
    case ENOTDIR: return kIoPathNotFound;
    default: return kIoAccessDenied;
    }
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

int SaveFileAtomically(const QString& fileName, const QByteArray& bytes)
{
    // Saving through a symbolic link writes the file it points to, as opening
    // the name would; renaming over the link would replace the link instead.
    const QFileInfo info(fileName);
    const QString real = info.isSymLink() ? info.canonicalFilePath() : QString();
    const QByteArray target = QFile::encodeName(real.isEmpty() ? fileName : real);
    // A write-protected file cannot be overwritten. The rename below would
    // replace it all the same (it needs only the folder's rights), so refuse
    // here; no write bit at all counts as protected also for root.
    struct stat old {};
    if (::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)
        && ((old.st_mode & 0222) == 0 || ::access(target.constData(), W_OK) != 0))
        return kIoAccessDenied;
    QByteArray pattern = target + ".tmpXXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return codeOfOpenErrno(errno);

    struct stat st {};
    // An existing file keeps its rights; a new one gets what creating it
    // directly would give (the user's umask applies).
    const mode_t mode = ::stat(target.constData(), &st) == 0 ? (st.st_mode & 07777) : (0666 & ~currentUmask());
    ::fchmod(fd, mode);

    int result = 0;
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            result = kIoWriteError;
            break;
        }
        p += n;
        left -= n;
    }
    if (result == 0 && ::fsync(fd) != 0)
        result = kIoWriteError;
    if (::close(fd) != 0 && result == 0)
        result = kIoWriteError;
    if (result == 0 && ::rename(pattern.constData(), target.constData()) != 0)
        result = codeOfOpenErrno(errno);
    if (result != 0)
        ::unlink(pattern.constData());
    return result;
}
