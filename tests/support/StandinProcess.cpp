#include "StandinProcess.h"

#include "service/ServiceContract.h"
#include "service/ServiceLink.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QTest>

#include <csignal>

#include <sys/prctl.h>

StandinProcess::~StandinProcess()
{
    if (m_process.state() != QProcess::NotRunning)
        kill();
}

bool StandinProcess::start(const QStringList& arguments)
{
    m_process.setProcessChannelMode(QProcess::ForwardedChannels);
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
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

QByteArray StandinProcess::threeGroups(int detailLevel)
{
    QByteArray content = "[DeraDivurir]\r\nLogDetail=" + QByteArray::number(detailLevel) +
                         "\r\nGroupNames=ZizaVureessGroup:3,ZizaVureessGroup:1,ZizaVureessGroup:2\r\n";
    for (const char* number : {"3", "1", "2"}) {
        content += QByteArray("[ZizaVureessGroup:") + number + "]\r\nPPGIndex=" + number +
                   "\r\nFuncName=AVG\r\nEnabled=1\r\nBaseTime=00:00:00\r\nTypeInterval=3\r\n"
                   "POLLNumber=1\r\nPOLL1=ST" +
                   number + ".TEMP\r\n";
    }
    return content;
}

QString StandinProcess::ask(const QString& method)
{
    QDBusInterface service(ServiceContract::ServiceName, ServiceContract::ObjectPath, ServiceContract::InterfaceName,
                           ServiceContract::bus());
    return QDBusReply<QString>(service.call(method)).value();
}
