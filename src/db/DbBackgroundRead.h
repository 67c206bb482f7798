#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

class QThread;
class TDbCancel;
class TDbDatabase;
class TDbQuery;

// Reads the rows of one statement in a thread of its own, on a connection of
// its own to the data source of an open database, so that the window waiting
// for the rows stays alive and the operator can stop a read that takes too
// long. The read is a read-only run (see TDbDatabase::runReadOnly) and ends
// after the time-out on the server, where the driver has one.
class TDbBackgroundRead : public QObject
{
    Q_OBJECT

public:
    // Runs in the reading thread for each row.
    using RowReader = std::function<void(const TDbQuery& row)>;

    static constexpr int DefaultTimeoutSeconds = 300;

    // Takes the data source and login of `source`; a closed source gives a
    // read that fails.
    explicit TDbBackgroundRead(const TDbDatabase& source, QObject* parent = nullptr);
    // Cancels a running read and waits for its thread.
    ~TDbBackgroundRead() override;

    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }
    // A statement run after a failed read on the same connection, which tells
    // a statement that the database refuses from a database that fails.
    void setProbe(const QString& statement) { m_probe = statement; }

    // Starts reading. `readRow` may only touch data that nothing else uses
    // until finished() has been emitted.
    void start(const QString& statement, RowReader readRow);
    // Stops the statement, on the server too where the driver can; any thread.
    void cancel();

    // Blocks for at most `milliseconds` until the read has finished, without
    // serving events; emits finished() and returns true when it has.
    bool wait(int milliseconds);

    // True from start() until finished() is emitted.
    bool isRunning() const { return m_running; }
    // Any thread, at any time.
    int rowsRead() const { return m_rowsRead.load(); }

    // After finished(): whether cancel() ended the read, and the database's
    // message when it failed otherwise (the rows read until then stay).
    bool wasCancelled() const;
    bool failed() const { return !m_error.isEmpty(); }
    const QString& errorMessage() const { return m_error; }
    // Whether the probe succeeded after the failure: the connection works and
    // the database refused the statement itself.
    bool statementRefused() const { return m_refused; }

Q_SIGNALS:
    void finished();

private:
    void read();
    void open(TDbQuery& query, const QString& statement);
    void readRows(TDbDatabase& database);
    bool probeSucceeds(TDbDatabase& database);
    void finish();

    QString m_dataSource;
    QStringList m_params;
    bool m_sourceOpen = false;
    int m_timeoutSeconds = DefaultTimeoutSeconds;
    QString m_probe;
    QString m_statement;
    RowReader m_readRow;
    std::shared_ptr<TDbCancel> m_cancel;
    std::unique_ptr<QThread> m_thread;
    std::atomic<int> m_rowsRead = 0;
    bool m_running = false;
    QString m_error;
    bool m_refused = false;
};
