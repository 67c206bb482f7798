#pragma once

#include <QString>
#include <QStringList>

// Reads every field of every row of `statements` the plainest way ODBC
// offers, as isql does: its own connection to `dataSource` (made before the
// clock starts), SQLExecDirect, SQLFetch one row at a time and SQLGetData of
// each field as text; no Qt at all. The best of `runs` reads, in
// milliseconds, or -1 when the data source cannot be read; `rows` counts the
// rows of one read.
double rawReadMs(const QString& dataSource, const QStringList& statements, int runs, std::size_t& rows);
