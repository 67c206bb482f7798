#include "ServiceManager.h"

#include "Exception.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString SystemdService = QStringLiteral("org.freedesktop.systemd1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString UnitInterface = QStringLiteral("org.freedesktop.systemd1.Unit");

// The window waits for every call; a hung manager may hold it this long, no longer.
constexpr int CallTimeoutMs = 5000;

QDBusConnection::BusType managerBus()
{
    return qEnvironmentVariable("QVZIZAVURE_SERVICE_MANAGER") == QLatin1String("user") ? QDBusConnection::SessionBus
                                                                                       : QDBusConnection::SystemBus;
}

QString unitName(const QString& serviceName)
{
    return serviceName + QStringLiteral(".service");
}

QDBusMessage managerCall(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(SystemdService, ManagerPath, ManagerInterface, method);
    message.setArguments(arguments);
    return message;
}

} // namespace

// A connection of our own rather than the shared one: a manager created after
// the bus daemon restarted connects afresh.
TServiceManager::TServiceManager()
    : m_connectionName(QStringLiteral("qvz-service-manager-") + QString::number(reinterpret_cast<quintptr>(this), 16)),
      m_bus(QDBusConnection::connectToBus(managerBus(), m_connectionName))
{
}

TServiceManager::~TServiceManager()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
}

void TServiceManager::SelectService(const QString& name)
{
    if (name == m_serviceName)
        return;
    m_serviceName = name;
    m_unitPath.clear();
    if (!m_bus.isConnected())
        return;

    const QDBusMessage loaded =
        m_bus.call(managerCall(QStringLiteral("LoadUnit"), {unitName(name)}), QDBus::Block, CallTimeoutMs);
    if (loaded.type() != QDBusMessage::ReplyMessage)
        return;
    const QString unitPath = loaded.arguments().value(0).value<QDBusObjectPath>().path();
    if (unitPath.isEmpty())
        return;

    // systemd answers LoadUnit for units that have no file, or are masked or
    // broken, too; only a loaded unit can be started or stopped.
    QDBusMessage get = QDBusMessage::createMethodCall(
        SystemdService, unitPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << UnitInterface << QStringLiteral("LoadState");
    const QDBusMessage state = m_bus.call(get, QDBus::Block, CallTimeoutMs);
    if (state.type() != QDBusMessage::ReplyMessage)
        return;
    if (state.arguments().value(0).value<QDBusVariant>().variant().toString() == QLatin1String("loaded"))
        m_unitPath = unitPath;
}

bool TServiceManager::StartService()
{
    if (m_unitPath.isEmpty())
        throw Exception(QStringLiteral("TServiceManager.StartService: Service not selected"));
    const QDBusMessage reply =
        m_bus.call(managerCall(QStringLiteral("StartUnit"), {unitName(m_serviceName), QStringLiteral("replace")}),
                   QDBus::Block, CallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void TServiceManager::StopService()
{
    if (m_unitPath.isEmpty())
        throw Exception(QStringLiteral("TServiceManager.StopService: Service not selected"));
    m_bus.call(managerCall(QStringLiteral("StopUnit"), {unitName(m_serviceName), QStringLiteral("replace")}),
               QDBus::Block, CallTimeoutMs);
}

void LaunchService()
{
    TServiceManager manager;
    manager.SelectService(PostProcessingServiceName);
    manager.StartService();
}

void HaltService()
{
    TServiceManager manager;
    manager.SelectService(PostProcessingServiceName);
    manager.StopService();
}
