#pragma once

#include <QString>

// An fcntl lock on the companion file "<path>.lock" beside a shared file.
// Every program that rewrites the file (this one, the stand-in service, any
// other instance) holds it exclusively from reading the file to renaming its
// new version into place, so that no save is built on a version that another
// save is about to replace; readers hold it shared. The locks belong to the
// open file (F_OFD_SETLKW), so two threads or two objects of one process
// exclude each other too, and a process that dies releases its lock.
class FileLock
{
public:
    enum class Mode { Shared, Exclusive };

    // Waits for the lock. It may not be held afterwards: the lock file could
    // not be opened or created (a read-only folder), is not a regular file,
    // or, for a shared lock, does not exist yet (nobody has written).
    FileLock(const QString& filePath, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isHeld() const { return m_fd >= 0; }

    static QString lockPath(const QString& filePath);

private:
    int m_fd = -1;
};
