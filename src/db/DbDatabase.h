#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>

#include <vector>

class TDbSession;

// One connection to an ODBC data source, opened by the data source's name.
//
// The parameters are "KEY=value" lines; the keys "USER NAME" and "PASSWORD"
// (any letter case) become the login of the connection, and any other key is
// refused when opening. The driver is never allowed to prompt for a login.
//
// A database must outlive the queries and tables made on it.
class TDbDatabase
{
public:
    // What a query or table on the database holds open. Closing the database
    // releases every statement first: a driver may refuse to disconnect, or
    // keep serving rows, while statements are open.
    class Statement
    {
    public:
        virtual void release() = 0;

    protected:
        ~Statement() = default;
    };

    // How long a connect waits for the server before it fails, so that an
    // unreachable server never holds the caller for the network's own
    // time-outs (minutes). Where the driver honours it, the same limit holds
    // for the connection's later requests other than running a statement,
    // which has a time-out of its own (TDbQuery::setTimeout).
    static constexpr int LoginTimeoutSeconds = 15;

    explicit TDbDatabase(TDbSession& session);
    ~TDbDatabase();

    TDbDatabase(const TDbDatabase&) = delete;
    TDbDatabase& operator=(const TDbDatabase&) = delete;

    TDbSession& session() const { return m_session; }

    // The data source (alias) name.
    const QString& databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& name) { m_databaseName = name; }

    const QStringList& params() const { return m_params; }
    void setParams(const QStringList& params) { m_params = params; }

    // Connects; does nothing when already open. Raises EDatabaseError with the
    // driver's message when the session is closed, the data source, user or
    // password is wrong or the database cannot be reached within
    // LoginTimeoutSeconds.
    void open();
    // Disconnects, rolling back an unfinished transaction; never raises.
    void close();
    bool isOpen() const;

    // Until commit() or rollback(), statements run in one transaction instead
    // of committing one by one. Each raises EDatabaseError.
    void startTransaction();
    void commit();
    void rollback();
    bool inTransaction() const { return m_inTransaction; }

    // Runs `read` in a transaction that is rolled back afterwards, on a
    // connection that is read-only meanwhile where the driver or the database
    // offers that: the ODBC access mode, a read-only transaction on
    // PostgreSQL, MariaDB and MySQL, "query_only" on SQLite. So a statement
    // holding text from a shared file changes nothing. Errors of `read` pass
    // on; raises EDatabaseError when no read-only run can start.
    void runReadOnly(const std::function<void()>& read);

    // Has the server end every later statement of this connection that runs
    // longer than `seconds`, for a driver without a statement time-out of its
    // own (see TDbQuery::setTimeout). Only MariaDB has such a limit; on other
    // databases this does nothing. Raises EDatabaseError.
    void limitStatementTime(int seconds);

    // The Qt connection behind an open database, for queries and tables.
    // Raises EDatabaseError when the database is closed.
    QSqlDatabase connection() const;

private:
    // The database products whose SQL differs where this layer cares.
    enum class Server { Other, PostgreSql, MariaDb, MySql, Sqlite };
    static Server serverOf(const QSqlDatabase& connection);
    void setReadOnlyAccess(bool readOnly);

    friend class TDbBatch;
    friend class TDbQuery;
    friend class TDbTable;
    void attach(Statement* statement);
    void detach(Statement* statement);
    // The ODBC connection handle of the open database, for statements of the
    // layer's own; raises EDatabaseError when there is none.
    void* odbcHandle() const;

    TDbSession& m_session;
    QString m_connectionName;
    QString m_databaseName;
    QStringList m_params;
    QSqlDatabase m_connection;
    Server m_server = Server::Other;
    bool m_inTransaction = false;
    std::vector<Statement*> m_statements;
};
