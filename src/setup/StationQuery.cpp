#include "StationQuery.h"

#include "DataDef.h"
#include "DbQuery.h"
#include "FilterFile.h"

QString StationListQuery(const QString& filterFile)
{
    const QString base = StationQueryBase;
    if (filterFile.trimmed().isEmpty())
        return base;
    return ApplyFilterFile(base, filterFile);
}

QString StationProbeQuery()
{
    return NarrowStationQuery(StationQueryBase, QStringLiteral("1 = 0"));
}

std::unique_ptr<TStationSensorItem> StationRow(const TDbQuery& row)
{
    auto item = std::make_unique<TStationSensorItem>();
    item->STATION_ID = row.asString(QStringLiteral("STATION_ID"));
    item->SENSORNAME = row.asString(QStringLiteral("SENSORNAME"));
    item->BASIN = row.asString(QStringLiteral("BASIN"));
    item->DISTRICT = row.asString(QStringLiteral("DISTRICT"));
    item->CITY = row.asString(QStringLiteral("CITY"));
    item->COUNTY = row.asString(QStringLiteral("COUNTY"));
    item->STATE = row.asString(QStringLiteral("STATE"));
    item->COUNTRY = row.asString(QStringLiteral("COUNTRY"));
    item->PRIMARY_CHANNEL = row.asInteger(QStringLiteral("PRIMARY_CHANNEL"));
    item->RANDOM_CHANNEL = row.asInteger(QStringLiteral("RANDOM_CHANNEL"));
    return item;
}
