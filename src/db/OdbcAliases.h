#pragma once

#include <QStringList>

// The data sources that unixODBC knows, which the program offers as its
// database aliases.
//
// The list comes from the driver manager itself (SQLDataSources), so it
// follows the same files and the same precedence that opening a connection
// does: the user's data sources ($ODBCINI, else ~/.odbc.ini) first, then the
// system ones ($ODBCSYSINI/odbc.ini, else /etc/odbc.ini), each in the order of
// its file. A name defined in both places is listed once, where the user's
// definition stands, because that is the one a connection would use.
namespace OdbcAliases {

// Raises EDatabaseError when the driver manager cannot be asked.
QStringList names();

} // namespace OdbcAliases
