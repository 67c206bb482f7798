// Measures data-label registration: 200 groups of 100 entries (20,000 rows)
// registered into fresh databases, once with RegisterAllDataLabels and once
// with the same statements committed entry by entry (RegisterDataLabel in a
// loop). Prints one "name: value" line per figure.
//
// SQLite always runs, in a private ODBC setup. PostgreSQL runs when
// QVZ_PG_DSN_FILE names a data source file as tests/db/pgcluster.sh writes it:
//   tests/db/pgcluster.sh start /tmp/qvz-pg
//   QVZ_PG_DSN_FILE=/tmp/qvz-pg/odbc.ini build/bin/bench_db
//   tests/db/pgcluster.sh stop /tmp/qvz-pg
#include "BenchTiming.h"
#include "DataLabels.h"
#include "DbDatabase.h"
#include "DbQuery.h"
#include "DbSession.h"
#include "LargeConfiguration.h"
#include "OdbcFixture.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int GroupCount = 200;
constexpr int EntriesPerGroup = 100;

void print(const char* name, const QString& value)
{
    std::printf("%s: %s\n", name, qPrintable(value));
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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    OdbcFixture odbc;
    if (!odbc.isValid() || odbc.addSqliteDataSource(QStringLiteral("BenchFast")).isEmpty() ||
        odbc.addSqliteDataSource(QStringLiteral("BenchNaive")).isEmpty()) {
        std::fprintf(stderr, "The SQLite ODBC data sources could not be set up\n");
        return 1;
    }

    TZizaVureGroups groups;
    for (int number = 1; number <= GroupCount; ++number)
        groups.AddGroup(makeBenchmarkGroup(number, EntriesPerGroup));
    print("entries", QString::number(GroupCount * EntriesPerGroup));

    TDbSession session;
    session.open();
    try {
        auto fast = openDatabase(session, {QStringLiteral("BenchFast"), {}, {}});
        const double fastMs = bestMs(1, [&] { RegisterAllDataLabels(*fast, groups); });
        print("register_sqlite_ms", QString::number(fastMs, 'f', 1));
        print("register_sqlite_rows", QString::number(rowCount(*fast)));

        auto naive = openDatabase(session, {QStringLiteral("BenchNaive"), {}, {}});
        const double naiveMs = bestMs(1, [&] {
            for (int i = 0; i < groups.Count(); ++i) {
                const TZizaVureGroupItem* group = groups.Items(i);
                for (const auto& entry : group->StationSensors)
                    RegisterDataLabel(*naive, group->FuncName, *entry);
            }
        });
        print("naive_sqlite_ms", QString::number(naiveMs, 'f', 1));
        print("naive_sqlite_rows", QString::number(rowCount(*naive)));
        print("speedup_sqlite", QString::number(naiveMs / fastMs, 'f', 1));

        const std::optional<OdbcFixture::Login> pg = odbc.addPostgresDataSource(QStringLiteral("BenchPostgres"));
        if (!pg) {
            print("register_pg_ms", QStringLiteral("skipped"));
            return 0;
        }
        auto server = openDatabase(session, *pg);
        TDbQuery empty(*server);
        empty.setSql(QStringLiteral("DELETE FROM QV_PPLIST"));
        empty.execute();
        const double pgMs = bestMs(1, [&] { RegisterAllDataLabels(*server, groups); });
        print("register_pg_ms", QString::number(pgMs, 'f', 1));
        print("register_pg_rows", QString::number(rowCount(*server)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
