#include "StatusLogFile.h"

#include "platform/ProgramFolder.h"
#include "platform/SharedFolderFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString StatusLogFile::defaultPath()
{
    return ProgramFolder::userFilePath(QStringLiteral("QVZizaVure.log"), ProgramFolder::UserFolder::State);
}

StatusLogFile::StatusLogFile(const QString& path) : m_path(path) {}

void StatusLogFile::append(const QString& line)
{
    int fd = openLog();
    if (fd >= 0 && isFull(fd)) {
        ::close(fd);
        // The full file becomes the older one in one step; a rename replaces
        // whatever had that name and follows no link.
        ::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_path + QStringLiteral(".1")).constData());
        fd = openLog();
    }
    if (fd < 0)
        return;
    const QByteArray bytes = line.toUtf8() + '\n';
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    ::close(fd);
}

// Readable by the operators' group, never by everybody.
int StatusLogFile::openLog() const
{
    return SharedFolderFile::open(m_path, O_WRONLY | O_APPEND | O_CREAT, 0640);
}

bool StatusLogFile::isFull(int fd)
{
    struct stat status;
    return ::fstat(fd, &status) == 0 && status.st_size >= MaxSize;
}
