#include "StatusLogFile.h"

#include "platform/ProgramFolder.h"
#include "platform/SharedFolderFile.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>

QString StatusLogFile::defaultPath()
{
    return ProgramFolder::userFilePath(QStringLiteral("QVZizaVure.log"), ProgramFolder::UserFolder::State);
}

StatusLogFile::StatusLogFile(const QString& path) : m_path(path) {}

void StatusLogFile::append(const QString& line)
{
    rotateIfFull();
    // Readable by the operators' group, never by everybody.
    const int fd = SharedFolderFile::open(m_path, O_WRONLY | O_APPEND | O_CREAT, 0640);
    if (fd < 0)
        return;
    const QByteArray bytes = line.toUtf8() + '\n';
    [[maybe_unused]] const ssize_t written = ::write(fd, bytes.constData(), size_t(bytes.size()));
    ::close(fd);
}

void StatusLogFile::rotateIfFull()
{
    if (QFileInfo(m_path).size() < MaxSize)
        return;
    const QString older = m_path + QStringLiteral(".1");
    QFile::remove(older);
    QFile::rename(m_path, older);
}
