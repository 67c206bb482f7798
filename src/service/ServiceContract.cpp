#include "ServiceContract.h"

#include "platform/ProgramFolder.h"

namespace ServiceContract {

bool usesSystemBus()
{
    const QString chosen = qEnvironmentVariable("QVZIZAVURE_BUS");
    if (!chosen.isEmpty())
        return chosen == QLatin1String("system");
    // The package installs the service on the system bus.
    return ProgramFolder::isInstalled();
}

QDBusConnection bus()
{
    return usesSystemBus() ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

QString serviceMutexName()
{
    return usesSystemBus() ? GlobalMutexName : SessionMutexName;
}

} // namespace ServiceContract
