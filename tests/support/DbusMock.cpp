#include "DbusMock.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTest>

#include <csignal>

#include <sys/prctl.h>

namespace {

constexpr int StartTimeoutMs = 10000;
const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

QList<QVariantList> argumentsOf(const QDBusArgument& log)
{
    QList<QVariantList> result;
    log.beginArray();
    while (!log.atEnd()) {
        qulonglong time = 0;
        QVariantList arguments;
        log.beginStructure();
        log >> time;
        log.beginArray();
        while (!log.atEnd()) {
            QDBusVariant argument;
            log >> argument;
            arguments << argument.variant();
        }
        log.endArray();
        log.endStructure();
        result << arguments;
    }
    log.endArray();
    return result;
}

} // namespace

DbusMock::DbusMock(const QDBusConnection& bus, const QString& name, const QString& path)
    : m_bus(bus), m_name(name), m_path(path)
{
}

DbusMock::~DbusMock()
{
    stop();
}

bool DbusMock::start(const QStringList& pythonArguments, const QProcessEnvironment& environment)
{
    m_process.setProcessEnvironment(environment);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    // Debian's python3, which has the dbusmock package, not the first one on PATH.
    m_process.start(QStringLiteral("/usr/bin/python3"), pythonArguments);
    return QTest::qWaitFor(
               [this] {
                   return m_bus.interface()->isServiceRegistered(m_name) || m_process.state() == QProcess::NotRunning;
               },
               StartTimeoutMs) &&
           m_process.state() != QProcess::NotRunning;
}

bool DbusMock::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    m_process.kill();
    m_process.waitForFinished();
    return QTest::qWaitFor([this] { return !m_bus.interface()->isServiceRegistered(m_name); }, StartTimeoutMs);
}

bool DbusMock::call(const QString& method, const QVariantList& arguments) const
{
    return call(method, arguments, m_path);
}

bool DbusMock::call(const QString& method, const QVariantList& arguments, const QString& path) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(m_name, path, MockInterface, method);
    message.setArguments(arguments);
    return m_bus.call(message).type() == QDBusMessage::ReplyMessage;
}

QStringList DbusMock::calls(const QString& method) const
{
    QStringList result;
    for (const QVariantList& arguments : callArguments(method)) {
        QStringList texts;
        for (const QVariant& argument : arguments)
            texts << argument.toString();
        result << texts.join(u',');
    }
    return result;
}

QList<QVariantList> DbusMock::callArguments(const QString& method) const
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(m_name, m_path, MockInterface, QStringLiteral("GetMethodCalls"));
    message << method;
    const QDBusMessage reply = m_bus.call(message);
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {{QStringLiteral("no call log: ") + reply.errorMessage()}};
    return argumentsOf(reply.arguments().value(0).value<QDBusArgument>());
}

void DbusMock::clearCalls() const
{
    call(QStringLiteral("ClearCalls"), {});
}
