// qvzizavureessor: a stand-in for the post-processing service, for
// development and tests. See --help.

#include "IQVZizaVureComAdaptor.h"
#include "PostProcessor.h"
#include "StandinOptions.h"
#include "platform/NamedMutex.h"
#include "platform/ProgramFolder.h"
#include "platform/TerminationNotifier.h"
#include "service/ServiceContract.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <cstdio>

namespace {

void fail(const QString& text)
{
    std::fprintf(stderr, "qvzizavureessor: %s\n", qPrintable(text));
}

// The object goes on the bus before the name, so whoever sees the name finds the object.
bool publish(TPostProcessor& processor)
{
    QDBusConnection bus = ServiceContract::bus();
    new IQVZizaVureComAdaptor(&processor);
    if (!bus.registerObject(ServiceContract::ObjectPath, &processor) ||
        !bus.registerService(ServiceContract::ServiceName)) {
        fail(QStringLiteral("Unable to publish the service on the bus: %1").arg(bus.lastError().message()));
        return false;
    }
    return true;
}

// Releasing the name waits for the bus daemon's answer, which comes after the
// daemon has passed on the stop event sent before it.
void leaveBus(TPostProcessor& processor)
{
    processor.announceStopping();
    QDBusConnection bus = ServiceContract::bus();
    bus.unregisterService(ServiceContract::ServiceName);
    bus.unregisterObject(ServiceContract::ObjectPath);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qvzizavureessor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QVZ_VERSION));
    const TStandinOptions options = TStandinOptions::parse(app);

    // systemd's RuntimeDirectory= makes the system service's folder; a
    // service started otherwise, as root, makes it here.
    QString folderError;
    if (ServiceContract::usesSystemBus() && !NamedMutex::makeGlobalFolder(ProgramFolder::path(), folderError)) {
        fail(QStringLiteral("The service's lock folder cannot be used: %1").arg(folderError));
        return 1;
    }
    NamedMutex serviceMutex(ServiceContract::serviceMutexName());
    if (!serviceMutex.tryLock()) {
        fail(serviceMutex.errorString().isEmpty()
                 ? QStringLiteral("The post processing service is already running.")
                 : QStringLiteral("The service's lock cannot be used: %1").arg(serviceMutex.errorString()));
        return 1;
    }

    TTerminationNotifier termination;
    TPostProcessor processor(options);
    // Logged when loaded; a service that starts with nothing to schedule
    // must not pass for one that runs.
    if (!processor.configurationError().isEmpty())
        return 3;
    if (options.publishObject && !publish(processor))
        return 2;
    QObject::connect(&termination, &TTerminationNotifier::terminationRequested, &app, [&] {
        if (options.publishObject)
            leaveBus(processor);
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}
