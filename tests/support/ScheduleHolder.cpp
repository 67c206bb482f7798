#include "ScheduleHolder.h"

#include "StandinProcess.h"

#include <csignal>

#include <sys/prctl.h>

ScheduleHolder::~ScheduleHolder()
{
    if (m_process.state() != QProcess::NotRunning)
        kill();
}

bool ScheduleHolder::start(const QString& configPath)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start(QStringLiteral(SCHEDULEHOLDER_PATH), {configPath});
    while (m_process.waitForReadyRead(StandinProcess::StartTimeoutMs)) {
        if (m_process.canReadLine())
            return m_process.readLine() == "held\n";
    }
    return false;
}

bool ScheduleHolder::release()
{
    m_process.write("\n");
    return m_process.waitForFinished(StandinProcess::StartTimeoutMs) &&
           m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

bool ScheduleHolder::kill()
{
    m_process.kill();
    return m_process.waitForFinished(StandinProcess::StartTimeoutMs);
}
