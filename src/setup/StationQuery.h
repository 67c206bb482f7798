#pragma once

#include <QString>

#include <array>
#include <memory>

class TDbQuery;
class TStationSensorItem;

// Every station/sensor pair of the database with the station's attributes
// (StationQueryBase), narrowed by the filter file that `filterFile` names. A
// blank name, a missing file or one of blank lines leaves the list
// unfiltered. The name is used as given, blanks included. Raises
// EFilterError when the file cannot be read or its text cannot be a condition.
QString StationListQuery(const QString& filterFile);

// The station query narrowed to no rows: it runs exactly when the database
// can read the station list, which tells a filter that the database refuses
// from a database that fails.
QString StationProbeQuery();

// Turns the rows of a station query into cache rows; NULL columns give empty
// texts and zero channels. The columns are found by name once, at the first
// row, since a site may have hundreds of thousands of rows; and a text equal
// to the same column of the row before is shared with it, since a station's
// attributes repeat on each of its sensors' rows.
class TStationRowReader
{
public:
    std::unique_ptr<TStationSensorItem> operator()(const TDbQuery& row);

private:
    QString shared(int column, QString text);

    enum Column { StationId, SensorName, Basin, District, City, County, State, Country, Primary, Random, Count };
    std::array<int, Count> m_columns{};
    bool m_found = false;
    std::array<QString, Count> m_previous;
};
