#include "ServiceManager.h"

#include "platform/Exception.h"
#include "service/ServiceContract.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QScopeGuard>

namespace {

const QString SystemdService = QStringLiteral("org.freedesktop.systemd1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/systemd1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString UnitInterface = QStringLiteral("org.freedesktop.systemd1.Unit");

// The window waits for every call; a hung manager may hold it this long, no longer.
constexpr int CallTimeoutMs = 5000;

// The manager of the bus that the service is on, unless chosen explicitly.
QDBusConnection::BusType managerBus()
{
    const QString chosen = qEnvironmentVariable("QVZIZAVURE_SERVICE_MANAGER");
    const bool system = chosen.isEmpty() ? ServiceContract::usesSystemBus() : chosen != QLatin1String("user");
    return system ? QDBusConnection::SystemBus : QDBusConnection::SessionBus;
}

QString unitName(const QString& serviceName)
{
    return serviceName + QStringLiteral(".service");
}

QDBusMessage managerCall(const QString& method, const QVariantList& arguments)
{
    QDBusMessage message = QDBusMessage::createMethodCall(SystemdService, ManagerPath, ManagerInterface, method);
    message.setArguments(arguments);
    // A running manager answers; the bus must not try to start one.
    message.setAutoStartService(false);
    return message;
}

// Starting and stopping a unit may need an administrator's consent; the
// manager may then ask the operator for it (polkit) instead of refusing.
QDBusMessage jobCall(const QString& method, const QString& unit)
{
    QDBusMessage message = managerCall(method, {unit, QStringLiteral("replace")});
    message.setInteractiveAuthorizationAllowed(true);
    return message;
}

// Runs one command on the post-processing service's unit; the manager's
// reason for a refusal is reported, also when the command then fails.
template <typename Command>
void controlService(Command command, const RefusalReport& reportRefusal)
{
    TServiceManager manager;
    const auto reportOnExit = qScopeGuard([&] {
        if (reportRefusal && !manager.refusal().isEmpty())
            reportRefusal(manager.refusal());
    });
    manager.SelectService(PostProcessingServiceName);
    command(manager);
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
    m_refusal.clear();
    if (!m_bus.isConnected()) {
        m_refusal = m_bus.lastError().message();
        return;
    }

    const QDBusMessage loaded =
        m_bus.call(managerCall(QStringLiteral("LoadUnit"), {unitName(name)}), QDBus::Block, CallTimeoutMs);
    if (refused(loaded))
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
    if (refused(state))
        return;
    const QString loadState = state.arguments().value(0).value<QDBusVariant>().variant().toString();
    if (loadState == QLatin1String("loaded"))
        m_unitPath = unitPath;
    else
        m_refusal = QCoreApplication::translate("TServiceManager", "Unit %1 is %2.").arg(unitName(name), loadState);
}

bool TServiceManager::refused(const QDBusMessage& reply)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return false;
    m_refusal = reply.errorMessage();
    return true;
}

bool TServiceManager::StartService()
{
    if (m_unitPath.isEmpty())
        throw Exception(QStringLiteral("TServiceManager.StartService: Service not selected"));
    return !refused(
        m_bus.call(jobCall(QStringLiteral("StartUnit"), unitName(m_serviceName)), QDBus::Block, CallTimeoutMs));
}

void TServiceManager::StopService()
{
    if (m_unitPath.isEmpty())
        throw Exception(QStringLiteral("TServiceManager.StopService: Service not selected"));
    refused(m_bus.call(jobCall(QStringLiteral("StopUnit"), unitName(m_serviceName)), QDBus::Block, CallTimeoutMs));
}

void LaunchService(const RefusalReport& reportRefusal)
{
    controlService([](TServiceManager& manager) { manager.StartService(); }, reportRefusal);
}

void HaltService(const RefusalReport& reportRefusal)
{
    controlService([](TServiceManager& manager) { manager.StopService(); }, reportRefusal);
}
