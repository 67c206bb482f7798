#pragma once

#include <QByteArray>
#include <QString>

namespace TestFiles {

QByteArray read(const QString& path);
void write(const QString& path, const QByteArray& bytes);

// What another user of a shared folder may put at `path`: "fifo", "folder",
// "own link" or "foreign link" (a link to `target` given to another user).
// False when it could not be made; giving a link away needs root.
bool plant(const QString& path, const QString& target, const QString& kind);

// While an instance lives, file permission checks of the calling thread are
// made as an unprivileged user, so that a read-only folder refuses writes even
// when the tests run as root.
class WithoutFilePrivileges
{
public:
    WithoutFilePrivileges();
    ~WithoutFilePrivileges();
    WithoutFilePrivileges(const WithoutFilePrivileges&) = delete;
    WithoutFilePrivileges& operator=(const WithoutFilePrivileges&) = delete;

private:
    unsigned m_uid;
    unsigned m_gid;
};

// A program that took an exclusive lock on the file at `path` (as another
// program of a shared folder does, with a lock that names its process) and
// was then stopped, as by a debugger or Ctrl+Z. It holds the lock until
// release() or the end of the instance, which kill it.
class StoppedLockHolder
{
public:
    explicit StoppedLockHolder(const QString& path);
    ~StoppedLockHolder() { release(); }
    StoppedLockHolder(const StoppedLockHolder&) = delete;
    StoppedLockHolder& operator=(const StoppedLockHolder&) = delete;

    bool isHolding() const { return m_pid > 0; }
    int pid() const { return m_pid; }
    void release();

private:
    int m_pid = -1;
};

} // namespace TestFiles
