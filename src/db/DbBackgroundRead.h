#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class TDbCancel;
class TDbDatabase;
class TDbQuery;

// Reads the rows of one statement, or runs other work on the database, in
// another thread, on a connection of its own to the data source of an
// open database, so that the window waiting for it stays alive and the
// operator can stop what takes too long. A read is a read-only run (see
// TDbDatabase::runReadOnly) and ends after the time-out on the server, where
// the driver has one.
//
// A cancelled run is abandoned: the caller goes on at once, while the thread
// may still wait for the driver (a server that stopped answering). From the
// cancel on, the thread never touches the caller's data again; it closes its
// connection when the driver returns and is then free for another run.
class TDbBackgroundRead : public QObject
{
    Q_OBJECT

public:
    // What a run and its thread share.
    class Run
    {
    public:
        // For the run's statements, so that a cancel stops them.
        const std::shared_ptr<TDbCancel>& cancel() const { return m_cancel; }
        // Runs `deliver`, which may touch the caller's data, unless the run
        // was cancelled; false when it was.
        bool handOver(const std::function<void()>& deliver);
        // Any thread, at any time.
        void setProgress(int done, int total);
        int done() const { return m_done.load(); }
        int total() const { return m_total.load(); }

    private:
        friend class TDbBackgroundRead;
        // Until the thread is done with the run, its connection closed.
        bool waitForEnd(int milliseconds);
        // The owner goes; the run's end no longer reaches it.
        void leave();
        void abandon();

        std::shared_ptr<TDbCancel> m_cancel;
        std::mutex m_handOver;
        bool m_abandoned = false;
        TDbBackgroundRead* m_owner = nullptr;
        bool m_ended = false;
        std::condition_variable m_endChanged;
        std::atomic<int> m_done = 0;
        std::atomic<int> m_total = 0;
        QString m_error;
        bool m_refused = false;
    };

    // Runs in the thread, on its open connection; raises what fails.
    using Work = std::function<void(TDbDatabase& database, Run& run)>;
    // Runs in the reading thread for each row.
    using RowReader = std::function<void(const TDbQuery& row)>;

    static constexpr int DefaultTimeoutSeconds = 300;

    // Takes the data source and login of `source`; a closed source gives a
    // run that fails.
    explicit TDbBackgroundRead(const TDbDatabase& source, QObject* parent = nullptr);
    // Abandons a running read (see cancel()).
    ~TDbBackgroundRead() override;

    void setTimeout(int seconds) { m_settings.timeoutSeconds = seconds; }
    // A statement run after a failed read on the same connection, which tells
    // a statement that the database refuses from a database that fails.
    void setProbe(const QString& statement) { m_settings.probe = statement; }

    // Starts reading. `readRow` may only touch data that nothing else uses
    // until finished() has been emitted or the read was cancelled.
    void start(const QString& statement, RowReader readRow);
    // Starts `work`, which hands its results over through Run::handOver.
    void start(Work work);
    // Stops the statement, on the server too where the driver can, and
    // abandons the run; any thread.
    void cancel();

    // Blocks for at most `milliseconds` until the read has finished, without
    // serving events; emits finished() and returns true when it has.
    bool wait(int milliseconds);

    // True from start() until finished() is emitted.
    bool isRunning() const { return m_running; }
    // Any thread, at any time: the rows read, or how far the work has come.
    int rowsRead() const { return m_run ? m_run->done() : 0; }
    int progressTotal() const { return m_run ? m_run->total() : 0; }

    // After finished() or cancel(): whether cancel() ended the read, and the
    // database's message when it failed otherwise (the rows read until then
    // stay).
    bool wasCancelled() const;
    bool failed() const { return m_run && !m_run->m_error.isEmpty(); }
    QString errorMessage() const { return m_run ? m_run->m_error : QString(); }
    // Whether the probe succeeded after the failure: the connection works and
    // the database refused the statement itself.
    bool statementRefused() const { return m_run && m_run->m_refused; }

Q_SIGNALS:
    void finished();

private:
    // The thread's own copy: it may outlive this object.
    struct Settings
    {
        QString dataSource;
        QStringList params;
        bool sourceOpen = false;
        int timeoutSeconds = DefaultTimeoutSeconds;
        QString probe;
    };

    static void execute(const Settings& settings, Run& run, const Work& work);
    static void endRun(const std::shared_ptr<Run>& run);
    static bool probeSucceeds(TDbDatabase& database, const Settings& settings, Run& run);
    static void openQuery(TDbQuery& query, const QString& statement, int timeoutSeconds, Run& run);
    void finish();

    Settings m_settings;
    std::shared_ptr<Run> m_run;
    bool m_running = false;
};
