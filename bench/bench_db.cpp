// Measures data-label registration: 200 groups of 100 entries (20,000 rows)
// registered into fresh databases, once with RegisterAllDataLabels and once
// with the same statements committed entry by entry (RegisterDataLabel in a
// loop), each into a database emptied first. Prints one "name: value" line
// per figure: register_<engine>_ms, naive_<engine>_ms and speedup_<engine>
// (target >= 10 on each engine).
//
// SQLite always runs, in a private ODBC setup. PostgreSQL runs when
// QVZ_PG_DSN_FILE names a data source file as tests/db/pgcluster.sh writes it,
// and MariaDB when QVZ_MARIADB_DSN_FILE names one of
// tests/db/mariadbcluster.sh:
//   tests/db/pgcluster.sh start /tmp/qvz-pg
//   tests/db/mariadbcluster.sh start /tmp/qvz-mariadb
//   QVZ_PG_DSN_FILE=/tmp/qvz-pg/odbc.ini QVZ_MARIADB_DSN_FILE=/tmp/qvz-mariadb/odbc.ini build/bin/bench_db
//   tests/db/pgcluster.sh stop /tmp/qvz-pg
//   tests/db/mariadbcluster.sh stop /tmp/qvz-mariadb
#include "BenchTiming.h"
#include "LargeConfiguration.h"
#include "OdbcFixture.h"
#include "db/DataLabels.h"
#include "db/DbDatabase.h"
#include "db/DbQuery.h"
#include "db/DbSession.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr int GroupCount = 200;
constexpr int EntriesPerGroup = 100;

// The servers measured when their data source is given, with the name that
// their figures carry.
struct Server
{
    OdbcFixture::Engine engine;
    const char* name;
};
constexpr Server Servers[] = {{OdbcFixture::Engine::Postgres, "pg"}, {OdbcFixture::Engine::MariaDb, "mariadb"}};

void print(const QString& name, const QString& value)
{
    std::printf("%s: %s\n", qPrintable(name), qPrintable(value));
}

int rowCount(TDbDatabase& db)
{
    TDbQuery query(db);
    query.setSql(QStringLiteral("SELECT COUNT(*) AS CNT FROM QV_PPLIST"));
    query.open();
    query.next();
    return query.asInteger(QStringLiteral("CNT"));
}

std::unique_ptr<TDbDatabase> openDatabase(TDbSession& session, const OdbcFixture::Login& login)
{
    auto db = std::make_unique<TDbDatabase>(session);
    db->setDatabaseName(login.dataSource);
    db->setParams({QStringLiteral("USER NAME=") + login.user, QStringLiteral("PASSWORD=") + login.password});
    db->open();
    return db;
}

void emptyLabels(TDbDatabase& db)
{
    TDbQuery empty(db);
    empty.setSql(QStringLiteral("DELETE FROM QV_PPLIST"));
    empty.execute();
}

// Registers the groups both ways on one engine and prints its figures.
void measureEngine(const QString& engine, TDbDatabase& db, const TZizaVureGroups& groups)
{
    emptyLabels(db);
    const double fastMs = bestMs(1, [&] { RegisterAllDataLabels(db, groups); });
    print(u"register_%1_ms"_s.arg(engine), QString::number(fastMs, 'f', 1));
    print(u"register_%1_rows"_s.arg(engine), QString::number(rowCount(db)));

    emptyLabels(db);
    const double naiveMs = bestMs(1, [&] {
        for (int i = 0; i < groups.Count(); ++i) {
            const TZizaVureGroupItem* group = groups.Items(i);
            for (const auto& entry : group->StationSensors)
                RegisterDataLabel(db, group->FuncName, *entry);
        }
    });
    print(u"naive_%1_ms"_s.arg(engine), QString::number(naiveMs, 'f', 1));
    print(u"naive_%1_rows"_s.arg(engine), QString::number(rowCount(db)));
    print(u"speedup_%1"_s.arg(engine), QString::number(naiveMs / fastMs, 'f', 1));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    OdbcFixture odbc;
    if (!odbc.isValid() || odbc.addSqliteDataSource(QStringLiteral("BenchSqlite")).isEmpty()) {
        std::fprintf(stderr, "The SQLite ODBC data source could not be set up\n");
        return 1;
    }

    TZizaVureGroups groups;
    for (int number = 1; number <= GroupCount; ++number)
        groups.AddGroup(makeBenchmarkGroup(number, EntriesPerGroup));
    print(u"entries"_s, QString::number(GroupCount * EntriesPerGroup));

    TDbSession session;
    session.open();
    try {
        measureEngine(u"sqlite"_s, *openDatabase(session, {u"BenchSqlite"_s, {}, {}}), groups);
        for (const Server& server : Servers) {
            const QString name = QString::fromLatin1(server.name);
            const std::optional<OdbcFixture::Login> login = odbc.addServerDataSource(server.engine, u"Bench "_s + name);
            if (login)
                measureEngine(name, *openDatabase(session, *login), groups);
            else
                print(u"register_%1_ms"_s.arg(name), u"skipped"_s);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
