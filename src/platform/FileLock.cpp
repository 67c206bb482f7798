#include "FileLock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Never through a symbolic link, and only a regular file: the program folder
// may be shared with other users. O_NONBLOCK keeps a FIFO planted in the lock
// file's place from hanging the open; it does nothing to a regular file.
int openLockFile(const QByteArray& path, int flags)
{
    const int fd = ::open(path.constData(), flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    struct stat info;
    if (fd >= 0 && (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool lock(int fd, short type)
{
    struct flock range = {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    int result = 0;
    do {
        result = ::fcntl(fd, F_OFD_SETLKW, &range);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

} // namespace

FileLock::FileLock(const QString& filePath, Mode mode)
{
    const QByteArray path = QFile::encodeName(lockPath(filePath));
    // A reader leaves no lock file behind where nobody writes; one that may
    // only read takes its shared lock with read access.
    int fd = openLockFile(path, mode == Mode::Exclusive ? O_RDWR | O_CREAT : O_RDWR);
    // Every operator of a shared folder must be able to take it exclusively,
    // whatever the umask of the one who made it.
    if (fd >= 0 && mode == Mode::Exclusive)
        ::fchmod(fd, 0660);
    if (fd < 0 && mode == Mode::Shared)
        fd = openLockFile(path, O_RDONLY);
    if (fd < 0)
        return;
    if (!lock(fd, mode == Mode::Exclusive ? F_WRLCK : F_RDLCK)) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

FileLock::~FileLock()
{
    // Closing the last descriptor of the open file releases its lock.
    if (m_fd >= 0)
        ::close(m_fd);
}

QString FileLock::lockPath(const QString& filePath)
{
    return filePath + QStringLiteral(".lock");
}
