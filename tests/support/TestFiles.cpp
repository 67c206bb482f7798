#include "TestFiles.h"

#include <QFile>
#include <QTest>

#include <sys/fsuid.h>
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
