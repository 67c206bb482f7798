#pragma once

#include <QString>

// An fcntl lock on the companion file "<path>.lock" beside a shared file.
// Every program that rewrites the file (this one, the stand-in service, any
// other instance) holds it exclusively from reading the file to renaming its
// new version into place, so that no save is built on a version that another
// save is about to replace; readers hold it shared. The locks belong to the
// open file (F_OFD_SETLK), so two threads or two objects of one process
// exclude each other too, and a process that dies releases its lock.
//
// A lock that another program holds is awaited through LockWait: with a
// deadline, cancellable, and without freezing a window.
class FileLock
{
public:
    enum class Mode { Shared, Exclusive };

    // Waits for the lock. It may not be held afterwards: the lock file could
    // not be opened or created (a read-only folder), is not a regular file,
    // or, for a shared lock, does not exist yet (nobody has written); or the
    // wait was abandoned (wasAbandoned()).
    FileLock(const QString& filePath, Mode mode);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool isHeld() const { return m_fd >= 0; }
    // Another program held the lock past the deadline, or the wait was
    // cancelled: the file must be left alone.
    bool wasAbandoned() const { return !m_abandonReason.isEmpty(); }
    // Why, for the operator: which lock file is held, by whom where known,
    // and what to do; empty when the wait was not abandoned.
    QString abandonReason() const { return m_abandonReason; }

    static QString lockPath(const QString& filePath);

private:
    bool tryLock(const QString& path, Mode mode);
    QString describeHolder(const QString& path) const;

    int m_fd = -1;
    QString m_abandonReason;
};
