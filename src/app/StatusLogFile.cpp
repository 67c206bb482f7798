#include "StatusLogFile.h"

#include "ProgramFolder.h"

#include <QFile>
#include <QFileInfo>

QString StatusLogFile::defaultPath()
{
    return ProgramFolder::filePath(QStringLiteral("QVZizaVure.log"));
}

StatusLogFile::StatusLogFile(const QString& path) : m_path(path) {}

void StatusLogFile::append(const QString& line)
{
    rotateIfFull();
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line.toUtf8() + '\n');
}

void StatusLogFile::rotateIfFull()
{
    if (QFileInfo(m_path).size() < MaxSize)
        return;
    const QString older = m_path + QStringLiteral(".1");
    QFile::remove(older);
    QFile::rename(m_path, older);
}
