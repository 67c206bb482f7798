#include "SharedFolderFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longer chains of the user's own links are refused like a loop.
constexpr int MaxLinks = 8;

// Closes without losing the errno of the failure that made us close.
void closeKeepingErrno(int fd)
{
    const int error = errno;
    ::close(fd);
    errno = error;
}

bool mayFollow(const struct stat& link)
{
    return link.st_uid == ::geteuid() || link.st_uid == 0;
}

QString targetPath(const QString& linkPath, const QByteArray& target)
{
    const QString name = QFile::decodeName(target);
    return QDir::isAbsolutePath(name) ? name : QFileInfo(linkPath).path() + u'/' + name;
}

// What is at `path`, not followed: the target of a link that may be followed,
// an empty text for anything else, which `status` then describes; nothing,
// with errno set, when it cannot be looked at or is a link of another user.
// The link's owner and target are read from one descriptor of the link, so
// they belong to the same link.
std::optional<QString> linkTarget(const QString& path, struct stat& status)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QString> target;
    if (::fstat(fd, &status) != 0) {
        closeKeepingErrno(fd);
        return std::nullopt;
    }
    if (!S_ISLNK(status.st_mode)) {
        target.emplace();
    } else if (!mayFollow(status)) {
        errno = ELOOP;
    } else {
        char buffer[PATH_MAX];
        const ssize_t length = ::readlinkat(fd, "", buffer, sizeof buffer);
        if (length > 0 && size_t(length) < sizeof buffer)
            target = targetPath(path, QByteArray(buffer, length));
        else if (length >= 0)
            errno = ENAMETOOLONG;
    }
    closeKeepingErrno(fd);
    return target;
}

int keepRegularFile(int fd)
{
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode))
        return fd;
    ::close(fd);
    errno = ENODEV;
    return -1;
}

int openFollowingTrustedLinks(const QString& path, int flags, mode_t mode, int links)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd >= 0)
        return keepRegularFile(fd);
    if (errno != ELOOP || links == MaxLinks)
        return -1;
    struct stat status;
    const std::optional<QString> target = linkTarget(path, status);
    if (!target)
        return -1;
    // No link any more: another took its place meanwhile; look again.
    return openFollowingTrustedLinks(target->isEmpty() ? path : *target, flags, mode, links + 1);
}

// The name that a write replaces: the target of trusted links, followed to
// the end. `status` describes the file there, when `exists`.
std::optional<QString> nameToReplace(const QString& path, struct stat& status, bool& exists)
{
    QString name = path;
    for (int links = 0; links <= MaxLinks; ++links) {
        const std::optional<QString> target = linkTarget(name, status);
        if (!target) {
            exists = false;
            return errno == ENOENT ? std::optional<QString>(name) : std::nullopt;
        }
        if (target->isEmpty()) {
            exists = true;
            return name;
        }
        name = *target;
    }
    errno = ELOOP;
    return std::nullopt;
}

// A file of a name that nobody had: `name`, a dot and six letters or digits.
int createTemporaryBeside(const QString& name, QString& temporary)
{
    static const char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString suffix;
        for (int i = 0; i < 6; ++i)
            suffix += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters) - 1)]);
        temporary = name + u'.' + suffix;
        const int fd = ::open(QFile::encodeName(temporary).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Flushed before the rename, so that the name never holds a file whose bytes
// a full disk or a crash kept from reaching it.
bool fillAndPlace(int fd, const QString& temporary, const QString& name, QByteArrayView bytes,
                  std::optional<mode_t> mode, struct stat* written)
{
    if ((mode && ::fchmod(fd, *mode) != 0) || !writeAll(fd, bytes) || ::fsync(fd) != 0)
        return false;
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(name).constData()) != 0)
        return false;
    if (written)
        ::fstat(fd, written);
    return true;
}

} // namespace

namespace SharedFolderFile {

QString reason(int error)
{
    switch (error) {
    case ELOOP:
        return QCoreApplication::translate("SharedFolderFile", "it is a link owned by another user");
    case ENODEV:
    case ENXIO:
    case EISDIR:
        return QCoreApplication::translate("SharedFolderFile", "it is not a regular file");
    case EACCES:
        return QCoreApplication::translate("SharedFolderFile", "permission denied");
    default: {
        QString text = QString::fromLocal8Bit(std::strerror(error));
        if (!text.isEmpty())
            text[0] = text[0].toLower(); // it follows a colon
        return text;
    }
    }
}

int open(const QString& path, int flags, mode_t mode)
{
    return openFollowingTrustedLinks(path, flags, mode, 0);
}

std::optional<QByteArray> readAll(int fd, qint64 limit)
{
    // Read straight into a buffer of the file's size (one byte more, to see
    // the end at once): a large configuration is read in one pass, without
    // copies. A file that grows meanwhile grows the buffer.
    struct stat info;
    const qint64 expected = ::fstat(fd, &info) == 0 ? qint64(info.st_size) : 0;
    QByteArray content(qsizetype(qMax<qint64>(65536, qMin(expected, limit) + 1)), Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == content.size())
            content.resize(size * 2);
        const ssize_t n = ::read(fd, content.data() + size, size_t(content.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0) {
            content.truncate(size);
            return content;
        }
        size += n;
        if (size > limit) {
            errno = EFBIG;
            return std::nullopt;
        }
    }
}

std::optional<QByteArray> read(const QString& path, qint64 limit)
{
    const int fd = open(path, O_RDONLY);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> content = readAll(fd, limit);
    closeKeepingErrno(fd);
    return content;
}

bool replace(const QString& path, QByteArrayView bytes, std::optional<mode_t> newFileMode, struct stat* written)
{
    struct stat status;
    bool exists = false;
    const std::optional<QString> name = nameToReplace(path, status, exists);
    if (!name)
        return false;
    if (exists && !S_ISREG(status.st_mode)) {
        errno = ENODEV;
        return false;
    }
    QString temporary;
    const int fd = createTemporaryBeside(*name, temporary);
    if (fd < 0)
        return false;
    const std::optional<mode_t> mode = exists ? std::optional<mode_t>(status.st_mode & 07777) : newFileMode;
    const bool placed = fillAndPlace(fd, temporary, *name, bytes, mode, written);
    const int error = errno;
    if (!placed)
        ::unlink(QFile::encodeName(temporary).constData());
    // A failed close after fsync loses nothing: the bytes are on the disk.
    ::close(fd);
    errno = error;
    return placed;
}

int openLockFile(const QString& path, int flags)
{
    const int fd = open(path, flags, 0660);
    if (fd >= 0 && (flags & O_CREAT))
        ::fchmod(fd, 0660);
    return fd;
}

bool makeFolder(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    if (::mkdir(name.constData(), 0770) != 0)
        return errno == EEXIST;
    struct stat status;
    if (::stat(name.constData(), &status) == 0)
        ::chmod(name.constData(), (status.st_mode & 07777) | 0070);
    return true;
}

} // namespace SharedFolderFile
