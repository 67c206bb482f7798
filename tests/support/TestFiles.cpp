#include "TestFiles.h"

#include <QFile>
#include <QTest>

#include <sys/fsuid.h>
#include <sys/stat.h>
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

} // namespace TestFiles
