#include "DbTable.h"

#include "DbError.h"
#include "OdbcBlockReader.h"

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
    auto reader = std::make_unique<TOdbcBlockReader>(m_database.odbcHandle());
    reader->execute(QStringLiteral("SELECT * FROM ") + m_tableName,
                    QStringLiteral("Table %1 could not be opened").arg(m_tableName));
    m_reader = std::move(reader);
}

bool TDbTable::next()
{
    if (!m_reader)
        throw EDatabaseError(QStringLiteral("Table %1 is not open").arg(m_tableName));
    m_onRow = m_reader->next();
    return m_onRow;
}

void TDbTable::close()
{
    m_reader.reset();
    m_onRow = false;
}

int TDbTable::fieldCount() const
{
    return m_reader ? m_reader->columnCount() : 0;
}

void TDbTable::checkColumn(int column) const
{
    if (column < 0 || column >= fieldCount())
        throw EDatabaseError(QStringLiteral("Table %1 has no column %2").arg(m_tableName).arg(column));
}

QString TDbTable::fieldName(int column) const
{
    checkColumn(column);
    return m_reader->columnName(column);
}

TDbFieldType TDbTable::fieldType(int column) const
{
    checkColumn(column);
    return DbValue::fieldType(m_reader->columnType(column));
}

void TDbTable::checkRow(int column) const
{
    checkColumn(column);
    if (!m_onRow)
        throw EDatabaseError(QStringLiteral("Table %1 has no current row").arg(m_tableName));
}

bool TDbTable::isNull(int column) const
{
    checkRow(column);
    return m_reader->isNull(column);
}

QString TDbTable::asString(int column) const
{
    checkRow(column);
    return m_reader->text(column);
}
