#include "DbDatabase.h"

#include "DbError.h"
#include "DbLog.h"
#include "DbSession.h"
#include "platform/AsciiText.h"

#include <QAtomicInt>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlQuery>

#include <sqlext.h>

#include <algorithm>

namespace {

// Qt names every connection of the process uniquely; two databases may well
// open the same data source.
QString newConnectionName(const QString& sessionName)
{
    static QAtomicInt counter;
    return sessionName + u'/' + QString::number(counter.fetchAndAddRelaxed(1) + 1);
}

// QODBC appends the user and password to the connection string as they are,
// so a ";" would end the value early. The ODBC rule for such values is to
// enclose them in braces, doubling any closing brace inside.
QString connectionValue(const QString& value)
{
    const bool needsBraces = value.contains(u';') || value.contains(u'{') || value.contains(u'}') ||
                             value.startsWith(u' ') || value.endsWith(u' ');
    if (!needsBraces)
        return value;
    QString escaped = value;
    escaped.replace(QStringLiteral("}"), QStringLiteral("}}"));
    return u'{' + escaped + u'}';
}

// Runs a statement of the layer's own on the connection.
void runStatement(const QSqlDatabase& connection, const QString& sql, const QString& fallback)
{
    QSqlQuery statement(connection);
    if (!statement.exec(sql))
        throw EDatabaseError::fromSqlError(statement.lastError(), fallback);
}

// The ODBC connection handle of an open QODBC connection; null for another driver.
SQLHDBC handleOf(const QSqlDatabase& connection)
{
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || handle.metaType().sizeOf() != sizeof(SQLHDBC))
        return nullptr;
    return *static_cast<const SQLHDBC*>(handle.constData());
}

} // namespace

TDbDatabase::TDbDatabase(TDbSession& session) : m_session(session), m_connectionName(newConnectionName(session.name()))
{
    m_session.attach(this);
}

TDbDatabase::~TDbDatabase()
{
    close();
    m_session.detach(this);
}

void TDbDatabase::open()
{
    if (isOpen())
        return;
    if (!m_session.isOpen())
        throw EDatabaseError(QStringLiteral("Session %1 is not open").arg(m_session.name()));
    // A data source is a name of the driver manager's. A blank name or one
    // with "=" or ";" would be taken as a connection string, choosing the
    // driver and the file it opens (a blank one makes a file named after it).
    if (m_databaseName.trimmed().isEmpty())
        throw EDatabaseError(QStringLiteral("No data source given"));
    if (m_databaseName.contains(u'=') || m_databaseName.contains(u';'))
        throw EDatabaseError(QStringLiteral("Not a data source name: %1").arg(m_databaseName));

    QString user;
    QString password;
    for (const QString& param : m_params) {
        const qsizetype separator = param.indexOf(u'=');
        const QString key = param.left(separator).trimmed();
        if (separator > 0 && AsciiText::equalsFolded(key, u"USER NAME"))
            user = param.mid(separator + 1);
        else if (separator > 0 && AsciiText::equalsFolded(key, u"PASSWORD"))
            password = param.mid(separator + 1);
        else
            throw EDatabaseError(QStringLiteral("Unknown database parameter: %1").arg(param));
    }

    QSqlDatabase connection = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_connectionName);
    connection.setDatabaseName(m_databaseName);
    connection.setUserName(connectionValue(user));
    connection.setPassword(connectionValue(password));
    connection.setConnectOptions(
        QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_CONNECTION_TIMEOUT=%1").arg(LoginTimeoutSeconds));
    if (!connection.open()) {
        const EDatabaseError error = EDatabaseError::fromSqlError(
            connection.lastError(), QStringLiteral("Unable to connect to data source %1").arg(m_databaseName));
        connection = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw error;
    }
    m_connection = connection;
    m_server = serverOf(connection);
}

void* TDbDatabase::odbcHandle() const
{
    const SQLHDBC handle = handleOf(connection());
    if (handle == nullptr)
        throw EDatabaseError(QStringLiteral("The driver gives no connection handle"));
    return handle;
}

// By the product name that the driver reports: Qt's own guess does not know
// MariaDB.
TDbDatabase::Server TDbDatabase::serverOf(const QSqlDatabase& connection)
{
    const SQLHDBC handle = handleOf(connection);
    SQLWCHAR name[64];
    SQLSMALLINT bytes = 0;
    if (handle == nullptr || !SQL_SUCCEEDED(SQLGetInfoW(handle, SQL_DBMS_NAME, name, sizeof(name), &bytes)))
        return Server::Other;
    const QString product = QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                               std::min<qsizetype>(bytes / sizeof(SQLWCHAR), std::size(name) - 1));
    if (product == QLatin1String("PostgreSQL"))
        return Server::PostgreSql;
    if (product == QLatin1String("MariaDB"))
        return Server::MariaDb;
    if (product == QLatin1String("SQLite"))
        return Server::Sqlite;
    return product == QLatin1String("MySQL") ? Server::MySql : Server::Other;
}

void TDbDatabase::close()
{
    if (!m_connection.isValid())
        return;
    for (Statement* statement : m_statements)
        statement->release();
    if (m_inTransaction)
        m_connection.rollback();
    m_inTransaction = false;
    m_connection.close();
    m_connection = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool TDbDatabase::isOpen() const
{
    return m_connection.isOpen();
}

void TDbDatabase::startTransaction()
{
    QSqlDatabase database = connection();
    if (!database.transaction())
        throw EDatabaseError::fromSqlError(database.lastError(),
                                           QStringLiteral("%1 cannot run transactions").arg(m_databaseName));
    m_inTransaction = true;
}

void TDbDatabase::commit()
{
    QSqlDatabase database = connection();
    if (!database.commit())
        throw EDatabaseError::fromSqlError(database.lastError(),
                                           QStringLiteral("The transaction could not be committed"));
    m_inTransaction = false;
}

void TDbDatabase::rollback()
{
    QSqlDatabase database = connection();
    m_inTransaction = false;
    if (!database.rollback())
        throw EDatabaseError::fromSqlError(database.lastError(),
                                           QStringLiteral("The transaction could not be rolled back"));
}

void TDbDatabase::runReadOnly(const std::function<void()>& read)
{
    setReadOnlyAccess(true);
    const auto writable = qScopeGuard([this] { setReadOnlyAccess(false); });
    if (m_server == Server::Sqlite)
        runStatement(connection(), QStringLiteral("PRAGMA query_only = 1"), QStringLiteral("No read-only run"));
    const auto writesAgain = qScopeGuard([this] {
        if (m_server == Server::Sqlite && isOpen()) {
            QSqlQuery statement(m_connection);
            if (!statement.exec(QStringLiteral("PRAGMA query_only = 0")))
                qCWarning(lcDb, "Connection left read-only: %s", qUtf8Printable(statement.lastError().text()));
        }
    });
    startTransaction();
    const auto undo = qScopeGuard([this] {
        try {
            rollback();
        } catch (const EDatabaseError& error) {
            // A lost connection has undone the transaction already.
            qCWarning(lcDb, "Read-only run not rolled back: %s", error.what());
        }
    });
    switch (m_server) {
    case Server::PostgreSql:
        // It starts its transaction at the first statement, this one.
        runStatement(connection(), QStringLiteral("SET TRANSACTION READ ONLY"), QStringLiteral("No read-only run"));
        break;
    case Server::MariaDb:
    case Server::MySql:
        // A SET TRANSACTION here would wait for the next transaction when
        // this one ran no statement, so the transaction starts now.
        runStatement(connection(), QStringLiteral("START TRANSACTION READ ONLY"), QStringLiteral("No read-only run"));
        break;
    case Server::Sqlite:
    case Server::Other:
        break;
    }
    read();
}

// The ODBC access mode is a hint that some drivers enforce and others ignore
// or refuse; it is set where the driver takes it and otherwise left alone.
void TDbDatabase::setReadOnlyAccess(bool readOnly)
{
    const SQLHDBC handle = isOpen() ? handleOf(m_connection) : nullptr;
    if (handle == nullptr)
        return;
    // ODBC passes an integer attribute in the pointer argument.
    const SQLPOINTER mode =
        readOnly ? reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY) : reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_WRITE);
    const SQLRETURN result = SQLSetConnectAttr(handle, SQL_ATTR_ACCESS_MODE, mode, SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(result))
        qCDebug(lcDb, "The driver of %s keeps its access mode", qUtf8Printable(m_databaseName));
}

void TDbDatabase::limitStatementTime(int seconds)
{
    if (m_server == Server::MariaDb)
        runStatement(connection(), QStringLiteral("SET SESSION max_statement_time = %1").arg(seconds),
                     QStringLiteral("No statement time limit"));
}

void TDbDatabase::attach(Statement* statement)
{
    m_statements.push_back(statement);
}

void TDbDatabase::detach(Statement* statement)
{
    m_statements.erase(std::remove(m_statements.begin(), m_statements.end(), statement), m_statements.end());
}

QSqlDatabase TDbDatabase::connection() const
{
    if (!isOpen())
        throw EDatabaseError(QStringLiteral("Database %1 is not open").arg(m_databaseName));
    return m_connection;
}
