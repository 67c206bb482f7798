#pragma once

#include <QString>

#include <memory>

class TDbQuery;
class TStationSensorItem;

// Every station/sensor pair of the database with the station's attributes
// (StationQueryBase), narrowed by the filter file that `filterFile` names. A
// blank name, a file that cannot be read or one of blank lines leaves the
// list unfiltered. The name is used as given, blanks included. Raises
// EFilterError when the file's text cannot be a condition.
QString StationListQuery(const QString& filterFile);

// The station query narrowed to no rows: it runs exactly when the database
// can read the station list, which tells a filter that the database refuses
// from a database that fails.
QString StationProbeQuery();

// One row of a station query as a cache row; NULL columns give empty texts
// and zero channels.
std::unique_ptr<TStationSensorItem> StationRow(const TDbQuery& row);
