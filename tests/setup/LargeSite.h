#pragma once

#include <QString>

// A generated site for the setup editor's large cases: `stations` stations
// named STN00000, STN00001, … with `sensorsPerStation` sensors each
// (SENSOR01, SENSOR02, …) and every attribute filled, some of them NULL or
// blank, as a field network has them. Writes the SQL that adds it to the
// sample schema into `folder` and returns the file's path, or empty on failure.
QString writeLargeSiteSql(const QString& folder, int stations, int sensorsPerStation);
