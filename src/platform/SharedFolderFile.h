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

// ::open() of a lock file, which programs of several users share: never
// through a symbolic link, only a regular file, never blocking. A file opened
// with O_CREAT is made 0660, whatever the umask of the one who made it, so
// that every operator of a shared folder can lock it. -1 when refused or failing.
int openLockFile(const QString& path, int flags);

} // namespace SharedFolderFile
