#include "DbBackgroundRead.h"

#include "DbCancel.h"
#include "DbDatabase.h"
#include "DbError.h"
#include "DbLog.h"
#include "DbQuery.h"
#include "DbSession.h"

#include <QCoreApplication>

#include <condition_variable>
#include <deque>
#include <thread>
#include <vector>

namespace {

// How long the end of the process waits for the runs that their callers
// abandoned while the driver still held them.
constexpr int ExitWaitMs = 3000;

// The threads that the runs use. A thread stays after its run and takes the
// next one, whose rows then fill the memory that the run before freed: glibc
// keeps what a thread frees for that thread's arena, and the arena of an
// ended thread goes to the next new thread of the process, often one of Qt's
// painting helpers that lives on, while the next run's new thread would take
// another arena. A run that its caller abandoned keeps its thread until its
// driver call returns; a new run takes another thread meanwhile.
class ReadThreads
{
public:
    // An abandoned run may still use the toolkit's database layer, which
    // does not outlive the application: the end of the program waits for
    // the runs while the application still stands.
    ReadThreads() { qAddPostRoutine(closeAtExit); }
    ReadThreads(const ReadThreads&) = delete;
    ReadThreads& operator=(const ReadThreads&) = delete;
    ~ReadThreads() { close(); }

    // Waits for the runs under way, then joins the threads, so that each has
    // freed what it keeps for itself; a thread whose run still waits for a
    // server that does not answer ends with the process, and the threads
    // keep their shared state.
    void close()
    {
        std::vector<std::thread> threads;
        bool idle = false;
        {
            std::unique_lock lock(m_shared->mutex);
            m_shared->closing = true;
            m_shared->changed.notify_all();
            idle = m_shared->changed.wait_for(lock, std::chrono::milliseconds(ExitWaitMs),
                                              [this] { return m_shared->busy == 0; });
            threads.swap(m_threads);
        }
        for (std::thread& thread : threads) {
            if (idle)
                thread.join();
            else
                thread.detach();
        }
    }

    void start(std::function<void()> run)
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->waiting.push_back(std::move(run));
        if (m_shared->idle > 0)
            m_shared->changed.notify_all();
        else
            m_threads.emplace_back(serve, m_shared);
    }

private:
    static void closeAtExit();

    struct Shared
    {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<std::function<void()>> waiting;
        int idle = 0;
        int busy = 0;
        bool closing = false;
    };

    static void serve(const std::shared_ptr<Shared>& shared)
    {
        std::unique_lock lock(shared->mutex);
        for (;;) {
            ++shared->idle;
            shared->changed.wait(lock, [&] { return !shared->waiting.empty() || shared->closing; });
            --shared->idle;
            if (shared->waiting.empty())
                return;
            std::function<void()> run = std::move(shared->waiting.front());
            shared->waiting.pop_front();
            ++shared->busy;
            lock.unlock();
            run();
            run = nullptr;
            lock.lock();
            --shared->busy;
            shared->changed.notify_all();
        }
    }

    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    std::vector<std::thread> m_threads;
};

ReadThreads& readThreads()
{
    static ReadThreads threads;
    return threads;
}

void ReadThreads::closeAtExit()
{
    readThreads().close();
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

void TDbBackgroundRead::Run::leave()
{
    std::lock_guard lock(m_handOver);
    m_owner = nullptr;
}

bool TDbBackgroundRead::Run::waitForEnd(int milliseconds)
{
    std::unique_lock lock(m_handOver);
    return m_endChanged.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_ended; });
}

TDbBackgroundRead::TDbBackgroundRead(const TDbDatabase& source, QObject* parent)
    : QObject(parent), m_settings{source.databaseName(), source.params(), source.isOpen(), DefaultTimeoutSeconds, {}}
{
}

// A run that has not ended yet goes on without this object.
TDbBackgroundRead::~TDbBackgroundRead()
{
    if (!m_run)
        return;
    m_run->leave();
    m_run->abandon();
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
    m_run = std::make_shared<Run>();
    m_run->m_cancel = std::make_shared<TDbCancel>();
    m_running = true;
    m_run->m_owner = this;
    readThreads().start([settings = m_settings, run = m_run, work = std::move(work)] {
        execute(settings, *run, work);
        endRun(run);
    });
}

// Told to the owner, if it is still there, in its thread, where the waiting
// window is.
void TDbBackgroundRead::endRun(const std::shared_ptr<Run>& run)
{
    {
        std::lock_guard lock(run->m_handOver);
        run->m_ended = true;
        if (TDbBackgroundRead* owner = run->m_owner) {
            QMetaObject::invokeMethod(
                owner,
                [owner, ended = std::weak_ptr<Run>(run)] {
                    if (owner->m_run == ended.lock())
                        owner->finish();
                },
                Qt::QueuedConnection);
        }
    }
    run->m_endChanged.notify_all();
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
    if (!m_run->waitForEnd(milliseconds))
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
