#pragma once

#include <QString>

// The status log: each status line appended to a text file. When the file
// has reached MaxSize it becomes "<file>.1" (replacing the older one) and a
// new file is started, so the log never holds more than about twice MaxSize.
// The log is one operator's own: it lives in the user's state folder when the
// program folder is shared, and is never written through another user's link.
class StatusLogFile
{
public:
    static constexpr qint64 MaxSize = qint64(1024) * 1024;

    static QString defaultPath();

    explicit StatusLogFile(const QString& path);

    QString path() const { return m_path; }

    // A failed write is dropped: the log must never stop the program.
    void append(const QString& line);

private:
    int openLog() const;
    static bool isFull(int fd);

    QString m_path;
};
