#include "ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

} // namespace ProgramFolder
