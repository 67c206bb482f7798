#include "FileLock.h"

#include "SharedFolderFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

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
    const QString path = lockPath(filePath);
    // A reader leaves no lock file behind where nobody writes; one that may
    // only read takes its shared lock with read access.
    int fd = SharedFolderFile::openLockFile(path, mode == Mode::Exclusive ? O_RDWR | O_CREAT : O_RDWR);
    if (fd < 0 && mode == Mode::Shared)
        fd = SharedFolderFile::openLockFile(path, O_RDONLY);
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
