#include "DbBackgroundRead.h"

#include "DbCancel.h"
#include "DbDatabase.h"
#include "DbError.h"
#include "DbLog.h"
#include "DbQuery.h"
#include "DbSession.h"

#include <QThread>

TDbBackgroundRead::TDbBackgroundRead(const TDbDatabase& source, QObject* parent)
    : QObject(parent), m_dataSource(source.databaseName()), m_params(source.params()), m_sourceOpen(source.isOpen())
{
}

TDbBackgroundRead::~TDbBackgroundRead()
{
    if (!m_thread)
        return;
    cancel();
    m_thread->wait();
}

void TDbBackgroundRead::start(const QString& statement, RowReader readRow)
{
    Q_ASSERT(!m_running);
    if (m_thread)
        m_thread->wait();
    m_statement = statement;
    m_readRow = std::move(readRow);
    m_cancel = std::make_shared<TDbCancel>();
    m_rowsRead = 0;
    m_error.clear();
    m_refused = false;
    m_running = true;
    m_thread.reset(QThread::create([this] { read(); }));
    // Queued to this object's thread, where the waiting window is.
    connect(m_thread.get(), &QThread::finished, this, &TDbBackgroundRead::finish);
    m_thread->start();
}

void TDbBackgroundRead::cancel()
{
    if (m_cancel)
        m_cancel->cancel();
}

bool TDbBackgroundRead::wasCancelled() const
{
    return m_cancel && m_cancel->isCancelled();
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

void TDbBackgroundRead::read()
{
    // A session of its own: sessions and connections belong to one thread.
    TDbSession session(ProgramSessionName + QLatin1String("/read"));
    session.open();
    TDbDatabase database(session);
    database.setDatabaseName(m_dataSource);
    database.setParams(m_params);
    try {
        if (!m_sourceOpen)
            throw EDatabaseError(QStringLiteral("Database %1 is not open").arg(m_dataSource));
        database.open();
        database.runReadOnly([&] { readRows(database); });
    } catch (const std::exception& error) {
        // Nothing may leave the thread; any failure ends the read.
        if (wasCancelled())
            return;
        m_error = QString::fromUtf8(error.what());
        if (m_error.isEmpty())
            m_error = QStringLiteral("The rows could not be read");
        m_refused = database.isOpen() && probeSucceeds(database);
        qCWarning(lcDb, "Reading from %s failed: %s", qUtf8Printable(m_dataSource), qUtf8Printable(m_error));
    }
}

void TDbBackgroundRead::open(TDbQuery& query, const QString& statement)
{
    query.setCancel(m_cancel);
    query.setTimeout(m_timeoutSeconds);
    query.setSql(statement);
    query.open();
}

void TDbBackgroundRead::readRows(TDbDatabase& database)
{
    TDbQuery query(database);
    open(query, m_statement);
    while (query.next()) {
        m_readRow(query);
        ++m_rowsRead;
    }
}

bool TDbBackgroundRead::probeSucceeds(TDbDatabase& database)
{
    if (m_probe.isEmpty())
        return false;
    try {
        database.runReadOnly([&] {
            TDbQuery query(database);
            open(query, m_probe);
        });
    } catch (const std::exception&) {
        return false;
    }
    return true;
}
