#include "NamedMutex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QUrl>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLatin1String GlobalPrefix("Global\\");
const char ServiceFolder[] = "/run/qvzizavure";

// Guards heldPaths() and every open and close of a lock file, so that no
// thread closes a descriptor of a file whose lock another thread just took.
QMutex& registryMutex()
{
    static QMutex mutex;
    return mutex;
}

// The lock files this process holds through some NamedMutex.
QSet<QString>& heldPaths()
{
    static QSet<QString> paths;
    return paths;
}

QString lockFolderOverride()
{
    const QString folder = qEnvironmentVariable("QVZIZAVURE_LOCK_DIR");
    return folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

// Why a folder is not one only we can enter (a real directory, not a
// symlink, ours, closed to others); empty when it is.
QString privateFolderProblem(const QString& path)
{
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return qt_error_string(errno);
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("not a folder");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("owned by another user");
    if ((info.st_mode & 077) != 0)
        return QStringLiteral("open to other users");
    return {};
}

bool isPrivateFolder(const QString& path)
{
    return privateFolderProblem(path).isEmpty();
}

QString privateTempFolderPath()
{
    return QDir::tempPath() + QStringLiteral("/qvzizavure-") + QString::number(::geteuid());
}

QString privateTempFolder()
{
    const QString path = privateTempFolderPath();
    // Fails when the folder exists; whatever is there must pass the check below.
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return isPrivateFolder(path) ? path : QString();
}

// Why the service's folder cannot be trusted with its lock: only root can
// make it in /run, so it must be a real folder (not a link) that nobody but
// its owner, root or the service, can write; empty when it can.
QString serviceFolderProblem()
{
    struct stat info;
    if (::lstat(ServiceFolder, &info) != 0)
        return qt_error_string(errno);
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("not a folder");
    if ((info.st_mode & 022) != 0)
        return QStringLiteral("writable by other users");
    return {};
}

QString lockFileIn(const QString& folder, const QString& name)
{
    return folder + u'/' + QString::fromLatin1(QUrl::toPercentEncoding(name)) + QStringLiteral(".lock");
}

struct flock wholeFileLock(short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end of the file, however long it grows
    return lock;
}

// O_NONBLOCK so that a FIFO planted at the path cannot hang the open.
int openLockFile(const QString& path, int flags)
{
    return ::open(QFile::encodeName(path).constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0640);
}

// Only the holder writes its lock file; the folder's group (the operators'
// for the service's folder) reads it to see whether the lock is held, and
// nobody else may open it, so nobody else can hold a read lock on it that
// would keep the holder from starting.
void shareWithFolderGroup(int fd, const QString& path)
{
    struct stat folder;
    if (::stat(QFile::encodeName(QFileInfo(path).path()).constData(), &folder) == 0)
        static_cast<void>(::fchown(fd, uid_t(-1), folder.st_gid));
    ::fchmod(fd, 0640);
}

} // namespace

NamedMutex::NamedMutex(const QString& name) : m_name(name) {}

NamedMutex::~NamedMutex()
{
    unlock();
}

bool NamedMutex::tryLock()
{
    m_error.clear();
    if (isLocked())
        return true;
    const QString path = lockFilePath(m_name);
    if (path.isEmpty()) {
        m_error = folderProblem();
        return false;
    }

    QMutexLocker locker(&registryMutex());
    // Opening and closing the file again would drop the lock of the object that holds it.
    if (heldPaths().contains(path))
        return false;
    const int fd = openLockFile(path, O_RDWR | O_CREAT);
    if (fd < 0) {
        m_error = QStringLiteral("%1: %2").arg(QFileInfo(path).path(), qt_error_string(errno));
        return false;
    }
    shareWithFolderGroup(fd, path);
    struct flock lock = wholeFileLock(F_WRLCK);
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
        // EACCES and EAGAIN mean another process holds the lock.
        if (errno != EACCES && errno != EAGAIN)
            m_error = QStringLiteral("%1: %2").arg(QFileInfo(path).path(), qt_error_string(errno));
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_path = path;
    heldPaths().insert(path);
    return true;
}

void NamedMutex::unlock()
{
    if (!isLocked())
        return;
    QMutexLocker locker(&registryMutex());
    heldPaths().remove(m_path);
    ::close(m_fd); // drops the lock
    m_fd = -1;
    m_path.clear();
}

bool NamedMutex::isHeld(const QString& name)
{
    const QString path = lockFilePath(name);
    if (path.isEmpty())
        return false;

    QMutexLocker locker(&registryMutex());
    // The kernel reports only other processes' locks, and closing our own
    // descriptor below would drop the lock this process holds.
    if (heldPaths().contains(path))
        return true;
    // Read-only: the holder may be another user whose lock file we cannot write.
    const int fd = openLockFile(path, O_RDONLY);
    if (fd < 0)
        return false; // no lock file: nobody has ever held the lock
    struct flock lock = wholeFileLock(F_WRLCK);
    const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

QString NamedMutex::lockFilePath(const QString& name)
{
    const bool global = name.startsWith(GlobalPrefix);
    const QString bareName = global ? name.mid(GlobalPrefix.size()) : name;
    if (bareName.isEmpty())
        return {};

    const QString overridden = lockFolderOverride();
    if (!overridden.isEmpty())
        return lockFileIn(overridden, name); // the full name keeps "Global\X" apart from "X"
    const QString folder = global ? globalFolder() : localFolder();
    return folder.isEmpty() ? QString() : lockFileIn(folder, bareName);
}

QString NamedMutex::globalFolder()
{
    return serviceFolderProblem().isEmpty() ? QString::fromLatin1(ServiceFolder) : QString();
}

bool NamedMutex::makeGlobalFolder(const QString& sharedFolder, QString& error)
{
    if (!lockFolderOverride().isEmpty())
        return true;
    if (::mkdir(ServiceFolder, 0750) == 0) {
        // mkdir left out what the umask holds; the group reads the folder, nobody else.
        struct stat shared;
        if (::stat(QFile::encodeName(sharedFolder).constData(), &shared) == 0)
            static_cast<void>(::chown(ServiceFolder, uid_t(-1), shared.st_gid));
        ::chmod(ServiceFolder, 0750);
    }
    error = serviceFolderProblem();
    if (!error.isEmpty())
        error = QStringLiteral("%1: %2").arg(QString::fromLatin1(ServiceFolder), error);
    return error.isEmpty();
}

QString NamedMutex::folderProblem() const
{
    if (m_name.isEmpty() || m_name == GlobalPrefix)
        return QStringLiteral("no name given");
    if (m_name.startsWith(GlobalPrefix))
        return QStringLiteral("%1: %2").arg(QString::fromLatin1(ServiceFolder), serviceFolderProblem());
    return QStringLiteral("%1: %2").arg(privateTempFolderPath(), privateFolderProblem(privateTempFolderPath()));
}

QString NamedMutex::localFolder()
{
    QString overridden = lockFolderOverride();
    if (!overridden.isEmpty())
        return overridden;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return QDir::cleanPath(runtime);
    return privateTempFolder();
}
