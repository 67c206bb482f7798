#pragma once

#include <QString>

// The folder that holds the program's own files: the folder of the
// executable, or the folder named by QVZIZAVURE_HOME for installs whose
// binary folder is read-only (and for tests). The program and the service
// follow the same rule so that they share one configuration file.
namespace ProgramFolder {

QString path();
QString filePath(const QString& fileName);

} // namespace ProgramFolder
