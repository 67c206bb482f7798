#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <limits>
#include <optional>

#include <sys/stat.h>
#include <sys/types.h>

// Files in a folder that other users may write, as a shared program folder
// is. Every file of the program folder is opened and written here, one way:
//
// - A symbolic link is followed only when it belongs to this user or to root
//   (the rule of the kernel's protected_symlinks). The link is looked at
//   through a descriptor of its own, so that nobody can swap another in
//   between the check and the use.
// - Only a regular file is used, checked on the descriptor after opening,
//   which never blocks: a FIFO or a device planted in a file's place neither
//   hangs the program nor feeds it without end.
// - Content is read from that descriptor alone.
// - A new content is written into a new file made in the same folder and
//   renamed onto the name: a rename replaces whatever is there, a link
//   included, and never follows it.
//
// Failures set errno: ELOOP for a link that is not followed, ENODEV for
// anything but a regular file, EFBIG for a file over the reader's limit.
namespace SharedFolderFile {

// Why an open, read or replace failed, from its errno, for the operator:
// "it is a link owned by another user", "permission denied", ...
QString reason(int error);

// ::open() under the rules above; -1 with errno set when refused or failing.
int open(const QString& path, int flags, mode_t mode = 0);

// The whole content of an open file; nothing, with errno set, when it cannot
// be read or holds more than `limit` bytes (EFBIG).
std::optional<QByteArray> readAll(int fd, qint64 limit = std::numeric_limits<qint64>::max());

// The content of the file at `path`, opened under the rules above.
std::optional<QByteArray> read(const QString& path, qint64 limit = std::numeric_limits<qint64>::max());

// Replaces the file at `path` (or the target of this user's or root's link
// there) by `bytes` in one step: the file is whole, old or new, whenever it is
// read. A file that is there keeps its mode; a new one gets `newFileMode`, or
// 0666 less the umask without one. `written`, when given, receives the status
// of the new file once in place. False with errno set, leaving the file as it
// was and no temporary file behind.
bool replace(const QString& path, QByteArrayView bytes, std::optional<mode_t> newFileMode,
             struct stat* written = nullptr);

// open() of a lock file, which programs of several users share. A file opened
// with O_CREAT is made 0660, whatever the umask of the one who made it, so
// that every operator of a shared folder can lock it. -1 when refused or failing.
int openLockFile(const QString& path, int flags);

// Makes a folder inside the shared folder that every operator of its group
// may write, whatever the umask of the one who makes it (group rwx, and the
// group and set-group-id bit that the shared folder hands down). True when
// the folder is there, made now or before; false with errno set.
bool makeFolder(const QString& path);

} // namespace SharedFolderFile
