#include "SharedFolderFile.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isUntrustedLink(const QByteArray& name)
{
    struct stat link;
    return ::lstat(name.constData(), &link) == 0 && S_ISLNK(link.st_mode) && link.st_uid != ::geteuid() &&
           link.st_uid != 0;
}

} // namespace

namespace SharedFolderFile {

QString refusal(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (isUntrustedLink(name))
        return QStringLiteral("it is a link owned by another user");
    struct stat info;
    if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return QStringLiteral("it is not a regular file");
    return {};
}

int open(const QString& path, int flags, mode_t mode)
{
    const QByteArray name = QFile::encodeName(path);
    const int noFollow = isUntrustedLink(name) ? O_NOFOLLOW : 0;
    const int fd = ::open(name.constData(), flags | noFollow | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0)
        return -1;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    // Regular files never block; writes and reads go on as usual.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// O_NONBLOCK keeps a FIFO planted in the lock file's place from hanging the
// open; it does nothing to a regular file.
int openLockFile(const QString& path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    struct stat info;
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return -1;
    }
    if (fd >= 0 && (flags & O_CREAT))
        ::fchmod(fd, 0660);
    return fd;
}

} // namespace SharedFolderFile
