#pragma once

#include <QDBusConnection>
#include <QString>

// Starts and stops the post-processing service through systemd's D-Bus API.
// One instance serves one command: the constructor connects to the service
// manager and the destructor disconnects. The system manager is used unless
// the environment variable QVZIZAVURE_SERVICE_MANAGER is "user", which picks
// the user's manager on the session bus.
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

private:
    QString m_serviceName;
    QString m_unitPath; // object path of the loaded unit, empty when none
    QString m_connectionName;
    QDBusConnection m_bus;
};

// The systemd unit of the post-processing service is this name plus ".service".
inline constexpr QLatin1String PostProcessingServiceName("QVZizaVureessor");

// Starts the post-processing service; errors pass to the caller.
void LaunchService();
// Stops the post-processing service; errors pass to the caller.
void HaltService();
