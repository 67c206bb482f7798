#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QStringList>
#include <QVariantList>

// python3-dbusmock as a real process on a bus: an object that answers the
// methods the test adds through the mock's control interface and logs every
// call. The process dies with the test process.
class DbusMock
{
public:
    // The mock owns `name` on `bus`; its main object is at `path`.
    DbusMock(const QDBusConnection& bus, const QString& name, const QString& path);
    ~DbusMock();

    DbusMock(const DbusMock&) = delete;
    DbusMock& operator=(const DbusMock&) = delete;

    // Runs Debian's python3 with the arguments and waits until the name is
    // on the bus.
    bool start(const QStringList& pythonArguments, const QProcessEnvironment& environment);
    // Kills the mock; true once its name has left the bus.
    bool stop();

    // Calls a method of the control interface; true when it answered.
    bool call(const QString& method, const QVariantList& arguments) const;
    bool call(const QString& method, const QVariantList& arguments, const QString& path) const;
    // The logged calls of a method, each as its arguments joined by ",".
    QStringList calls(const QString& method) const;
    // The logged calls of a method, each as its arguments; one of a
    // container type stays a QDBusArgument (read it with qdbus_cast).
    QList<QVariantList> callArguments(const QString& method) const;
    void clearCalls() const;

private:
    QDBusConnection m_bus;
    QString m_name;
    QString m_path;
    QProcess m_process;
};
