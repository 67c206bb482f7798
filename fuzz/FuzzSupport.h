#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

// Helpers shared by the fuzz targets. A broken rule prints what it expected
// and aborts, which libFuzzer reports as a crash and keeps the input of.
namespace Fuzz {

[[noreturn]] inline void fail(const char* rule, const QString& detail = {})
{
    fprintf(stderr, "rule broken: %s\n%s\n", rule, detail.toUtf8().constData());
    abort();
}

inline void expect(bool holds, const char* rule, const QString& detail = {})
{
    if (!holds)
        fail(rule, detail);
}

// A folder for the files that the code under test reads, on tmpfs when the
// machine has one: a file is written for every input.
inline const QString& scratchFolder()
{
    static const QString base = [] {
        const QFileInfo shm(QStringLiteral("/dev/shm"));
        return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
    }();
    // Removed with its contents when the fuzzer exits.
    static const QTemporaryDir dir(base + QStringLiteral("/qvz-fuzz-XXXXXX"));
    if (!dir.isValid())
        fail("a scratch folder can be made", dir.errorString());
    static const QString path = dir.path();
    return path;
}

inline QString scratchFile(const QString& name)
{
    return scratchFolder() + u'/' + name;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("the scratch file can be written", path);
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail("the scratch file can be read", path);
    return file.readAll();
}

inline QByteArray bytesOf(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

} // namespace Fuzz
