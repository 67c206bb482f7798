#include "FileLock.h"

#include "LockWait.h"
#include "SharedFolderFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct flock wholeFile(short type)
{
    struct flock range = {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    return range;
}

// Whether the path still names the file open on `fd`: a lock file that
// somebody removed or replaced after it was opened locks nothing that the
// next program would see.
bool stillNamedBy(int fd, const QString& path)
{
    struct stat opened;
    struct stat named;
    return ::fstat(fd, &opened) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

FileLock::FileLock(const QString& filePath, Mode mode)
{
    const QString path = lockPath(filePath);
    bool usable = true;
    const LockWait::Outcome outcome = LockWait::wait(QFileInfo(filePath).fileName(), [&] {
        usable = tryLock(path, mode) || errno == EAGAIN;
        return isHeld() || !usable;
    });
    if (isHeld() || !usable)
        return;
    const QString lockFile = QDir::toNativeSeparators(path);
    if (outcome == LockWait::Outcome::Cancelled)
        m_abandonReason =
            QCoreApplication::translate("FileLock", "the wait for its lock %1 was cancelled").arg(lockFile);
    else
        m_abandonReason =
            QCoreApplication::translate("FileLock", "its lock %1 is held by another program%2 for more than "
                                                    "%3 seconds; close that program, or end it if it does not "
                                                    "answer, and try again")
                .arg(lockFile, describeHolder(path))
                .arg(LockWait::deadlineMs() / 1000);
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

// One attempt, which never waits. The file is opened afresh each time, so
// that a lock file replaced meanwhile is the new one. False with errno
// EAGAIN while another holds the lock, else with the reason it cannot be used.
bool FileLock::tryLock(const QString& path, Mode mode)
{
    // A reader leaves no lock file behind where nobody writes; one that may
    // only read takes its shared lock with read access.
    int fd = SharedFolderFile::openLockFile(path, mode == Mode::Exclusive ? O_RDWR | O_CREAT : O_RDWR);
    if (fd < 0 && mode == Mode::Shared)
        fd = SharedFolderFile::openLockFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    struct flock range = wholeFile(mode == Mode::Exclusive ? F_WRLCK : F_RDLCK);
    const bool locked = ::fcntl(fd, F_OFD_SETLK, &range) == 0;
    const int error = errno;
    if (locked && stillNamedBy(fd, path)) {
        m_fd = fd;
        return true;
    }
    ::close(fd);
    errno = !locked && error != EACCES && error != EAGAIN && error != EINTR ? error : EAGAIN;
    return false;
}

// " (process N)" for a holder whose lock names its process; a lock of an
// open file, as this program takes, names none.
QString FileLock::describeHolder(const QString& path) const
{
    const int fd = SharedFolderFile::openLockFile(path, O_RDONLY);
    if (fd < 0)
        return {};
    struct flock range = wholeFile(F_WRLCK);
    const bool known = ::fcntl(fd, F_GETLK, &range) == 0 && range.l_type != F_UNLCK && range.l_pid > 0;
    ::close(fd);
    return known ? QCoreApplication::translate("FileLock", " (process %1)").arg(range.l_pid) : QString();
}
