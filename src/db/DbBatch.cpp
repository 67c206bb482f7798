#include "DbBatch.h"

#include "DbError.h"
#include "OdbcDiagnostics.h"
#include "OdbcTextParameters.h"

#include <QScopeGuard>

#include <sqlext.h>

#include <algorithm>

TDbBatch::TDbBatch(TDbDatabase& database, const QString& sql)
    : m_database(database), m_parameters(sql), m_values(m_parameters.names().size()),
      m_given(m_parameters.names().size(), false)
{
    m_database.attach(this);
}

TDbBatch::~TDbBatch()
{
    release();
    m_database.detach(this);
}

void TDbBatch::release()
{
    if (m_statement)
        SQLFreeHandle(SQL_HANDLE_STMT, m_statement);
    m_statement = nullptr;
}

void TDbBatch::setParam(const QString& name, const QString& value)
{
    const int index = m_parameters.indexOf(name);
    if (index < 0)
        throw EDatabaseError(QStringLiteral("Parameter %1 not found").arg(name));
    m_values[index].resize(m_rowCount + 1);
    m_values[index][m_rowCount] = value;
    m_given[index] = true;
}

void TDbBatch::addRow()
{
    const auto missing = std::find(m_given.begin(), m_given.end(), false);
    if (missing != m_given.end())
        throw EDatabaseError(
            QStringLiteral("No value for parameter %1").arg(m_parameters.names().at(int(missing - m_given.begin()))));
    std::fill(m_given.begin(), m_given.end(), false);
    ++m_rowCount;
}

void TDbBatch::clear()
{
    for (auto& values : m_values)
        values.clear();
    std::fill(m_given.begin(), m_given.end(), false);
    m_rowCount = 0;
}

void TDbBatch::prepare()
{
    if (m_statement)
        return;
    SQLHANDLE statement = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, m_database.odbcHandle(), &statement)))
        throw EDatabaseError(QStringLiteral("No statement could be made on %1").arg(m_database.databaseName()));
    m_statement = statement;
    const QString& sql = m_parameters.positionalSql();
    if (!SQL_SUCCEEDED(SQLPrepareW(statement, const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(sql.utf16())),
                                   SQLINTEGER(sql.size())))) {
        const QString message = OdbcDiagnostics::text(SQL_HANDLE_STMT, statement);
        release();
        throw EDatabaseError(message.isEmpty() ? QStringLiteral("The statement could not be prepared") : message);
    }
    SQLSetStmtAttr(statement, SQL_ATTR_PARAM_BIND_TYPE, SQL_PARAM_BIND_BY_COLUMN, 0);
    // A driver without arrays refuses a set size other than 1.
    m_takesArrays =
        SQL_SUCCEEDED(SQLSetStmtAttr(statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(2), 0));
}

void TDbBatch::execute()
{
    const int rows = m_rowCount;
    const auto forget = qScopeGuard([this] { clear(); });
    if (rows == 0)
        return;
    prepare();
    if (m_takesArrays) {
        runRows(0, rows);
        return;
    }
    for (int row = 0; row < rows; ++row)
        runRows(row, 1);
}

void TDbBatch::runRows(int first, int count)
{
    OdbcTextParameters values(count);
    for (const QString& name : m_parameters.positions())
        values.add(m_values[m_parameters.indexOf(name)], first);
    values.bind(m_statement);
    std::vector<SQLUSMALLINT> status(count, SQL_PARAM_UNUSED);
    SQLULEN processed = 0;
    if (m_takesArrays) {
        // ODBC takes an integer attribute in its pointer argument.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        SQLSetStmtAttr(m_statement, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(count)), 0);
        SQLSetStmtAttr(m_statement, SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0);
        SQLSetStmtAttr(m_statement, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
    }
    const SQLRETURN result = SQLExecute(m_statement);
    // A driver may report a failed set only in its status.
    const bool failed =
        (!SQL_SUCCEEDED(result) && result != SQL_NO_DATA) ||
        (m_takesArrays && (processed != SQLULEN(count) || std::any_of(status.begin(), status.end(), [](SQLUSMALLINT s) {
                               return s == SQL_PARAM_ERROR;
                           })));
    const QString message = failed ? OdbcDiagnostics::text(SQL_HANDLE_STMT, m_statement) : QString();
    SQLFreeStmt(m_statement, SQL_CLOSE);
    SQLFreeStmt(m_statement, SQL_RESET_PARAMS);
    if (m_takesArrays) {
        SQLSetStmtAttr(m_statement, SQL_ATTR_PARAM_STATUS_PTR, nullptr, 0);
        SQLSetStmtAttr(m_statement, SQL_ATTR_PARAMS_PROCESSED_PTR, nullptr, 0);
    }
    if (failed)
        throw EDatabaseError(message.isEmpty() ? QStringLiteral("The statement failed") : message);
}
