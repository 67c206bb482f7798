#include "PostProcessor.h"

#include "config/ConfigFile.h"
#include "platform/DateTimeValue.h"
#include "platform/LockWait.h"
#include "service/ServiceContract.h"

#include <QDBusMessage>

#include <cstdio>

namespace {

// The schedule is checked at least this often, so that a change of the
// clock delays a run by no more than this.
constexpr qint64 MaxScheduleWaitMs = qint64(60) * 60 * 1000;
// A refresh that gave up waiting for the file's lock is tried again after this.
constexpr int RefreshRetryMs = 10 * 1000;

const QString MessageKind = QStringLiteral("MESSAGE");
const QString PollGroupKind = QStringLiteral("POLLGROUP");

} // namespace

TPostProcessor::TPostProcessor(const TStandinOptions& options, QObject* parent) : QObject(parent), m_options(options)
{
    m_scheduleTimer.setSingleShot(true);
    m_scheduleTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_scheduleTimer, &QTimer::timeout, this, &TPostProcessor::runDueGroup);
    connect(&m_run, &TGroupRun::message, this, &TPostProcessor::report);
    connect(&m_run, &TGroupRun::finished, this, &TPostProcessor::processWaitingGroups);

    m_refreshRetry.setSingleShot(true);
    m_refreshRetry.setInterval(RefreshRetryMs);
    connect(&m_refreshRetry, &QTimer::timeout, this, &TPostProcessor::startRefresh);

    // The first read happens before the service is on the bus: nobody waits
    // for an answer yet. The detail level starts as the configuration's;
    // later loads keep the level set since.
    TLoad first = readConfiguration();
    m_detailLevel = first.settings.LogDetail;
    applyLoad(std::move(first));
    reschedule();
}

TPostProcessor::~TPostProcessor()
{
    if (m_refresh) {
        LockWait::cancelAll();
        m_refresh->wait();
    }
}

// A method named by --fail answers with an error, one named by --hang never
// answers; either way the method then does nothing.
bool TPostProcessor::answeredBySwitch()
{
    if (!calledFromDBus())
        return false;
    const QString method = message().member();
    if (m_options.failingMethods.contains(method)) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("%1 failed on request of the test switch.").arg(method));
        return true;
    }
    if (m_options.hangingMethods.contains(method)) {
        setDelayedReply(true);
        return true;
    }
    return false;
}

QString TPostProcessor::GetServiceVersion()
{
    if (answeredBySwitch())
        return {};
    return QStringLiteral("QVZizaVureessor stand-in " QVZ_VERSION);
}

int TPostProcessor::GetGroupCount()
{
    if (answeredBySwitch())
        return 0;
    return m_groups->Count();
}

void TPostProcessor::RefreshParams()
{
    if (answeredBySwitch())
        return;
    if (calledFromDBus()) {
        setDelayedReply(true);
        (m_refresh ? m_nextRefreshCalls : m_refreshCalls).append(message());
    }
    if (!m_refresh)
        startRefresh();
}

void TPostProcessor::startRefresh()
{
    m_refreshRetry.stop();
    m_refresh.reset(QThread::create([this] {
        const LockWait::CancelScope cancellable;
        m_refreshed = readConfiguration();
    }));
    connect(m_refresh.get(), &QThread::finished, this, &TPostProcessor::finishRefresh);
    m_refresh->start();
}

void TPostProcessor::finishRefresh()
{
    m_refresh->wait();
    m_refresh.reset();
    const bool lockAbandoned = m_refreshed.lockAbandoned;
    applyLoad(std::move(m_refreshed));
    if (m_configurationError.isEmpty())
        report(1, QStringLiteral("Setup parameters reloaded."));
    else
        report(0, m_configurationError);
    reschedule();
    for (const QDBusMessage& call : std::as_const(m_refreshCalls))
        ServiceContract::bus().send(call.createReply());
    m_refreshCalls = std::exchange(m_nextRefreshCalls, {});
    if (!m_refreshCalls.isEmpty())
        startRefresh();
    else if (lockAbandoned) {
        std::fprintf(stderr, "qvzizavureessor: the configuration will be read again in %d s.\n", RefreshRetryMs / 1000);
        m_refreshRetry.start();
    }
}

QString TPostProcessor::GetProcessingGroup()
{
    if (answeredBySwitch())
        return {};
    return m_run.groupName();
}

QString TPostProcessor::GetStatusText()
{
    if (answeredBySwitch())
        return {};
    sendBurst();
    if (m_run.isRunning())
        return QStringLiteral("Processing group %1").arg(m_run.groupName());
    if (!m_scheduleActive)
        return QStringLiteral("Scheduled processing suspended");
    if (!m_next.isScheduled())
        return QStringLiteral("No group scheduled");
    return QStringLiteral("Next group %1 at %2").arg(m_next.groupName, m_next.time.toString(Qt::ISODate));
}

void TPostProcessor::SetDetailLevel(int level)
{
    if (answeredBySwitch())
        return;
    m_detailLevel = qBound(0, level, 2);
}

QString TPostProcessor::GetNextGroup()
{
    if (answeredBySwitch())
        return {};
    return m_next.groupName;
}

double TPostProcessor::GetNextTime()
{
    if (answeredBySwitch() || !m_next.isScheduled())
        return 0;
    return DateTimeValue::fromDateTime(m_next.time);
}

void TPostProcessor::ResumeProcessing()
{
    if (answeredBySwitch())
        return;
    m_scheduleActive = true;
    report(1, QStringLiteral("Scheduled processing resumed."));
}

void TPostProcessor::SuspendProcessing()
{
    if (answeredBySwitch())
        return;
    m_scheduleActive = false;
    report(1, QStringLiteral("Scheduled processing suspended."));
}

int TPostProcessor::GetProcessingState()
{
    if (answeredBySwitch())
        return ProcessingSuspended;
    return m_scheduleActive ? ProcessingActive : ProcessingSuspended;
}

void TPostProcessor::ProcessGroupNow(int position)
{
    if (answeredBySwitch())
        return;
    if (position < 0 || position >= m_groups->Count()) {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("There is no group at position %1.").arg(position));
        return;
    }
    m_waiting.append(position);
    processWaitingGroups();
}

void TPostProcessor::StopProcessNow()
{
    if (answeredBySwitch())
        return;
    m_waiting.clear();
    m_run.stop();
}

TPostProcessor::TLoad TPostProcessor::readConfiguration()
{
    ConfigFile config(ConfigFile::defaultPath());
    TLoad load;
    load.groups = config.LoadConfiguration(load.settings, {});
    if (!config.readError().isEmpty())
        load.error = QStringLiteral("%1 cannot be read: %2.").arg(config.path(), config.readError());
    load.lockAbandoned = config.file().readAbandoned();
    return load;
}

// A configuration that cannot be read keeps the groups loaded before: an
// empty list would silently stop the schedule.
void TPostProcessor::applyLoad(TLoad load)
{
    m_configurationError = load.error;
    if (!load.error.isEmpty())
        std::fprintf(stderr, "qvzizavureessor: %s\n", qPrintable(load.error));
    if (load.error.isEmpty() || !m_groups)
        m_groups = std::move(load.groups);
}

void TPostProcessor::reschedule()
{
    const QDateTime now = QDateTime::currentDateTime();
    const GroupSchedule::TNextRun next = GroupSchedule::earliestRun(*m_groups, now);
    const bool changed = next.groupName != m_next.groupName || next.time != m_next.time;
    m_next = next;
    m_scheduleTimer.stop();
    if (m_next.isScheduled())
        m_scheduleTimer.start(int(qBound<qint64>(0, now.msecsTo(m_next.time), MaxScheduleWaitMs)));
    if (changed)
        Q_EMIT ServiceEvent(QString(), PollGroupKind, QString());
}

// The timer may also fire early, after its longest wait: then nothing is due yet.
void TPostProcessor::runDueGroup()
{
    if (m_next.isScheduled() && m_next.time <= QDateTime::currentDateTime() && m_scheduleActive) {
        m_waiting.append(m_next.position);
        processWaitingGroups();
    }
    reschedule();
}

// Positions are checked again because a refresh may have shortened the list.
void TPostProcessor::processWaitingGroups()
{
    while (!m_run.isRunning() && !m_waiting.isEmpty()) {
        const int position = m_waiting.takeFirst();
        if (position < m_groups->Count())
            m_run.start(*m_groups->Items(position), m_options.processMs);
    }
}

void TPostProcessor::report(int level, const QString& text)
{
    if (level <= m_detailLevel)
        Q_EMIT ServiceEvent(QString(), MessageKind, text);
}

// For benchmarks of the receiving side, so the level does not filter it.
void TPostProcessor::sendBurst()
{
    for (int n = 1; n <= m_options.burstCount; ++n)
        Q_EMIT ServiceEvent(QString(), MessageKind,
                            QStringLiteral("Burst message %1 of %2.").arg(n).arg(m_options.burstCount));
}
