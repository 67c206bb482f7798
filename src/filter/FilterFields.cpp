#include "FilterFields.h"

#include "DistinctValues.h"
#include "db/DbTable.h"

namespace {

bool isQuoted(TDbFieldType type)
{
    return type == TDbFieldType::String || type == TDbFieldType::Date || type == TDbFieldType::Time ||
           type == TDbFieldType::DateTime;
}

} // namespace

void TFilterFields::read(TDbDatabase& database)
{
    m_fields.clear();
    readTable(database, QStringLiteral("QV_SITES"));
    readTable(database, QStringLiteral("QV_SITESENSORS"));
}

// Appends a field per column of the table, then its values: the distinct
// non-null ones, without regard to letter case, in the order in which the
// table first holds them; a large table costs about one pass over its rows.
void TFilterFields::readTable(TDbDatabase& database, const QString& tableName)
{
    TDbTable table(database);
    table.setTableName(tableName);
    table.open();
    const int columns = table.fieldCount();
    const std::size_t first = m_fields.size();
    for (int column = 0; column < columns; ++column)
        m_fields.push_back({tableName + u'.' + table.fieldName(column), TDataList{{}, table.fieldType(column)}});
    std::vector<TDistinctValues> seen(columns);
    while (table.next()) {
        for (int column = 0; column < columns; ++column) {
            if (table.isNull(column))
                continue;
            const QString value = table.asString(column);
            if (seen[column].add(value))
                m_fields[first + column].Data.Values.append(value);
        }
    }
}

QString TFilterFields::clause(int index, const QString& condition, const QString& value) const
{
    const Field& field = m_fields.at(std::size_t(index));
    if (!isQuoted(field.Data.FieldType))
        return field.Name + u' ' + condition + u' ' + value;
    QString literal = value;
    literal.replace(u'\'', QLatin1String("''"));
    return field.Name + u' ' + condition + QLatin1String(" '") + literal + u'\'';
}
