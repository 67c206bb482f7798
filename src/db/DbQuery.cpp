#include "DbQuery.h"

#include "DbCancel.h"
#include "DbError.h"
#include "DbValue.h"
#include "OdbcBlockReader.h"
#include "OdbcTextParameters.h"
#include "platform/AsciiText.h"

#include <QScopeGuard>
#include <QSqlResult>

#include <sqlext.h>

#include <limits>

namespace {

// The ODBC statement handle behind a prepared query; null when the driver
// gives none.
SQLHSTMT statementHandle(const QSqlQuery& query)
{
    const QVariant handle = query.result()->handle();
    if (!handle.isValid() || handle.metaType().sizeOf() != sizeof(SQLHSTMT))
        return nullptr;
    return *static_cast<const SQLHSTMT*>(handle.constData());
}

// Whether the driver takes a statement time-out of `seconds`: one without says
// so (MariaDB's changes the value to 0).
bool setDriverTimeout(SQLHSTMT statement, int seconds)
{
    // ODBC takes an integer attribute in its pointer argument.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    return SQLSetStmtAttr(statement, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(seconds)), 0) ==
           SQL_SUCCESS;
}

} // namespace

TDbQuery::TDbQuery(TDbDatabase& database) : m_database(database)
{
    m_database.attach(this);
}

TDbQuery::~TDbQuery()
{
    close();
    dropStatement();
    m_database.detach(this);
}

void TDbQuery::release()
{
    close();
    dropStatement();
    m_prepared = false;
}

// The statement handle is freed with the Qt query, so a cancel from another
// thread must lose it first.
void TDbQuery::dropStatement()
{
    if (m_cancel)
        m_cancel->detach();
    m_query.reset();
    m_blocks.reset();
}

void TDbQuery::setSql(const QString& sql)
{
    close();
    m_sql = sql;
    m_parameters = SqlParameters(sql);
    m_values.assign(m_parameters.names().size(), std::nullopt);
    dropStatement();
    m_prepared = false;
}

void TDbQuery::prepare()
{
    if (m_prepared)
        return;
    m_query.emplace(m_database.connection());
    // Rows are read once from first to last, so the driver need not keep
    // them for scrolling back.
    m_query->setForwardOnly(true);
    if (!m_query->prepare(m_parameters.positionalSql()))
        raise(QStringLiteral("The statement could not be prepared"));
    if (const SQLHSTMT statement = statementHandle(*m_query))
        applyStatementOptions(statement);
    m_prepared = true;
}

void TDbQuery::applyStatementOptions(void* statement)
{
    // Where the driver has no time-out, the server's own limit stands in.
    if (m_timeoutSeconds > 0 && !setDriverTimeout(statement, m_timeoutSeconds))
        m_database.limitStatementTime(m_timeoutSeconds);
    if (m_cancel)
        m_cancel->attach(statement);
}

void TDbQuery::raiseIfCancelled() const
{
    if (m_cancel && m_cancel->isCancelled())
        throw EDatabaseError(QStringLiteral("The statement was cancelled"));
}

void TDbQuery::setParam(const QString& name, const QString& value)
{
    const int index = m_parameters.indexOf(name);
    if (index < 0)
        throw EDatabaseError(QStringLiteral("Parameter %1 not found").arg(name));
    m_values[index] = value;
}

// The values are bound here rather than by Qt (see OdbcTextParameters); Qt
// then runs the statement with the bindings that it finds.
void TDbQuery::run()
{
    close();
    prepare();
    const SQLHSTMT statement = statementHandle(*m_query);
    if (!statement)
        throw EDatabaseError(QStringLiteral("The driver gives no statement handle"));
    runWithValues(statement, [this] {
        if (!m_query->exec())
            raise(QStringLiteral("The statement failed"));
    });
}

void TDbQuery::runWithValues(void* statement, const std::function<void()>& execute)
{
    OdbcTextParameters values(1);
    for (const QString& name : m_parameters.positions()) {
        const std::optional<QString>& value = m_values[m_parameters.indexOf(name)];
        if (!value)
            throw EDatabaseError(QStringLiteral("No value for parameter %1").arg(name));
        values.add({*value});
    }
    values.bind(statement);
    // No binding may outlive the values.
    const auto unbind = qScopeGuard([statement] { SQLFreeStmt(statement, SQL_RESET_PARAMS); });
    raiseIfCancelled();
    execute();
}

// A statement of its own for every open: the reader's bindings and blocks
// are the statement's for as long as it lives.
void TDbQuery::openBlocks()
{
    close();
    m_blocks = std::make_unique<TOdbcBlockReader>(m_database.odbcHandle());
    applyStatementOptions(m_blocks->statement());
    runWithValues(m_blocks->statement(),
                  [this] { m_blocks->execute(m_parameters.positionalSql(), QStringLiteral("The statement failed")); });
    m_open = true;
}

void TDbQuery::open()
{
    if (m_blockRead) {
        openBlocks();
        return;
    }
    run();
    if (!m_query->isSelect()) {
        m_query->finish();
        throw EDatabaseError(QStringLiteral("The statement returned no rows to read"));
    }
    m_record = m_query->record();
    m_open = true;
}

bool TDbQuery::next()
{
    if (!m_open)
        throw EDatabaseError(QStringLiteral("The query is not open"));
    raiseIfCancelled();
    if (m_blocks) {
        m_onRow = m_blocks->next();
        return m_onRow;
    }
    m_onRow = m_query->next();
    if (!m_onRow && m_query->lastError().isValid())
        raise(QStringLiteral("The next row could not be read"));
    return m_onRow;
}

void TDbQuery::close()
{
    if (m_query)
        m_query->finish();
    if (m_blocks) {
        if (m_cancel)
            m_cancel->detach();
        m_blocks.reset();
    }
    m_open = false;
    m_onRow = false;
    m_record = QSqlRecord();
}

int TDbQuery::columnIndex(const QString& column) const
{
    if (!m_open)
        throw EDatabaseError(QStringLiteral("The query is not open"));
    for (int i = 0; i < columnCount(); ++i) {
        if (AsciiText::equalsFolded(columnName(i), column))
            return i;
    }
    throw EDatabaseError(QStringLiteral("Field %1 not found").arg(column));
}

void TDbQuery::checkRow(int column) const
{
    if (!m_onRow)
        throw EDatabaseError(QStringLiteral("The query has no current row"));
    if (column < 0 || column >= columnCount())
        throw EDatabaseError(QStringLiteral("Field %1 not found").arg(column));
}

int TDbQuery::columnCount() const
{
    return m_blocks ? m_blocks->columnCount() : m_record.count();
}

QString TDbQuery::columnName(int column) const
{
    return m_blocks ? m_blocks->columnName(column) : m_record.fieldName(column);
}

QVariant TDbQuery::value(int column) const
{
    return m_blocks ? m_blocks->value(column) : m_query->value(column);
}

bool TDbQuery::isNull(const QString& column) const
{
    return isNull(columnIndex(column));
}

QString TDbQuery::asString(const QString& column) const
{
    return asString(columnIndex(column));
}

int TDbQuery::asInteger(const QString& column) const
{
    return asInteger(columnIndex(column));
}

bool TDbQuery::isNull(int column) const
{
    checkRow(column);
    return m_blocks ? m_blocks->isNull(column) : m_query->isNull(column);
}

QString TDbQuery::asString(int column) const
{
    checkRow(column);
    return m_blocks ? m_blocks->text(column) : DbValue::text(m_query->value(column));
}

int TDbQuery::asInteger(int column) const
{
    checkRow(column);
    const QVariant field = value(column);
    if (field.isNull())
        return 0;
    bool ok = false;
    const qlonglong number = field.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(field.toString()));
    return int(number);
}

int TDbQuery::execute()
{
    run();
    const int changed = m_query->numRowsAffected();
    m_query->finish();
    return changed;
}

void TDbQuery::raise(const QString& fallback) const
{
    throw EDatabaseError::fromSqlError(m_query->lastError(), fallback);
}
