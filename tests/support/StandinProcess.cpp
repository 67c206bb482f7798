#include "StandinProcess.h"

#include "ServiceContract.h"
#include "ServiceLink.h"

#include <QDBusConnectionInterface>
#include <QTest>

StandinProcess::~StandinProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        kill();
}

bool StandinProcess::start(const QStringList& arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    const QStringList quick = arguments.contains(QStringLiteral("--process-ms"))
                                  ? QStringList()
                                  : QStringList{QStringLiteral("--process-ms"), QStringLiteral("50")};
    m_process.start(QStringLiteral(STANDIN_PATH), quick + arguments);
    if (!m_process.waitForStarted())
        return false;
    const bool published = !arguments.contains(QStringLiteral("--no-object"));
    return QTest::qWaitFor([published] { return published ? onBus() : TServiceLink::IsServiceRunning(); },
                           StartTimeoutMs);
}

bool StandinProcess::kill()
{
    m_process.kill();
    m_process.waitForFinished();
    return QTest::qWaitFor([] { return !onBus(); }, StartTimeoutMs);
}

bool StandinProcess::onBus()
{
    return ServiceContract::bus().interface()->isServiceRegistered(ServiceContract::ServiceName);
}
