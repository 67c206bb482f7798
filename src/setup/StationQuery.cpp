#include "StationQuery.h"

#include "config/DataDef.h"
#include "config/FilterFile.h"
#include "db/DbQuery.h"

QString StationListQuery(const QString& filterFile)
{
    QString base = StationQueryBase;
    if (filterFile.trimmed().isEmpty())
        return base;
    return ApplyFilterFile(base, filterFile);
}

QString StationProbeQuery()
{
    return NarrowStationQuery(StationQueryBase, QStringLiteral("1 = 0"));
}

QString TStationRowReader::shared(int column, QString text)
{
    QString& previous = m_previous[column];
    if (text != previous)
        previous = std::move(text);
    return previous;
}

std::unique_ptr<TStationSensorItem> TStationRowReader::operator()(const TDbQuery& row)
{
    if (!m_found) {
        static const std::array<QString, Count> names = {
            QStringLiteral("STATION_ID"),    QStringLiteral("SENSORNAME"), QStringLiteral("BASIN"),
            QStringLiteral("DISTRICT"),      QStringLiteral("CITY"),       QStringLiteral("COUNTY"),
            QStringLiteral("STATE"),         QStringLiteral("COUNTRY"),    QStringLiteral("PRIMARY_CHANNEL"),
            QStringLiteral("RANDOM_CHANNEL")};
        for (int column = 0; column < Count; ++column)
            m_columns[column] = row.columnIndex(names[column]);
        m_found = true;
    }
    auto item = std::make_unique<TStationSensorItem>();
    item->STATION_ID = shared(StationId, row.asString(m_columns[StationId]));
    item->SENSORNAME = shared(SensorName, row.asString(m_columns[SensorName]));
    item->BASIN = shared(Basin, row.asString(m_columns[Basin]));
    item->DISTRICT = shared(District, row.asString(m_columns[District]));
    item->CITY = shared(City, row.asString(m_columns[City]));
    item->COUNTY = shared(County, row.asString(m_columns[County]));
    item->STATE = shared(State, row.asString(m_columns[State]));
    item->COUNTRY = shared(Country, row.asString(m_columns[Country]));
    item->PRIMARY_CHANNEL = row.asInteger(m_columns[Primary]);
    item->RANDOM_CHANNEL = row.asInteger(m_columns[Random]);
    return item;
}
