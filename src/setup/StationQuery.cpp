#include "StationQuery.h"

#include "DataDef.h"
#include "DbQuery.h"
#include "FilterFile.h"

#include <memory>

namespace {

void readStationRows(TDbDatabase& database, const QString& statement, TStationSensorCache& cache)
{
    TDbQuery query(database);
    query.setSql(statement);
    query.open();
    while (query.next()) {
        auto row = std::make_unique<TStationSensorItem>();
        row->STATION_ID = query.asString(QStringLiteral("STATION_ID"));
        row->SENSORNAME = query.asString(QStringLiteral("SENSORNAME"));
        row->BASIN = query.asString(QStringLiteral("BASIN"));
        row->DISTRICT = query.asString(QStringLiteral("DISTRICT"));
        row->CITY = query.asString(QStringLiteral("CITY"));
        row->COUNTY = query.asString(QStringLiteral("COUNTY"));
        row->STATE = query.asString(QStringLiteral("STATE"));
        row->COUNTRY = query.asString(QStringLiteral("COUNTRY"));
        row->PRIMARY_CHANNEL = query.asInteger(QStringLiteral("PRIMARY_CHANNEL"));
        row->RANDOM_CHANNEL = query.asInteger(QStringLiteral("RANDOM_CHANNEL"));
        cache.AddRow(std::move(row));
    }
}

} // namespace

QString StationListQuery(const QString& filterFile)
{
    const QString base = StationQueryBase;
    if (filterFile.trimmed().isEmpty())
        return base;
    return ApplyFilterFile(base, filterFile);
}

void ReadStations(TDbDatabase& database, const QString& statement, TStationSensorCache& cache)
{
    // The statement holds a filter from a file that others may write.
    database.runReadOnly([&] { readStationRows(database, statement, cache); });
}
