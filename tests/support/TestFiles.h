#pragma once

#include <QByteArray>
#include <QString>

namespace TestFiles {

QByteArray read(const QString& path);
void write(const QString& path, const QByteArray& bytes);

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

} // namespace TestFiles
