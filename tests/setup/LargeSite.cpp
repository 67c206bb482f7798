#include "LargeSite.h"

#include <QDir>
#include <QFile>

namespace {

// Recursive counting lets SQLite make the rows itself, which is much faster
// than as many INSERT statements.
const char* const SiteSql = R"(BEGIN;
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < {stations})
INSERT INTO QV_SITES (STATION_ID, BASIN, DISTRICT, CITY, COUNTY, STATE, COUNTRY, PRIMARY_CHANNEL,
                      RANDOM_CHANNEL, REPORTING_TIME, REPORTING_INTERVAL)
SELECT printf('STN%05d', i),
       CASE WHEN i % 23 = 0 THEN NULL WHEN i % 29 = 0 THEN '  ' ELSE 'Basin ' || (i % 97) END,
       'District ' || (i % 31),
       'City ' || (i % 389),
       CASE WHEN i % 11 = 0 THEN '' ELSE 'County ' || (i % 151) END,
       'State ' || (i % 50),
       'Country ' || (i % 7),
       CASE WHEN i % 13 = 0 THEN NULL ELSE i % 256 END,
       (i * 7919) % 4096,
       '06:00:00', 60
FROM n;
WITH RECURSIVE s(j) AS (SELECT 1 UNION ALL SELECT j + 1 FROM s WHERE j < {sensors})
INSERT INTO QV_SITESENSORS (STE_STATION_ID, SENSORNAME, SENSOR_ORDER)
SELECT STATION_ID, printf('SENSOR%02d', j), j FROM QV_SITES, s;
COMMIT;
)";

} // namespace

QString writeLargeSiteSql(const QString& folder, int stations, int sensorsPerStation)
{
    const QString path =
        QDir(folder).filePath(QStringLiteral("large-site-%1x%2.sql").arg(stations).arg(sensorsPerStation));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    QByteArray sql(SiteSql);
    sql.replace("{stations}", QByteArray::number(stations));
    sql.replace("{sensors}", QByteArray::number(sensorsPerStation));
    return file.write(sql) == sql.size() ? path : QString();
}
