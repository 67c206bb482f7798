#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace ProgramFolder {

namespace {

QString executableFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

} // namespace

QString installedFolder(const QString& executableFolder)
{
    // The install folders, relative to the prefix, come from the build, so
    // that a package unpacked anywhere finds its own folder.
    const QString folder = QDir::cleanPath(executableFolder);
    for (const QString& programFolder : {QStringLiteral(QVZ_INSTALL_BINDIR), QStringLiteral(QVZ_INSTALL_LIBEXECDIR)}) {
        if (!folder.endsWith(u'/' + programFolder))
            continue;
        const QString prefix = folder.chopped(programFolder.size() + 1);
        QString installed = QDir::cleanPath(prefix + u'/' + QStringLiteral(QVZ_INSTALL_STATEDIR));
        if (QFileInfo(installed).isDir())
            return installed;
    }
    return {};
}

bool isInstalled()
{
    // Asked at every call to the service; the answer cannot change.
    static const bool installed = !installedFolder(executableFolder()).isEmpty();
    return installed;
}

QString path()
{
    const QString home = qEnvironmentVariable("QVZIZAVURE_HOME");
    if (!home.isEmpty())
        return QDir(home).absolutePath();
    const QString executable = executableFolder();
    const QString installed = installedFolder(executable);
    return installed.isEmpty() ? executable : installed;
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
