#include "OdbcFixture.h"
#include "db/DbBackgroundRead.h"
#include "db/DbBatch.h"
#include "db/DbDatabase.h"
#include "db/DbError.h"
#include "db/DbQuery.h"
#include "db/DbSession.h"
#include "db/DbTable.h"
#include "db/OdbcAliases.h"
#include "db/SqlParameters.h"

#include <QtTest>

#include <algorithm>
#include <memory>
#include <tuple>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(TDbFieldType)

// The database layer on a real ODBC data source: SQLite by default, the
// throwaway PostgreSQL or MariaDB server when QVZ_TEST_ENGINE is "postgresql"
// or "mariadb".
class TestDbLayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void positionalParameters_data();
    void positionalParameters();
    void aliasesUserThenSystem();
    void openRefusesWrongLogin_data();
    void openRefusesWrongLogin();
    void closingTheSessionClosesItsDatabases();
    void namedParameters();
    void nullsAndColumnNamesInAnyCase();
    void driverMessages_data();
    void driverMessages();
    void blockRead_data();
    void blockRead();
    void rollbackUndoes();
    void batchInsertsEverySet();
    void batchFailureRaises();
    void readOnlyRunChangesNothing();
    void tableColumns_data();
    void tableColumns();
    void tableRows();
    void backgroundRead_data();
    void backgroundRead();
    void backgroundReadStops_data();
    void backgroundReadStops();
    void backgroundReadCancelledBetweenRows();

private:
    QString scalar(const QString& sql, const QString& column);

    OdbcFixture m_odbc;
    OdbcFixture::Login m_login;
    TDbSession m_session;
    std::unique_ptr<TDbDatabase> m_db;
};

void TestDbLayer::initTestCase()
{
    QVERIFY(m_odbc.isValid());
    const auto login = m_odbc.addEngineDataSource(u"QVZ Test"_s);
    QVERIFY2(login, "the test engine's data source is not available");
    m_login = *login;
    m_db = std::make_unique<TDbDatabase>(m_session);
    m_db->setDatabaseName(m_login.dataSource);
    m_db->setParams({u"USER NAME="_s + m_login.user, u"PASSWORD="_s + m_login.password});
}

void TestDbLayer::positionalParameters_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("positionalSql");
    QTest::addColumn<QStringList>("positions");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("repeated, any case") << u"SET X = :V_1 WHERE Y = :v_1 OR Z = :W"_s
                                        << u"SET X = ? WHERE Y = ? OR Z = ?"_s
                                        << QStringList{u"V_1"_s, u"v_1"_s, u"W"_s} << QStringList{u"V_1"_s, u"W"_s};
    QTest::newRow("string literals") << u"SELECT ':A', 'it''s :B', :C"_s << u"SELECT ':A', 'it''s :B', ?"_s
                                     << QStringList{u"C"_s} << QStringList{u"C"_s};
    QTest::newRow("quoted identifier") << u"SELECT \"a:B\", :K"_s << u"SELECT \"a:B\", ?"_s << QStringList{u"K"_s}
                                       << QStringList{u"K"_s};
    QTest::newRow("comments") << u"SELECT 1 -- :A\n, /* :B */ :C"_s << u"SELECT 1 -- :A\n, /* :B */ ?"_s
                              << QStringList{u"C"_s} << QStringList{u"C"_s};
    QTest::newRow("cast, bare colon, digit")
        << u"SELECT :A::text, : , :1"_s << u"SELECT ?::text, : , :1"_s << QStringList{u"A"_s} << QStringList{u"A"_s};
    QTest::newRow("unterminated literal") << u"SELECT ':A"_s << u"SELECT ':A"_s << QStringList() << QStringList();
}

void TestDbLayer::positionalParameters()
{
    QFETCH(QString, sql);
    QFETCH(QString, positionalSql);
    QFETCH(QStringList, positions);
    QFETCH(QStringList, names);

    const SqlParameters parameters(sql);
    QCOMPARE(parameters.positionalSql(), positionalSql);
    QCOMPARE(parameters.positions(), positions);
    QCOMPARE(parameters.names(), names);
}

void TestDbLayer::aliasesUserThenSystem()
{
    const OdbcFixture::Keys sqlite{{u"Driver"_s, u"SQLite3"_s}};
    m_odbc.addDataSource(OdbcFixture::User, u"Zeta"_s, sqlite);
    m_odbc.addDataSource(OdbcFixture::User, u"SHARED"_s, sqlite);
    m_odbc.addDataSource(OdbcFixture::System, u"System B"_s, sqlite);
    m_odbc.addDataSource(OdbcFixture::System, u"shared"_s, sqlite);
    m_odbc.addDataSource(OdbcFixture::System, u"System A"_s, sqlite);
    // Each file in its own order; the system's "shared" is hidden by the
    // user's "SHARED", which is the one a connection would open.
    QCOMPARE(OdbcAliases::names(),
             (QStringList{m_login.dataSource, u"Zeta"_s, u"SHARED"_s, u"System B"_s, u"System A"_s}));
}

void TestDbLayer::init()
{
    m_session.open();
    m_db->open();
    TDbQuery cleanup(*m_db);
    cleanup.setSql(u"DELETE FROM QV_PPLIST"_s);
    cleanup.execute();
}

QString TestDbLayer::scalar(const QString& sql, const QString& column)
{
    TDbQuery query(*m_db);
    query.setSql(sql);
    query.open();
    if (!query.next())
        return u"<no row>"_s;
    return query.isNull(column) ? u"<null>"_s : query.asString(column);
}

void TestDbLayer::openRefusesWrongLogin_data()
{
    QTest::addColumn<bool>("sessionOpen");
    QTest::addColumn<QString>("dataSource");
    QTest::addColumn<QStringList>("params");
    QTest::addColumn<QString>("message");

    const QStringList login{u"USER NAME="_s + m_login.user, u"PASSWORD="_s + m_login.password};
    QTest::newRow("unknown data source") << true << u"NO SUCH SOURCE"_s << login << u"Data source name not found"_s;
    QTest::newRow("session closed") << false << m_login.dataSource << login << u"Session Closed is not open"_s;
    QTest::newRow("unknown parameter") << true << m_login.dataSource << (login + QStringList{u"ROLE=admin"_s})
                                       << u"Unknown database parameter: ROLE=admin"_s;
    if (!OdbcFixture::onSqlite())
        QTest::newRow("wrong password") << true << m_login.dataSource
                                        << QStringList{u"USER NAME="_s + m_login.user, u"PASSWORD=wrong"_s}
                                        << OdbcFixture::forEngine({}, u"password authentication failed"_s,
                                                                  u"Access denied for user"_s);
}

void TestDbLayer::openRefusesWrongLogin()
{
    QFETCH(bool, sessionOpen);
    QFETCH(QString, dataSource);
    QFETCH(QStringList, params);
    QFETCH(QString, message);

    TDbSession session(u"Closed"_s);
    if (sessionOpen)
        session.open();
    TDbDatabase db(session);
    db.setDatabaseName(dataSource);
    db.setParams(params);
    try {
        db.open();
        QFAIL("the database opened");
    } catch (const EDatabaseError& error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
    QVERIFY(!db.isOpen());
    db.close(); // quietly, though never opened
}

void TestDbLayer::closingTheSessionClosesItsDatabases()
{
    TDbQuery query(*m_db);
    query.setSql(u"SELECT STATION_ID FROM QV_SITES"_s);
    query.open();
    QVERIFY(query.next());

    m_session.close();
    QVERIFY(!m_db->isOpen());
    m_session.close(); // again, quietly
    // The statement went with the connection; no more rows come from it.
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query.next());
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query.open());
}

void TestDbLayer::namedParameters()
{
    TDbQuery insert(*m_db);
    insert.setSql(u"INSERT INTO QV_PPLIST (STATION_ID, SENSORNAME, DATA_LABEL, FUNCTION_NAME) "
                  u"VALUES (:ID, :id, ':ID', :FN)"_s);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, insert.setParam(u"STATION"_s, u"x"_s));
    insert.setParam(u"Id"_s, u"O'Neil"_s);
    try {
        insert.execute();
        QFAIL("ran with a parameter unset");
    } catch (const EDatabaseError& error) {
        QCOMPARE(error.message(), u"No value for parameter FN"_s);
    }
    // Prepared once, run twice.
    insert.setParam(u"FN"_s, u"AVG"_s);
    QCOMPARE(insert.execute(), 1);
    insert.setParam(u"FN"_s, u"MAX"_s);
    QCOMPARE(insert.execute(), 1);

    QCOMPARE(scalar(u"SELECT COUNT(*) AS N FROM QV_PPLIST WHERE STATION_ID = 'O''Neil' AND SENSORNAME = 'O''Neil' "
                    u"AND DATA_LABEL = ':ID'"_s,
                    u"N"_s),
             u"2"_s);
}

void TestDbLayer::nullsAndColumnNamesInAnyCase()
{
    TDbQuery query(*m_db);
    query.setSql(u"SELECT STATION_ID, BASIN, PRIMARY_CHANNEL, COUNT(*) AS CNT FROM QV_SITES WHERE STATION_ID = :ID "
                 u"GROUP BY STATION_ID, BASIN, PRIMARY_CHANNEL"_s);
    query.setParam(u"ID"_s, u"ST001"_s);
    query.open();
    QVERIFY(query.next());
    QCOMPARE(query.asString(u"station_id"_s), u"ST001"_s);
    QVERIFY(query.isNull(u"Basin"_s));
    QCOMPARE(query.asString(u"BASIN"_s), QString());
    QVERIFY(!query.isNull(u"primary_channel"_s));
    QCOMPARE(query.asInteger(u"PRIMARY_CHANNEL"_s), 6);
    QCOMPARE(query.asInteger(u"cnt"_s), 1);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query.asString(u"CITY"_s));
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, query.asInteger(u"STATION_ID"_s));
    QVERIFY(!query.next());
}

void TestDbLayer::driverMessages_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");

    QTest::newRow("missing table") << u"SELECT * FROM NO_SUCH_TABLE"_s
                                   << OdbcFixture::forEngine(u"no such table: NO_SUCH_TABLE"_s,
                                                             u"\"no_such_table\" does not exist"_s,
                                                             u"Table 'qvz.NO_SUCH_TABLE' doesn't exist"_s);
    QTest::newRow("missing column") << u"SELECT NO_SUCH_COLUMN FROM QV_SITES"_s
                                    << OdbcFixture::forEngine(u"no such column: NO_SUCH_COLUMN"_s,
                                                              u"\"no_such_column\" does not exist"_s,
                                                              u"Unknown column 'NO_SUCH_COLUMN'"_s);
    QTest::newRow("syntax") << u"SELECT FROM WHERE"_s
                            << OdbcFixture::forEngine(u"syntax error"_s, u"syntax error"_s,
                                                      u"error in your SQL syntax"_s);
}

void TestDbLayer::driverMessages()
{
    QFETCH(QString, sql);
    QFETCH(QString, message);

    for (const bool blocks : {false, true}) {
        TDbQuery query(*m_db);
        query.setBlockRead(blocks);
        query.setSql(sql);
        try {
            query.open();
            QFAIL("the statement ran");
        } catch (const EDatabaseError& error) {
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }
}

void TestDbLayer::blockRead_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QString>("rows");

    QTest::newRow("numbers, times and NULL")
        << u"SELECT * FROM QV_SITES WHERE STATION_ID = 'ST001'"_s
        << QStringList{u"STATION_ID"_s, u"BASIN"_s,          u"PRIMARY_CHANNEL"_s, u"ELEVATION"_s,
                       u"INSTALLED"_s,  u"REPORTING_TIME"_s, u"LAST_REPORT"_s}
        << u"ST001|<null>|6|817.61|1998-01-14|11:30:00|2024-02-04 00:15:00"_s;
    QTest::newRow("no rows") << u"SELECT STATION_ID FROM QV_SITES WHERE 1 = 0"_s << QStringList{u"STATION_ID"_s}
                             << QString();
    // The emoji take two UTF-16 units each, so 20 of them fill a
    // 20-character column twice over.
    QTest::newRow("non-ASCII, NULL and overlong in one block")
        << u"SELECT * FROM QV_PPLIST ORDER BY STATION_ID"_s
        << QStringList{u"STATION_ID"_s, u"DATA_LABEL"_s, u"FUNCTION_NAME"_s}
        << u"A|Zürich Süd|AVG\nB|東京都の観測所|%1\nC|<null>|MAX"_s.arg(u"😀"_s.repeated(20));
    // SQLite gives a computed column a bound size, which the long text
    // overruns; the servers give it one too large to bind.
    QTest::newRow("longer than any bound text")
        << OdbcFixture::forEngine(u"SELECT 'short' AS T UNION ALL SELECT replace(hex(zeroblob(2500)), '0', 'x') "
                                  "ORDER BY T"_s,
                                  u"SELECT 'short' AS T UNION ALL SELECT REPEAT('x', 5000) ORDER BY T"_s,
                                  u"SELECT 'short' AS T UNION ALL SELECT REPEAT('x', 5000) ORDER BY T"_s)
        << QStringList{u"T"_s} << u"short\n"_s + QString(5000, u'x');
}

// The block reading gives what Qt's reading gives.
void TestDbLayer::blockRead()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, columns);
    QFETCH(QString, rows);

    TDbQuery insert(*m_db);
    insert.setSql(u"INSERT INTO QV_PPLIST (STATION_ID, SENSORNAME, DATA_LABEL, FUNCTION_NAME) "
                  "VALUES (:ID, 'S', :LABEL, :FUNCTION)"_s);
    for (const auto& [id, label, function] : {std::tuple(u"A"_s, u"Zürich Süd"_s, u"AVG"_s),
                                              std::tuple(u"B"_s, u"東京都の観測所"_s, u"😀"_s.repeated(20))}) {
        insert.setParam(u"ID"_s, id);
        insert.setParam(u"LABEL"_s, label);
        insert.setParam(u"FUNCTION"_s, function);
        insert.execute();
    }
    insert.setSql(u"INSERT INTO QV_PPLIST (STATION_ID, SENSORNAME, FUNCTION_NAME) VALUES ('C', 'S', 'MAX')"_s);
    insert.execute();
    for (const bool blocks : {false, true}) {
        TDbQuery query(*m_db);
        query.setBlockRead(blocks);
        query.setSql(sql);
        query.open();
        QStringList read;
        while (query.next()) {
            QStringList fields;
            for (const QString& column : columns)
                fields.append(query.isNull(column) ? u"<null>"_s : query.asString(column));
            read.append(fields.join(u'|'));
        }
        QCOMPARE(read.join(u'\n'), rows);
    }
}

void TestDbLayer::rollbackUndoes()
{
    m_db->startTransaction();
    QVERIFY(m_db->inTransaction());
    TDbQuery insert(*m_db);
    insert.setSql(u"INSERT INTO QV_PPLIST (STATION_ID, SENSORNAME, FUNCTION_NAME) VALUES ('X', 'Y', 'Z')"_s);
    insert.execute();
    m_db->rollback();
    QVERIFY(!m_db->inTransaction());
    QCOMPARE(scalar(u"SELECT COUNT(*) AS N FROM QV_PPLIST"_s, u"N"_s), u"0"_s);
}

void TestDbLayer::batchInsertsEverySet()
{
    const QStringList values{u"O'Neil"_s, QString(), u"\u00e6\u00f8\u00e5 \u4e2d"_s, QString(39, u'x'), u":ID"_s};
    TDbBatch batch(*m_db, u"INSERT INTO QV_PPLIST (STATION_ID, SENSORNAME, DATA_LABEL, FUNCTION_NAME) "
                          u"VALUES (:id, :ID, :LABEL, 'F')"_s);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, batch.setParam(u"NAME"_s, u"x"_s));
    for (int run = 0; run < 2; ++run) {
        for (const QString& value : values) {
            batch.setParam(u"Id"_s, value + QString::number(run));
            batch.setParam(u"label"_s, value);
            batch.addRow();
        }
        batch.execute();
        QCOMPARE(batch.rowCount(), 0);
    }
    batch.setParam(u"ID"_s, u"unfinished"_s);
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, batch.addRow());

    TDbQuery rows(*m_db);
    rows.setSql(u"SELECT %1 AS S, %2 AS N, %3 AS L FROM QV_PPLIST"_s.arg(
        OdbcFixture::hexOf(u"STATION_ID"_s), OdbcFixture::hexOf(u"SENSORNAME"_s), OdbcFixture::hexOf(u"DATA_LABEL"_s)));
    rows.open();
    const auto text = [&rows](int column) { return OdbcFixture::fromHex(rows.asString(column)); };
    QStringList stored; // from the bytes stored, to the last one
    while (rows.next())
        stored.append(text(0) + u'|' + text(1) + u'|' + text(2));
    QStringList expected;
    for (int run = 0; run < 2; ++run) {
        for (const QString& value : values)
            expected.append(value + QString::number(run) + u'|' + value + QString::number(run) + u'|' + value);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(stored.begin(), stored.end());
    QCOMPARE(stored, expected);
}

void TestDbLayer::batchFailureRaises()
{
    TDbQuery table(*m_db);
    table.setSql(u"CREATE TABLE QVZ_BATCH_KEYS (K VARCHAR(10) PRIMARY KEY)"_s);
    table.execute();
    const auto drop = qScopeGuard([&table] {
        table.setSql(u"DROP TABLE QVZ_BATCH_KEYS"_s);
        table.execute();
    });
    m_db->startTransaction();
    TDbBatch batch(*m_db, u"INSERT INTO QVZ_BATCH_KEYS (K) VALUES (:K)"_s);
    for (const QString& key : {u"a"_s, u"b"_s, u"a"_s}) {
        batch.setParam(u"K"_s, key);
        batch.addRow();
    }
    try {
        batch.execute();
        QFAIL("a duplicate key was inserted");
    } catch (const EDatabaseError& error) {
        const QString message = OdbcFixture::forEngine(u"UNIQUE constraint failed"_s, u"violates unique constraint"_s,
                                                       u"Duplicate entry 'a'"_s);
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
    QCOMPARE(batch.rowCount(), 0);
    m_db->rollback();
    QCOMPARE(scalar(u"SELECT COUNT(*) AS N FROM QVZ_BATCH_KEYS"_s, u"N"_s), u"0"_s);
}

// Each database refuses the write (SQLite through "query_only"); afterwards
// the connection writes again.
void TestDbLayer::readOnlyRunChangesNothing()
{
    const auto insert = [this] {
        TDbQuery query(*m_db);
        query.setSql(u"INSERT INTO QV_PPLIST (STATION_ID, SENSORNAME, FUNCTION_NAME) VALUES ('X', 'Y', 'Z')"_s);
        query.execute();
    };
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, m_db->runReadOnly(insert));
    QVERIFY(!m_db->inTransaction());
    QCOMPARE(scalar(u"SELECT COUNT(*) AS N FROM QV_PPLIST"_s, u"N"_s), u"0"_s);

    m_db->startTransaction();
    insert();
    QCOMPARE(scalar(u"SELECT COUNT(*) AS N FROM QV_PPLIST"_s, u"N"_s), u"1"_s);
    m_db->rollback();
}

void TestDbLayer::tableColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("name");
    QTest::addColumn<TDbFieldType>("type");

    QTest::newRow("character") << 0 << u"STATION_ID"_s << TDbFieldType::String;
    QTest::newRow("integer") << 8 << u"PRIMARY_CHANNEL"_s << TDbFieldType::Other;
    QTest::newRow("numeric") << 10 << u"ELEVATION"_s << TDbFieldType::Other;
    QTest::newRow("date") << 11 << u"INSTALLED"_s << TDbFieldType::Date;
    QTest::newRow("time") << 12 << u"REPORTING_TIME"_s << TDbFieldType::Time;
    QTest::newRow("date and time") << 14 << u"LAST_REPORT"_s << TDbFieldType::DateTime;
}

void TestDbLayer::tableColumns()
{
    QFETCH(int, column);
    QFETCH(QString, name);
    QFETCH(TDbFieldType, type);

    TDbTable table(*m_db);
    table.setTableName(u"QV_SITES"_s);
    table.open();
    QCOMPARE(table.fieldCount(), 15);
    QCOMPARE(table.fieldName(column).toUpper(), name);
    QCOMPARE(table.fieldType(column), type);
}

void TestDbLayer::tableRows()
{
    TDbTable table(*m_db);
    table.setTableName(u"QV_SITES"_s);
    table.open();
    // Rows come in the table's own order, which is the engine's.
    QStringList ids;
    QStringList st001;
    while (table.next()) {
        ids.append(table.asString(0));
        for (int column = 0; ids.last() == u"ST001"_s && column < table.fieldCount(); ++column)
            st001.append(table.isNull(column) ? u"<null>"_s : table.asString(column));
    }
    QCOMPARE(ids.size(), 60);
    QVERIFY(ids.contains(u"LK.2"_s) && ids.contains(u"st007"_s));
    QCOMPARE(st001.join(u'|'), u"ST001|Station ST001|<null>|District 3|Packwood|Lewis|WA|USA|6|114|817.61|"
                               u"1998-01-14|11:30:00|1440|2024-02-04 00:15:00"_s);

    for (const QString& name : {u"NO_SUCH_TABLE"_s, u"QV_SITES; DROP TABLE QV_PPLIST"_s}) {
        table.setTableName(name);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, table.open());
    }
}

QTEST_GUILESS_MAIN(TestDbLayer)
#include "tst_dblayer.moc"

namespace {

// A statement that never ends by itself on the test engine.
QString endlessStatement()
{
    return OdbcFixture::forEngine(
        u"WITH RECURSIVE C(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM C) SELECT X FROM C WHERE X < 0"_s,
        u"SELECT 1 AS X FROM pg_sleep(600)"_s, u"SELECT SLEEP(600) AS X"_s);
}

// How many of those the server runs for other connections; SQLite has no server.
QString runningEndlessStatements()
{
    return OdbcFixture::forEngine({},
                                  u"SELECT COUNT(*) AS N FROM pg_stat_activity "
                                  "WHERE query LIKE '%pg_sleep(600)%' AND pid <> pg_backend_pid()"_s,
                                  u"SELECT COUNT(*) AS N FROM information_schema.PROCESSLIST "
                                  "WHERE INFO LIKE '%SLEEP(600)%' AND ID <> CONNECTION_ID()"_s);
}

} // namespace

void TestDbLayer::backgroundRead_data()
{
    QTest::addColumn<bool>("sourceOpen");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<bool>("reads");
    QTest::addColumn<bool>("refused");

    QTest::newRow("rows") << true << u"SELECT STATION_ID FROM QV_SITES"_s << true << false;
    QTest::newRow("refused statement") << true << u"SELECT NO_SUCH_COLUMN FROM QV_SITES"_s << false << true;
    QTest::newRow("closed source") << false << u"SELECT STATION_ID FROM QV_SITES"_s << false << false;
}

void TestDbLayer::backgroundRead()
{
    QFETCH(bool, sourceOpen);
    QFETCH(QString, statement);
    QFETCH(bool, reads);
    QFETCH(bool, refused);

    const int rows = reads ? scalar(u"SELECT COUNT(*) AS N FROM QV_SITES"_s, u"N"_s).toInt() : 0;
    if (!sourceOpen)
        m_db->close();
    TDbBackgroundRead read(*m_db);
    read.setProbe(u"SELECT STATION_ID FROM QV_SITES WHERE 1 = 0"_s);
    QStringList stations;
    read.start(statement, [&stations](const TDbQuery& row) { stations.append(row.asString(u"STATION_ID"_s)); });
    QSignalSpy finished(&read, &TDbBackgroundRead::finished);
    QVERIFY(finished.wait(20000));
    QCOMPARE(stations.size(), rows);
    QCOMPARE(read.rowsRead(), rows);
    QCOMPARE(read.failed(), !reads);
    QCOMPARE(read.statementRefused(), refused);
    QVERIFY(!read.wasCancelled());
}

// A cancel between the rows of a long read stops it where it is.
void TestDbLayer::backgroundReadCancelledBetweenRows()
{
    const int rows = 60 * 60;
    TDbBackgroundRead read(*m_db);
    int delivered = 0;
    // Slow rows, so that the cancel comes while the rows of a later block
    // are read.
    read.start(u"SELECT A.STATION_ID FROM QV_SITES A, QV_SITES B"_s, [&delivered](const TDbQuery& row) {
        delivered += row.asString(0).isEmpty() ? 0 : 1;
        QThread::msleep(1);
    });
    QSignalSpy finished(&read, &TDbBackgroundRead::finished);
    QTRY_VERIFY(read.rowsRead() > 300);
    read.cancel();
    QVERIFY(finished.wait(20000));
    QVERIFY(read.wasCancelled());
    QVERIFY(!read.failed());
    QVERIFY(delivered > 0 && delivered < rows);
}

void TestDbLayer::backgroundReadStops_data()
{
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancelled") << true;
    QTest::newRow("time-out") << false;
}

// Cancel and the time-out end the statement in the database, not only the wait for it.
void TestDbLayer::backgroundReadStops()
{
    QFETCH(bool, cancel);
    if (!cancel && OdbcFixture::onSqlite())
        QSKIP("the SQLite driver has no statement time-out");
    const QString running = runningEndlessStatements();
    TDbBackgroundRead read(*m_db);
    read.setTimeout(cancel ? 0 : 1);
    QSignalSpy finished(&read, &TDbBackgroundRead::finished);
    read.start(endlessStatement(), [](const TDbQuery&) {});
    if (!running.isEmpty())
        QTRY_COMPARE(scalar(running, u"N"_s), u"1"_s);
    QVERIFY(!read.wait(300));
    if (cancel)
        read.cancel();
    QVERIFY(finished.wait(20000));
    QCOMPARE(read.wasCancelled(), cancel);
    QCOMPARE(read.failed(), !cancel);
    if (!running.isEmpty())
        QTRY_COMPARE(scalar(running, u"N"_s), u"0"_s);
}
