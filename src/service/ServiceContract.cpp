#include "ServiceContract.h"

namespace ServiceContract {

bool usesSystemBus()
{
    return qEnvironmentVariable("QVZIZAVURE_BUS") == QLatin1String("system");
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
