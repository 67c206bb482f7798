#include "ScheduleHold.h"

#include "ServiceLog.h"
#include "config/DataDef.h"
#include "platform/LockWait.h"
#include "platform/SharedFolderFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr off_t GuardByte = 0;
const QByteArray ActiveRecord = QByteArrayLiteral("active");
const QByteArray SuspendedRecord = QByteArrayLiteral("suspended");

// A descriptor of the hold file; closing it drops every lock taken through it.
class HoldFile
{
public:
    explicit HoldFile(int fd) : m_fd(fd) {}
    ~HoldFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HoldFile(const HoldFile&) = delete;
    HoldFile& operator=(const HoldFile&) = delete;

    int fd() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

struct flock byteRange(short type, off_t byte)
{
    struct flock range = {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = byte;
    range.l_len = 1;
    return range;
}

bool lockByte(int fd, short type, off_t byte)
{
    struct flock range = byteRange(type, byte);
    return ::fcntl(fd, F_OFD_SETLK, &range) == 0;
}

// The slots locked through other open files: the kernel never reports fd's own.
QList<int> liveSlots(int fd)
{
    QList<int> slots;
    for (off_t slot = 1; slot <= TScheduleHold::MaxHolders; ++slot) {
        struct flock range = byteRange(F_WRLCK, slot);
        if (::fcntl(fd, F_OFD_GETLK, &range) == 0 && range.l_type != F_UNLCK)
            slots.append(int(slot));
    }
    return slots;
}

int countHolders(int fd)
{
    return int(liveSlots(fd).size());
}

// The slot taken, or 0 when all are.
int takeSlot(int fd)
{
    for (off_t slot = 1; slot <= TScheduleHold::MaxHolders; ++slot) {
        if (lockByte(fd, F_WRLCK, slot))
            return int(slot);
    }
    return 0;
}

// Who holds a slot, for those who wonder why the schedule does not run:
// "<folder>.d/<slot>", written by the holder. A file left by a program that
// ended names nobody, since only a locked slot is read.
QString slotNamePath(const QString& holdPath, int slot)
{
    return holdPath + QStringLiteral(".d/") + QString::number(slot);
}

void writeSlotName(const QString& holdPath, int slot)
{
    if (!SharedFolderFile::makeFolder(holdPath + QStringLiteral(".d")))
        return;
    const struct passwd* user = ::getpwuid(::getuid());
    const QString name = QStringLiteral("%1@%2 (%3, process %4)")
                             .arg(user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::getuid()),
                                  QSysInfo::machineHostName(), QCoreApplication::applicationName())
                             .arg(QCoreApplication::applicationPid());
    if (!SharedFolderFile::replace(slotNamePath(holdPath, slot), name.toUtf8(), 0660))
        qCWarning(lcService, "The schedule hold's name not written: %s", strerror(errno));
}

// Whether the schedule ran when the holders came; none when nobody holds.
// Only the first line counts: a record is written over the old one before
// the file is cut to its length.
std::optional<bool> readRecord(int fd)
{
    char text[32];
    const ssize_t length = ::pread(fd, text, sizeof text, 0);
    const QByteArray record = QByteArray(text, qMax<ssize_t>(length, 0)).split('\n').value(0).trimmed();
    if (record == ActiveRecord)
        return true;
    if (record == SuspendedRecord)
        return false;
    return std::nullopt;
}

bool writeRecord(int fd, bool wasActive)
{
    const QByteArray text = (wasActive ? ActiveRecord : SuspendedRecord) + '\n';
    return ::pwrite(fd, text.constData(), size_t(text.size()), 0) == text.size() && ::ftruncate(fd, text.size()) == 0;
}

void clearRecord(int fd)
{
    if (::ftruncate(fd, 0) != 0)
        qCWarning(lcService, "The schedule hold's record not cleared: %s", strerror(errno));
}

// The short exclusive lock under which a holder comes or goes.
class Guard
{
public:
    Guard(int fd, const QString& path) : m_fd(fd)
    {
        LockWait::wait(
            QFileInfo(path).fileName(), [&] { return m_held = lockByte(fd, F_WRLCK, GuardByte); },
            TScheduleHold::GuardWaitMs);
        if (!m_held)
            qCWarning(lcService, "The schedule hold's guard is still taken after %d ms", TScheduleHold::GuardWaitMs);
    }
    ~Guard()
    {
        if (m_held)
            lockByte(m_fd, F_UNLCK, GuardByte);
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

    bool isHeld() const { return m_held; }

private:
    int m_fd;
    bool m_held = false;
};

} // namespace

TScheduleHold::TScheduleHold(TServiceLink& link, const QString& configPath) : m_link(link), m_path(holdPath(configPath))
{
}

TScheduleHold::~TScheduleHold()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString TScheduleHold::holdPath(const QString& configPath)
{
    return configPath + QStringLiteral(".hold");
}

// Without the guard (another program stuck in its turn) the window still
// opens: a race with that turn is a smaller harm than a window that cannot.
void TScheduleHold::take()
{
    if (isHeld() || !m_link.isLinked())
        return;
    HoldFile file(SharedFolderFile::openLockFile(m_path, O_RDWR | O_CREAT));
    if (file.fd() < 0)
        throw EWriteError(QStringLiteral("Unable to write to %1").arg(m_path));
    const Guard guard(file.fd(), m_path);
    m_slot = takeSlot(file.fd());
    if (m_slot == 0)
        throw EWriteError(
            QStringLiteral("Unable to write to %1: %2 windows hold the schedule already").arg(m_path).arg(MaxHolders));
    // Written before suspending: a program killed between the two leaves a
    // record that a running schedule makes harmless.
    const bool active = m_link.GetProcessingState() == ProcessingActive;
    if (!writeRecord(file.fd(), readRecord(file.fd()).value_or(false) || active))
        throw EWriteError(QStringLiteral("Unable to write to %1").arg(m_path));
    m_link.SuspendProcessing();
    writeSlotName(m_path, m_slot);
    m_fd = file.release();
}

void TScheduleHold::release()
{
    if (!isHeld())
        return;
    // The slot goes with the descriptor, after the guard, whatever happens.
    ::unlink(QFile::encodeName(slotNamePath(m_path, m_slot)).constData());
    const HoldFile file(std::exchange(m_fd, -1));
    const Guard guard(file.fd(), m_path);
    if (countHolders(file.fd()) > 0)
        return;
    if (readRecord(file.fd()).value_or(false)) {
        // Unlinked, the record stays for this program's next link.
        if (!m_link.isLinked())
            return;
        m_link.ResumeProcessing();
    }
    clearRecord(file.fd());
}

int TScheduleHold::holderCount(const QString& configPath)
{
    const HoldFile file(SharedFolderFile::openLockFile(holdPath(configPath), O_RDONLY));
    return file.fd() < 0 ? 0 : countHolders(file.fd());
}

QStringList TScheduleHold::holderNames(const QString& configPath)
{
    const QString path = holdPath(configPath);
    const HoldFile file(SharedFolderFile::openLockFile(path, O_RDONLY));
    QStringList names;
    if (file.fd() < 0)
        return names;
    for (const int slot : liveSlots(file.fd())) {
        const std::optional<QByteArray> name = SharedFolderFile::read(slotNamePath(path, slot), 1024);
        names.append(name ? QString::fromUtf8(*name) : QStringLiteral("?"));
    }
    return names;
}

bool TScheduleHold::recoverAbandoned(TServiceLink& link, const QString& configPath)
{
    const HoldFile file(SharedFolderFile::openLockFile(holdPath(configPath), O_RDWR));
    if (file.fd() < 0)
        return false;
    const Guard guard(file.fd(), holdPath(configPath));
    if (!guard.isHeld() || countHolders(file.fd()) > 0)
        return false;
    const std::optional<bool> wasActive = readRecord(file.fd());
    if (!wasActive.has_value())
        return false;
    bool resumed = false;
    try {
        if (*wasActive && link.GetProcessingState() != ProcessingActive) {
            link.ResumeProcessing();
            resumed = true;
        }
    } catch (const EServiceError& error) {
        qCWarning(lcService, "The schedule left on hold not resumed: %s", error.what());
        return false;
    }
    clearRecord(file.fd());
    return resumed;
}
