#include "DbTable.h"

#include "DbError.h"

#include <QSqlField>

namespace {

bool isPlainName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (QChar c : name) {
        const bool allowed = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
                             c == u'_' || c == u'$' || c == u'.';
        if (!allowed)
            return false;
    }
    return true;
}

} // namespace

TDbTable::TDbTable(TDbDatabase& database) : m_database(database)
{
    m_database.attach(this);
}

TDbTable::~TDbTable()
{
    close();
    m_database.detach(this);
}

void TDbTable::setTableName(const QString& name)
{
    close();
    m_tableName = name;
}

void TDbTable::open()
{
    close();
    if (!isPlainName(m_tableName))
        throw EDatabaseError(QStringLiteral("Invalid table name: %1").arg(m_tableName));
    m_query.emplace(m_database.connection());
    m_query->setForwardOnly(true);
    if (!m_query->exec(QStringLiteral("SELECT * FROM ") + m_tableName)) {
        const EDatabaseError error = EDatabaseError::fromSqlError(
            m_query->lastError(), QStringLiteral("Table %1 could not be opened").arg(m_tableName));
        close();
        throw error;
    }
    m_record = m_query->record();
}

bool TDbTable::next()
{
    if (!m_query)
        throw EDatabaseError(QStringLiteral("Table %1 is not open").arg(m_tableName));
    m_onRow = m_query->next();
    if (!m_onRow && m_query->lastError().isValid())
        throw EDatabaseError::fromSqlError(m_query->lastError(),
                                           QStringLiteral("Table %1 could not be read").arg(m_tableName));
    return m_onRow;
}

void TDbTable::close()
{
    m_query.reset();
    m_record = QSqlRecord();
    m_onRow = false;
}

int TDbTable::fieldCount() const
{
    return m_record.count();
}

void TDbTable::checkColumn(int column) const
{
    if (column < 0 || column >= m_record.count())
        throw EDatabaseError(QStringLiteral("Table %1 has no column %2").arg(m_tableName).arg(column));
}

QString TDbTable::fieldName(int column) const
{
    checkColumn(column);
    return m_record.fieldName(column);
}

TDbFieldType TDbTable::fieldType(int column) const
{
    checkColumn(column);
    return DbValue::fieldType(m_record.field(column).metaType());
}

bool TDbTable::isNull(int column) const
{
    checkColumn(column);
    if (!m_onRow)
        throw EDatabaseError(QStringLiteral("Table %1 has no current row").arg(m_tableName));
    return m_query->isNull(column);
}

QString TDbTable::asString(int column) const
{
    checkColumn(column);
    if (!m_onRow)
        throw EDatabaseError(QStringLiteral("Table %1 has no current row").arg(m_tableName));
    return DbValue::text(m_query->value(column));
}
