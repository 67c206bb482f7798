#include "DbBackgroundRead.h"

#include "DbCancel.h"
#include "DbDatabase.h"
#include "DbError.h"
#include "DbLog.h"
#include "DbQuery.h"
#include "DbSession.h"

#include <QThread>

#include <algorithm>
#include <vector>

namespace {

// How long the end of the process waits for the threads of abandoned runs.
constexpr int ExitWaitMs = 3000;

// The threads of runs that their callers abandoned while the driver still
// held them. Each closes its connection and ends when its driver call
// returns; its QThread goes at the next abandon or at the end of the process.
class AbandonedThreads
{
public:
    AbandonedThreads() = default;
    AbandonedThreads(const AbandonedThreads&) = delete;
    AbandonedThreads& operator=(const AbandonedThreads&) = delete;

    ~AbandonedThreads()
    {
        for (std::unique_ptr<QThread>& thread : m_threads) {
            // A thread that still waits for a server that does not answer
            // ends with the process: deleting a running QThread would abort.
            if (!thread->wait(QDeadlineTimer(ExitWaitMs)))
                static_cast<void>(thread.release());
        }
    }

    void keep(std::unique_ptr<QThread> thread)
    {
        std::lock_guard lock(m_mutex);
        m_threads.erase(std::remove_if(m_threads.begin(), m_threads.end(),
                                       [](const std::unique_ptr<QThread>& kept) { return kept->isFinished(); }),
                        m_threads.end());
        m_threads.push_back(std::move(thread));
    }

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<QThread>> m_threads;
};

AbandonedThreads& abandonedThreads()
{
    static AbandonedThreads threads;
    return threads;
}

} // namespace

bool TDbBackgroundRead::Run::handOver(const std::function<void()>& deliver)
{
    std::lock_guard lock(m_handOver);
    if (m_abandoned)
        return false;
    deliver();
    return true;
}

void TDbBackgroundRead::Run::setProgress(int done, int total)
{
    m_total = total;
    m_done = done;
}

// Taking the hand-over lock waits for a delivery under way, so that none runs
// after the caller has gone on.
void TDbBackgroundRead::Run::abandon()
{
    {
        std::lock_guard lock(m_handOver);
        m_abandoned = true;
    }
    m_cancel->cancel();
}

TDbBackgroundRead::TDbBackgroundRead(const TDbDatabase& source, QObject* parent)
    : QObject(parent), m_settings{source.databaseName(), source.params(), source.isOpen(), DefaultTimeoutSeconds, {}}
{
}

TDbBackgroundRead::~TDbBackgroundRead()
{
    if (!m_thread)
        return;
    if (m_thread->isFinished()) {
        m_thread->wait();
        return;
    }
    cancel();
    abandonedThreads().keep(std::move(m_thread));
}

void TDbBackgroundRead::start(const QString& statement, RowReader readRow)
{
    const int timeoutSeconds = m_settings.timeoutSeconds;
    start([statement, readRow = std::move(readRow), timeoutSeconds](TDbDatabase& database, Run& run) {
        database.runReadOnly([&] {
            TDbQuery query(database);
            openQuery(query, statement, timeoutSeconds, run);
            for (int rows = 1; query.next(); ++rows) {
                if (!run.handOver([&] { readRow(query); }))
                    return;
                run.setProgress(rows, 0);
            }
        });
    });
}

void TDbBackgroundRead::start(Work work)
{
    Q_ASSERT(!m_running);
    if (m_thread)
        m_thread->wait();
    m_run = std::make_shared<Run>();
    m_run->m_cancel = std::make_shared<TDbCancel>();
    m_running = true;
    m_thread.reset(QThread::create(
        [settings = m_settings, run = m_run, work = std::move(work)] { execute(settings, *run, work); }));
    // Queued to this object's thread, where the waiting window is.
    connect(m_thread.get(), &QThread::finished, this, &TDbBackgroundRead::finish);
    m_thread->start();
}

void TDbBackgroundRead::cancel()
{
    if (m_run)
        m_run->abandon();
}

bool TDbBackgroundRead::wasCancelled() const
{
    return m_run && m_run->m_cancel->isCancelled();
}

bool TDbBackgroundRead::wait(int milliseconds)
{
    if (!m_running)
        return true;
    if (!m_thread->wait(QDeadlineTimer(milliseconds)))
        return false;
    finish();
    return true;
}

// Runs once per read: from wait() or from the thread's queued end.
void TDbBackgroundRead::finish()
{
    if (!m_running)
        return;
    m_running = false;
    Q_EMIT finished();
}

void TDbBackgroundRead::execute(const Settings& settings, Run& run, const Work& work)
{
    // A session of its own: sessions and connections belong to one thread.
    TDbSession session(ProgramSessionName + QLatin1String("/read"));
    session.open();
    TDbDatabase database(session);
    database.setDatabaseName(settings.dataSource);
    database.setParams(settings.params);
    try {
        if (!settings.sourceOpen)
            throw EDatabaseError(QStringLiteral("Database %1 is not open").arg(settings.dataSource));
        database.open();
        work(database, run);
    } catch (const std::exception& error) {
        // Nothing may leave the thread; any failure ends the run.
        if (run.cancel()->isCancelled())
            return;
        QString message = QString::fromUtf8(error.what());
        if (message.isEmpty())
            message = QStringLiteral("The rows could not be read");
        const bool refused = database.isOpen() && probeSucceeds(database, settings, run);
        if (run.handOver([&] {
                run.m_error = message;
                run.m_refused = refused;
            }))
            qCWarning(lcDb, "Reading from %s failed: %s", qUtf8Printable(settings.dataSource), qUtf8Printable(message));
    }
}

void TDbBackgroundRead::openQuery(TDbQuery& query, const QString& statement, int timeoutSeconds, Run& run)
{
    query.setCancel(run.cancel());
    query.setTimeout(timeoutSeconds);
    // A read may be of hundreds of thousands of rows.
    query.setBlockRead(true);
    query.setSql(statement);
    query.open();
}

bool TDbBackgroundRead::probeSucceeds(TDbDatabase& database, const Settings& settings, Run& run)
{
    if (settings.probe.isEmpty())
        return false;
    try {
        database.runReadOnly([&] {
            TDbQuery query(database);
            openQuery(query, settings.probe, settings.timeoutSeconds, run);
        });
    } catch (const std::exception&) {
        return false;
    }
    return true;
}
