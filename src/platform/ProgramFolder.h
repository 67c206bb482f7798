#pragma once

#include <QString>

// The folder that holds the program's own files: the folder named by
// QVZIZAVURE_HOME; else, for an installed program, the folder that its package
// made (/var/lib/qvzizavure for one in /usr/bin); else the folder of the
// executable, as in a build tree. The program and the service follow the same
// rule so that they share one configuration file.
namespace ProgramFolder {

QString path();
QString filePath(const QString& fileName);

// The package's folder for a program in executableFolder, when that is an
// installed program's folder (<prefix>/bin or <prefix>/libexec/qvzizavure)
// and the package's folder exists beside it; else empty.
QString installedFolder(const QString& executableFolder);

// Whether this program runs from an installed package rather than a build tree.
bool isInstalled();

// Whether users other than the owner may write the folder (by group or by others).
bool isShared();

// Where a file of one operator's own lives: the program folder while it is
// not shared; otherwise the user's own folder of that kind, made if missing
// ($XDG_CONFIG_HOME/qvzizavure or $XDG_STATE_HOME/qvzizavure).
enum class UserFolder { Config, State };
QString userFilePath(const QString& fileName, UserFolder folder);

} // namespace ProgramFolder
