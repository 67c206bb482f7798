#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace ProgramFolder {

QString path()
{
    const QString home = qEnvironmentVariable("QVZIZAVURE_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

QString filePath(const QString& fileName)
{
    return QDir(path()).filePath(fileName);
}

bool isShared()
{
    struct stat info;
    return ::stat(QFile::encodeName(path()).constData(), &info) == 0 && (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
}

QString userFilePath(const QString& fileName, UserFolder folder)
{
    if (!isShared())
        return filePath(fileName);
    const bool config = folder == UserFolder::Config;
    QString base = qEnvironmentVariable(config ? "XDG_CONFIG_HOME" : "XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + (config ? QStringLiteral("/.config") : QStringLiteral("/.local/state"));
    const QString own = base + QStringLiteral("/qvzizavure");
    QDir().mkpath(own);
    return QDir(own).filePath(fileName);
}

} // namespace ProgramFolder
