#pragma once

#include <QDBusConnection>
#include <QString>

#include <functional>

// Starts and stops the post-processing service through systemd's D-Bus API.
// One instance serves one command: the constructor connects to the service
// manager and the destructor disconnects. The manager is the one of the bus
// the service is on: the user's manager with the session bus, the system
// manager with the system bus (QVZIZAVURE_BUS=system). The environment
// variable QVZIZAVURE_SERVICE_MANAGER ("user" or "system") chooses otherwise.
//
// Failing to reach the manager or to load the unit raises nothing by itself;
// starting or stopping without a loaded unit raises Exception.
class TServiceManager
{
public:
    TServiceManager();
    ~TServiceManager();

    TServiceManager(const TServiceManager&) = delete;
    TServiceManager& operator=(const TServiceManager&) = delete;

    // Loads the unit "<name>.service". Selecting the name that is already
    // selected (compared exactly) does nothing, so a service is opened once.
    void SelectService(const QString& name);

    // Queues a start job; returns whether the manager accepted it.
    bool StartService();
    // Queues a stop job; the manager's answer is not examined.
    void StopService();

    // The manager's reason for refusing the last request, or for not
    // selecting the service; empty when nothing was refused.
    QString refusal() const { return m_refusal; }

private:
    // Keeps the reason of an error reply.
    bool refused(const QDBusMessage& reply);

    QString m_serviceName;
    QString m_unitPath; // object path of the loaded unit, empty when none
    QString m_refusal;
    QString m_connectionName;
    QDBusConnection m_bus;
};

// The systemd unit of the post-processing service is this name plus ".service".
inline constexpr QLatin1String PostProcessingServiceName("QVZizaVureessor");

// Told the manager's reason when it refuses a request.
using RefusalReport = std::function<void(const QString& reason)>;

// Starts the post-processing service; errors pass to the caller.
void LaunchService(const RefusalReport& reportRefusal = {});
// Stops the post-processing service; errors pass to the caller.
void HaltService(const RefusalReport& reportRefusal = {});
