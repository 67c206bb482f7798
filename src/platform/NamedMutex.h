#pragma once

#include <QString>

// A named lock shared by all processes of the machine, as a POSIX record lock
// (fcntl F_SETLK, a write lock over the whole file) on "<folder>/<name>.lock".
// The kernel drops the lock when its holder ends, even when it crashes.
//
// Folders:
// - plain names live in the user's runtime folder: $XDG_RUNTIME_DIR, or else a
//   private "<temp>/qvzizavure-<uid>" (mode 0700, ours, not a symlink);
// - names starting with "Global\" live, without that prefix, in the system
//   service's folder /run/qvzizavure, which only root and the service may
//   write (systemd's RuntimeDirectory=, or the service run as root, makes it);
//   the lock file is readable by the folder's group, the operators, so that
//   nobody else can open it, and so hold a read lock that would keep the
//   service from starting. A folder that others may write, or a link, is
//   refused.
// - when QVZIZAVURE_LOCK_DIR is set, every name lives there under its full
//   name ("Global\X" and "X" stay two different files). Tests use this.
//
// A name is percent-encoded into a single file name, so "/" or ".." cannot
// leave the folder and different names never share a file. An empty name is
// refused. Lock files are left in place when unlocked: removing them would
// race with a process that has just opened one.
//
// Record locks belong to a process, not to a descriptor, and closing any
// descriptor of the file drops all of the process's locks on it. So this
// class keeps one descriptor per held lock and remembers which lock files the
// process holds: a second object of the same name in the same process is
// refused, and isHeld() answers for the process itself without opening the
// file again.
class NamedMutex
{
public:
    explicit NamedMutex(const QString& name); // does not lock
    ~NamedMutex();                            // releases a lock it holds
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Takes the lock; false when another process or another object holds it,
    // or when the lock file cannot be opened.
    bool tryLock();
    bool isLocked() const { return m_fd >= 0; }
    // Why the last tryLock() could not use the lock at all ("<folder>:
    // <reason>"); empty when it succeeded or another holder has the lock.
    QString errorString() const { return m_error; }
    void unlock();

    // Whether some process holds the named lock, without taking it.
    static bool isHeld(const QString& name);
    // The lock file of name; empty when the name is refused or its folder is unsafe.
    static QString lockFilePath(const QString& name);
    // The per-user folder of plain names, shared with other per-user runtime
    // files (the single-instance socket); empty when it is unsafe.
    static QString localFolder();
    // The folder of "Global\" names; empty when it is missing or unsafe.
    static QString globalFolder();
    // Makes the folder of "Global\" names when it is missing, which only root
    // may, readable by the group of the folder `sharedFolder` (the program
    // folder, which the operators' group shares). False, with the reason in
    // `error`, when the folder is still missing or unsafe.
    static bool makeGlobalFolder(const QString& sharedFolder, QString& error);

private:
    QString folderProblem() const;

    QString m_name;
    QString m_path;
    QString m_error;
    int m_fd = -1;
};
