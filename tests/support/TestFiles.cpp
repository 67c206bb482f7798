#include "TestFiles.h"

#include <QFile>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace TestFiles {

namespace {
constexpr unsigned NobodyId = 65534;
}

QByteArray read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool plant(const QString& path, const QString& target, const QString& kind)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(name.constData(), 0666) == 0;
    if (kind == QLatin1String("folder"))
        return ::mkdir(name.constData(), 0777) == 0;
    if (!QFile::link(target, path))
        return false;
    return kind != QLatin1String("foreign link") || ::lchown(name.constData(), 65534, 65534) == 0;
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

WithoutFilePrivileges::WithoutFilePrivileges() : m_uid(geteuid()), m_gid(getegid())
{
    // Changing the file-system ids away from 0 drops the capabilities that
    // let root write anywhere.
    setfsgid(NobodyId);
    setfsuid(NobodyId);
}

WithoutFilePrivileges::~WithoutFilePrivileges()
{
    setfsuid(m_uid);
    setfsgid(m_gid);
}

// The child does only what is safe after fork() in a program with threads.
StoppedLockHolder::StoppedLockHolder(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT, 0660);
        struct flock range = {};
        range.l_type = F_WRLCK;
        range.l_whence = SEEK_SET;
        if (fd < 0 || ::fcntl(fd, F_SETLK, &range) != 0)
            ::_exit(1);
        ::raise(SIGSTOP);
        ::_exit(0);
    }
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, WUNTRACED) == pid && WIFSTOPPED(status))
        m_pid = pid;
}

void StoppedLockHolder::release()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

} // namespace TestFiles
