// Measures the filter editor's start: creating the window, which reads
// QV_SITES (50,000 rows) and QV_SITESENSORS (200,000 rows) whole and keeps
// every distinct value of every column, against a bare read of every value of
// both tables through the same engine, and against a raw ODBC read of them as
// isql reads, without Qt. Prints one "name: value" line per figure; the window
// should cost at most twice the raw read (open_vs_raw_ratio <= 2).
#include "BenchTiming.h"
#include "OdbcFixture.h"
#include "RawOdbcRead.h"
#include "db/DbDatabase.h"
#include "db/DbQuery.h"
#include "db/DbSession.h"
#include "db/DbTable.h"
#include "filter/FilterSelect.h"
#include "widgets/MessageBox.h"

#include <QApplication>

#include <cstdio>

namespace {

constexpr int Runs = 3;
constexpr int Stations = 50000;
constexpr int SensorsPerStation = 4;

void print(const char* name, const QString& value)
{
    std::printf("%s: %s\n", name, qPrintable(value));
}

void execute(TDbDatabase& database, const QString& sql)
{
    TDbQuery query(database);
    query.setSql(sql);
    query.execute();
}

// The rows come from recursive queries inside the database, in one
// transaction: loading them costs far less than the work measured. Twelve
// columns of QV_SITES are filled, with thousands of distinct values in most
// and letter-case variants in the basins.
void fillTables(TDbDatabase& database)
{
    database.startTransaction();
    execute(database,
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                           "INSERT INTO QV_SITES (STATION_ID, DESCRIPTION, BASIN, DISTRICT, CITY, COUNTY, STATE, "
                           "COUNTRY, PRIMARY_CHANNEL, RANDOM_CHANNEL, ELEVATION, INSTALLED) "
                           "SELECT printf('ST%06d', i), 'Station ' || i, "
                           "CASE WHEN i % 2 = 0 THEN 'BASIN ' ELSE 'Basin ' END || (i % 5000), "
                           "'District ' || (i % 1000), 'City ' || (i % 20000), 'County ' || (i % 3000), "
                           "'State ' || (i % 50), 'Country ' || (i % 10), i % 256, i % 1000, (i % 9000) / 10.0, "
                           "date('2000-01-01', '+' || (i % 8000) || ' days') FROM n")
                .arg(Stations));
    execute(database,
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1 - 1) "
                           "INSERT INTO QV_SITESENSORS (STE_STATION_ID, SENSORNAME, SENSOR_TYPE, UNITS, SENSOR_ORDER) "
                           "SELECT printf('ST%06d', i / %2 + 1), 'SENSOR' || (i % 97), 'Type ' || (i % 40), "
                           "'Unit ' || (i % 25), i % %2 FROM n")
                .arg(Stations * SensorsPerStation)
                .arg(SensorsPerStation));
    database.commit();
}

// Every value of every row as text, the way the window reads them.
qint64 readTable(TDbDatabase& database, const QString& name)
{
    TDbTable table(database);
    table.setTableName(name);
    table.open();
    qint64 characters = 0;
    while (table.next()) {
        for (int column = 0; column < table.fieldCount(); ++column) {
            if (!table.isNull(column))
                characters += table.asString(column).size();
        }
    }
    return characters;
}

int rowCount(TDbDatabase& database, const QString& table)
{
    TDbQuery query(database);
    query.setSql(QStringLiteral("SELECT COUNT(*) AS CNT FROM ") + table);
    query.open();
    query.next();
    return query.asInteger(QStringLiteral("CNT"));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    OdbcFixture odbc;
    if (!odbc.isValid() || odbc.addSqliteDataSource(QStringLiteral("BenchFilter")).isEmpty()) {
        std::fprintf(stderr, "The SQLite ODBC data source could not be set up\n");
        return 1;
    }
    // A failed table read would show a box; here it is recorded instead.
    MessageBox::setTestMode(true);

    TDbSession session;
    session.open();
    try {
        TDbDatabase database(session);
        database.setDatabaseName(QStringLiteral("BenchFilter"));
        database.open();
        const double fillMs = bestMs(1, [&] { fillTables(database); });
        print("sites_rows", QString::number(rowCount(database, QStringLiteral("QV_SITES"))));
        print("sensors_rows", QString::number(rowCount(database, QStringLiteral("QV_SITESENSORS"))));
        print("fill_ms", QString::number(fillMs, 'f', 1));

        const double readMs = bestMs(Runs, [&] {
            readTable(database, QStringLiteral("QV_SITES"));
            readTable(database, QStringLiteral("QV_SITESENSORS"));
        });
        std::size_t rawRows = 0;
        const double rawMs = rawReadMs(
            database.databaseName(),
            {QStringLiteral("SELECT * FROM QV_SITES"), QStringLiteral("SELECT * FROM QV_SITESENSORS")}, Runs, rawRows);
        const double openMs = bestMs(Runs, [&] { TfrmFilterSelect window(nullptr, session, database); });
        if (!MessageBox::shownTexts().isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(MessageBox::shownTexts().join(u'\n')));
            return 1;
        }
        print("open_ms", QString::number(openMs, 'f', 1));
        print("read_ms", QString::number(readMs, 'f', 1));
        print("open_vs_read_ratio", QString::number(openMs / readMs, 'f', 2));
        print("raw_read_rows", QString::number(rawRows));
        print("raw_read_ms", QString::number(rawMs, 'f', 1));
        print("open_vs_raw_ratio", QString::number(openMs / rawMs, 'f', 2));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
