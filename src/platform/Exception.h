#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Base of the errors that the program raises and that the command which
// started the work catches and reports.
class Exception : public std::exception
{
public:
    explicit Exception(const QString& message) : m_message(message), m_utf8(message.toUtf8()) {}

    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A settings file refused a write: "Unable to write to <path>".
class EWriteError : public Exception
{
public:
    using Exception::Exception;
};
