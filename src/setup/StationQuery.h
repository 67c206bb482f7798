#pragma once

#include <QString>

class TDbDatabase;
class TStationSensorCache;

// Every station/sensor pair of the database with the station's attributes
// (StationQueryBase), narrowed by the filter file that `filterFile` names. A
// blank name, a file that cannot be read or one of blank lines leaves the
// list unfiltered. The name is used as given, blanks included. Raises
// EFilterError when the file's text cannot be a condition.
QString StationListQuery(const QString& filterFile);

// Runs the statement in a read-only run of the database and appends one
// cache row per result row, in result order; NULL columns give empty texts and zero channels. Raises
// EDatabaseError when the database is closed or refuses the statement; the
// rows read until then stay in the cache.
void ReadStations(TDbDatabase& database, const QString& statement, TStationSensorCache& cache);
