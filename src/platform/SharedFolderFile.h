#pragma once

#include <QString>

#include <sys/types.h>

// Files in a folder that other users may write, as a shared program folder
// is. A symbolic link is followed only when it belongs to this user or to
// root (the rule of the kernel's protected_symlinks), and only a regular file
// is used, so that nobody can make the program write where they choose, or
// hang it on a FIFO planted in a file's place.
namespace SharedFolderFile {

// Why the file must not be used; empty when it may (a missing file may be).
QString refusal(const QString& path);

// ::open() under the rule above; -1 with errno set when refused or failing.
// Never blocks on a FIFO.
int open(const QString& path, int flags, mode_t mode = 0);

} // namespace SharedFolderFile
