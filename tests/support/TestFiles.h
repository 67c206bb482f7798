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

} // namespace TestFiles
