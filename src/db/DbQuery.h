#pragma once

#include "DbDatabase.h"
#include "SqlParameters.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TDbCancel;
class TOdbcBlockReader;

// One SQL statement on an open database, with named parameters (":NAME")
// that are all bound as text.
//
// The statement runs as written: the layer only replaces each parameter by a
// positional marker and binds the values in that order, so a name may be used
// several times and a colon inside a string literal stays text (see
// SqlParameters). A prepared statement can be run again with new values,
// which is much cheaper than preparing it anew.
//
// Every failure raises EDatabaseError with the driver's message.
class TDbQuery : private TDbDatabase::Statement
{
public:
    explicit TDbQuery(TDbDatabase& database);
    ~TDbQuery();

    TDbQuery(const TDbQuery&) = delete;
    TDbQuery& operator=(const TDbQuery&) = delete;

    // Replaces the statement; closes the query and forgets the values.
    void setSql(const QString& sql);
    const QString& sql() const { return m_sql; }
    const SqlParameters& parameters() const { return m_parameters; }

    // Lets `cancel` stop the statement from another thread (see TDbCancel).
    void setCancel(std::shared_ptr<TDbCancel> cancel) { m_cancel = std::move(cancel); }
    // Ends each run after `seconds` where the driver has a statement
    // time-out, else where the server has a limit of its own, which then
    // holds for every later statement of the connection (MariaDB, see
    // TDbDatabase::limitStatementTime); 0 for no limit. Takes effect at the
    // next prepare.
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }

    // Has open() read the rows many at a time on a statement of the query's
    // own (TOdbcBlockReader), which costs far less per row than Qt's reading
    // when the rows are many; the statement then runs directly, not
    // prepared. The columns read as they do otherwise. Takes effect at the
    // next open().
    void setBlockRead(bool blocks) { m_blockRead = blocks; }

    // Prepares the statement now rather than at its first run.
    void prepare();
    bool isPrepared() const { return m_prepared; }

    // Names compare without regard to the case of a-z. Raises when the
    // statement has no parameter of that name.
    void setParam(const QString& name, const QString& value);

    // Runs a statement that returns rows and stands before the first row.
    void open();
    // Moves to the next row; false after the last.
    bool next();
    // Releases the rows; never raises.
    void close();
    bool isOpen() const { return m_open; }

    // Columns of the current row by name, compared without regard to the case
    // of a-z (PostgreSQL reports unquoted names in lower case). Text of a NULL
    // column is empty and its integer 0.
    bool isNull(const QString& column) const;
    QString asString(const QString& column) const;
    int asInteger(const QString& column) const;

    // The same by the column's position, which columnIndex() finds once for
    // a statement whose rows are many.
    int columnIndex(const QString& column) const;
    bool isNull(int column) const;
    QString asString(int column) const;
    int asInteger(int column) const;

    // Runs a statement that returns no rows; returns the number of rows it
    // changed, or -1 when the driver cannot tell.
    int execute();

private:
    // The database is closing: drop the statement, keep the text and values.
    void release() override;
    void run();
    void openBlocks();
    // Binds the values to `statement` for as long as `execute` runs it.
    void runWithValues(void* statement, const std::function<void()>& execute);
    void applyStatementOptions(void* statement);
    void dropStatement();
    int columnCount() const;
    QString columnName(int column) const;
    QVariant value(int column) const;
    void raiseIfCancelled() const;
    void checkRow(int column) const;
    [[noreturn]] void raise(const QString& fallback) const;

    TDbDatabase& m_database;
    QString m_sql;
    SqlParameters m_parameters;
    std::vector<std::optional<QString>> m_values; // by index in m_parameters.names()
    std::shared_ptr<TDbCancel> m_cancel;
    int m_timeoutSeconds = 0;
    std::optional<QSqlQuery> m_query;
    QSqlRecord m_record;
    // The rows of open() in block reading.
    std::unique_ptr<TOdbcBlockReader> m_blocks;
    bool m_blockRead = false;
    bool m_prepared = false;
    bool m_open = false;
    bool m_onRow = false;
};
