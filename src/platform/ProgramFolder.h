#pragma once

#include <QString>

// The folder that holds the program's own files: the folder of the
// executable, or the folder named by QVZIZAVURE_HOME for installs whose
// binary folder is read-only (and for tests). The program and the service
// follow the same rule so that they share one configuration file.
namespace ProgramFolder {

QString path();
QString filePath(const QString& fileName);

// Whether users other than the owner may write the folder (by group or by others).
bool isShared();

// Where a file of one operator's own lives: the program folder while it is
// not shared; otherwise the user's own folder of that kind, made if missing
// ($XDG_CONFIG_HOME/qvzizavure or $XDG_STATE_HOME/qvzizavure).
enum class UserFolder { Config, State };
QString userFilePath(const QString& fileName, UserFolder folder);

} // namespace ProgramFolder
