#pragma once

#include "platform/Exception.h"

#include <QLatin1String>
#include <QString>
#include <QStringList>

// Filter files (".flt"): plain text whose lines end with CR LF, written in
// UTF-8; lines written on the Windows side in its code page still read.
// The lines joined by line breaks form an SQL condition over QV_SITES and
// QV_SITESENSORS. The same format is read and written by the data-collection
// system's desktop program, so there is no header and no comment syntax.

// The station/sensor statement that a filter narrows. It ends with ") " so
// that " AND " and a condition can be appended as they are.
inline constexpr QLatin1String
    StationQueryBase("SELECT DISTINCT QV_SITES.STATION_ID, QV_SITESENSORS.SENSORNAME, QV_SITES.REPORTING_TIME, "
                     "QV_SITES.REPORTING_INTERVAL, QV_SITES.BASIN, QV_SITES.DISTRICT, QV_SITES.CITY, QV_SITES.COUNTRY, "
                     "QV_SITES.STATE, QV_SITES.COUNTY, QV_SITES.PRIMARY_CHANNEL, QV_SITES.RANDOM_CHANNEL "
                     "FROM QV_SITES, QV_SITESENSORS WHERE (QV_SITES.STATION_ID = QV_SITESENSORS.STE_STATION_ID) ");

// A filter text that cannot stand as one condition of the station query.
class EFilterError : public Exception
{
public:
    using Exception::Exception;
};

// Why a filter text cannot stand as one condition of the station query, so
// that nothing could follow it in the statement. The text is read as SQL
// tokens, with '…', "…", […] and `…` as quoted spans: refused are a ";", a
// "$", a "\", a stray "]" or a comment marker outside quoted text, a
// backslash inside it (databases read it differently), the words UNION,
// INTERSECT, EXCEPT and INTO, a quote left open, parentheses outside quoted
// text that do not pair up, and in […] and `…`, which some databases read as
// code, whatever is refused outside quoted text and any quote. Empty when it
// can.
QString FilterTextProblem(const QString& condition);

// `baseQuery` + " AND (" + `condition` + ")"; raises EFilterError with the
// text's problem.
QString NarrowStationQuery(const QString& baseQuery, const QString& condition);

// A filter is a condition that an operator types or picks: far below this.
inline constexpr qint64 MaxFilterFileSize = qint64(64) * 1024;

// Reads the lines of a filter file into `lines` (replacing what it held).
// A line ends at CR LF, LF or CR; a break at the very end starts no new line.
// A line that is valid UTF-8 reads as UTF-8, any other as Windows-1252.
// Returns false, with errno set, when the file cannot be read; a filter file
// may lie in a shared folder, so it is read as SharedFolderFile reads: not
// through another user's link, nothing but a regular file (errno ENODEV),
// nothing over MaxFilterFileSize (EFBIG).
bool ReadFilterLines(const QString& fileName, QStringList& lines);

// Creates or replaces the file with every line in UTF-8 followed by CR LF.
// The file is replaced whole or not at all, by a new file renamed onto the
// name (SharedFolderFile::replace). Returns false, leaving any old file as it
// was, when the file cannot be written.
bool WriteFilterLines(const QString& fileName, const QStringList& lines);

// The condition of a filter file for a statement: every line followed by
// CR LF, so the text always ends with a line break.
QString JoinFilterLines(const QStringList& lines);

// The station query narrowed by a filter file: NarrowStationQuery with the
// file's lines joined by JoinFilterLines, or `baseQuery` alone when the
// joined text is blank or the file does not exist (no message: a missing
// filter shows every station). Raises EFilterError, naming the file, when
// it is there but cannot be read, or its text cannot be a condition.
QString ApplyFilterFile(const QString& baseQuery, const QString& filterFileName);
