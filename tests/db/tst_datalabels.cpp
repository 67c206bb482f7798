#include "OdbcFixture.h"
#include "db/DataLabels.h"
#include "db/DbDatabase.h"
#include "db/DbQuery.h"
#include "db/DbSession.h"

#include <QtTest>

#include <array>
#include <memory>

using namespace Qt::StringLiterals;

// Data-label registration into QV_PPLIST on a real ODBC data source: SQLite
// by default, the throwaway PostgreSQL or MariaDB server when QVZ_TEST_ENGINE
// is "postgresql" or "mariadb".
class TestDataLabels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void firstRegistrationInserts();
    void registeringAgainUpdates();
    void labelTexts_data();
    void labelTexts();
    void laterGroupWins();
    void closedDatabaseRegistersNothing();
    void missingTableIsDropped();
    void failingEntryKeepsTheOthers();
    void bulkMatchesOneByOne_data();
    void bulkMatchesOneByOne();

private:
    // Function, station, sensor, label.
    using Entry = std::array<QString, 4>;
    void registerOne(TDbDatabase& db, const Entry& entry);
    static std::unique_ptr<TZizaVureGroups> groupsOf(const QList<Entry>& entries);
    QStringList rows();
    void execute(const QString& sql);

    OdbcFixture m_odbc;
    TDbSession m_session;
    std::unique_ptr<TDbDatabase> m_db;
    QStringList m_cleanup;
};

void TestDataLabels::initTestCase()
{
    QVERIFY(m_odbc.isValid());
    const auto login = m_odbc.addEngineDataSource(u"QVZ Labels"_s);
    QVERIFY2(login, "the test engine's data source is not available");
    m_session.open();
    m_db = std::make_unique<TDbDatabase>(m_session);
    m_db->setDatabaseName(login->dataSource);
    m_db->setParams({u"USER NAME="_s + login->user, u"PASSWORD="_s + login->password});
    m_db->open();
}

void TestDataLabels::init()
{
    execute(u"DELETE FROM QV_PPLIST"_s);
}

void TestDataLabels::cleanup()
{
    for (const QString& sql : std::as_const(m_cleanup))
        execute(sql);
    m_cleanup.clear();
}

static TStationSensorInfoItem item(const QString& station, const QString& sensor, const QString& label)
{
    TStationSensorInfoItem entry;
    entry.StationId = station;
    entry.SensorName = sensor;
    entry.POLLDataLabel = label;
    entry.POLLAltLabel = u"never registered"_s;
    return entry;
}

void TestDataLabels::registerOne(TDbDatabase& db, const Entry& entry)
{
    RegisterDataLabel(db, entry[0], item(entry[1], entry[2], entry[3]));
}

// One group per entry, in order.
std::unique_ptr<TZizaVureGroups> TestDataLabels::groupsOf(const QList<Entry>& entries)
{
    auto groups = std::make_unique<TZizaVureGroups>();
    for (const Entry& entry : entries) {
        auto group = std::make_unique<TZizaVureGroupItem>();
        group->FuncName = entry[0];
        group->StationSensors.push_back(std::make_unique<TStationSensorInfoItem>(item(entry[1], entry[2], entry[3])));
        groups->AddGroup(std::move(group));
    }
    return groups;
}

// Read from the bytes stored: each value must be exactly the text registered.
QStringList TestDataLabels::rows()
{
    return OdbcFixture::labelRows(*m_db);
}

void TestDataLabels::execute(const QString& sql)
{
    TDbQuery query(*m_db);
    query.setSql(sql);
    query.execute();
}

void TestDataLabels::firstRegistrationInserts()
{
    registerOne(*m_db, {u"avg"_s, u"st1"_s, u"temp"_s, u"t_avg"_s});
    QCOMPARE(rows(), QStringList{u"ST1/TEMP/T_AVG/AVG"_s});
}

void TestDataLabels::registeringAgainUpdates()
{
    registerOne(*m_db, {u"avg"_s, u"st1"_s, u"temp"_s, u"t_avg"_s});
    registerOne(*m_db, {u"AVG"_s, u"ST1"_s, u"Temp"_s, u"T_MEAN"_s});
    registerOne(*m_db, {u"max"_s, u"st1"_s, u"temp"_s, u"t_max"_s});
    QCOMPARE(rows(), (QStringList{u"ST1/TEMP/T_MEAN/AVG"_s, u"ST1/TEMP/T_MAX/MAX"_s}));

    // Every row of the key gets the new label.
    execute(u"INSERT INTO QV_PPLIST VALUES ('ST1', 'TEMP', 'OLD', 'AVG')"_s);
    registerOne(*m_db, {u"avg"_s, u"st1"_s, u"temp"_s, u"new"_s});
    QCOMPARE(rows(), (QStringList{u"ST1/TEMP/NEW/AVG"_s, u"ST1/TEMP/NEW/AVG"_s, u"ST1/TEMP/T_MAX/MAX"_s}));
}

void TestDataLabels::labelTexts_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("stored");

    QTest::newRow("apostrophe") << u"o'brien's"_s << u"O'BRIEN'S"_s;
    QTest::newRow("200 characters") << QString(200, u'x') << QString(200, u'X');
    QTest::newRow("only a-z folds") << u"t\u00e9mp_\u00df-1"_s << u"T\u00e9MP_\u00df-1"_s;
    QTest::newRow("colon") << u":label"_s << u":LABEL"_s;
}

void TestDataLabels::labelTexts()
{
    QFETCH(QString, label);
    QFETCH(QString, stored);

    registerOne(*m_db, {u"avg"_s, u"st1"_s, u"temp"_s, label});
    QCOMPARE(rows(), QStringList{u"ST1/TEMP/"_s + stored + u"/AVG"_s});
}

void TestDataLabels::laterGroupWins()
{
    const auto groups = groupsOf({{u"AVG"_s, u"st1"_s, u"temp"_s, u"first"_s},
                                  {u"MAX"_s, u"st1"_s, u"temp"_s, u"peak"_s},
                                  {u"avg"_s, u"ST1"_s, u"TEMP"_s, u"second"_s}});
    QList<QPair<int, int>> progress;
    RegisterAllDataLabels(*m_db, *groups, [&progress](int done, int total) { progress.append({done, total}); });
    QCOMPARE(rows(), (QStringList{u"ST1/TEMP/SECOND/AVG"_s, u"ST1/TEMP/PEAK/MAX"_s}));
    QCOMPARE(progress, (QList<QPair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));
}

void TestDataLabels::closedDatabaseRegistersNothing()
{
    TDbDatabase closed(m_session);
    closed.setDatabaseName(m_db->databaseName());
    registerOne(closed, {u"avg"_s, u"st1"_s, u"temp"_s, u"t"_s});
    RegisterAllDataLabels(closed, *groupsOf({{u"AVG"_s, u"st1"_s, u"temp"_s, u"t"_s}}));
    QVERIFY(!closed.isOpen());
    QCOMPARE(rows(), QStringList());
}

void TestDataLabels::missingTableIsDropped()
{
    execute(u"ALTER TABLE QV_PPLIST RENAME TO QV_PPLIST_AWAY"_s);
    m_cleanup.append(u"ALTER TABLE QV_PPLIST_AWAY RENAME TO QV_PPLIST"_s);
    // The operator sees nothing; the administrator's log has it.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^Data label of ST1\\.TEMP not registered: "_s));
    registerOne(*m_db, {u"avg"_s, u"ST1"_s, u"TEMP"_s, u"t"_s});
    int reported = 0;
    RegisterAllDataLabels(*m_db,
                          *groupsOf({{u"AVG"_s, u"st1"_s, u"temp"_s, u"t"_s}, {u"AVG"_s, u"st2"_s, u"temp"_s, u"t"_s}}),
                          [&reported](int done, int) { reported = done; });
    QCOMPARE(reported, 2);
    QVERIFY(m_db->isOpen());
    QVERIFY(!m_db->inTransaction());
}

void TestDataLabels::failingEntryKeepsTheOthers()
{
    // PostgreSQL and MariaDB refuse a label longer than its column; SQLite
    // ignores column lengths, so a trigger refuses one there.
    QString refused = QString(300, u'r');
    if (OdbcFixture::onSqlite()) {
        refused = u"refused"_s;
        execute(u"CREATE TRIGGER QV_PPLIST_REFUSE BEFORE INSERT ON QV_PPLIST WHEN NEW.DATA_LABEL = 'REFUSED' "
                u"BEGIN SELECT RAISE(ABORT, 'label refused'); END"_s);
        m_cleanup.append(u"DROP TRIGGER QV_PPLIST_REFUSE"_s);
    }
    registerOne(*m_db, {u"avg"_s, u"st0"_s, u"temp"_s, refused});
    QCOMPARE(rows(), QStringList());

    RegisterAllDataLabels(*m_db, *groupsOf({{u"AVG"_s, u"st1"_s, u"temp"_s, u"one"_s},
                                            {u"AVG"_s, u"st2"_s, u"temp"_s, refused},
                                            {u"AVG"_s, u"st3"_s, u"temp"_s, u"three"_s}}));
    QCOMPARE(rows(), (QStringList{u"ST1/TEMP/ONE/AVG"_s, u"ST3/TEMP/THREE/AVG"_s}));
    QVERIFY(!m_db->inTransaction());
}

void TestDataLabels::bulkMatchesOneByOne_data()
{
    QTest::addColumn<QString>("collation");   // of the table's text, when not the one it was made with
    QTest::addColumn<QStringList>("stored");  // rows as "station/sensor/label/function"
    QTest::addColumn<QStringList>("entries"); // as "function/station/sensor/label"

    QStringList many;
    for (int i = 0; i < 100; ++i)
        many.append(u"OTHER%1/TEMP/L/AVG"_s.arg(i));
    // MariaDB's default collation folds letter case and accents, as a site's
    // database may: the keys read must still find the rows that it matches.
    QStringList collations{QString()};
    if (OdbcFixture::engine() == OdbcFixture::Engine::MariaDb)
        collations.append(u"utf8mb4_general_ci"_s);
    for (const QString& collation : std::as_const(collations)) {
        const auto row = [&collation](const QString& name) -> QTestData& {
            return QTest::newRow(qPrintable(collation.isEmpty() ? name : name + u", "_s + collation)) << collation;
        };
        row(u"new keys"_s) << QStringList() << QStringList{u"avg/st1/temp/a"_s, u"max/st1/temp/b"_s};
        row(u"stored key"_s) << QStringList{u"ST1/TEMP/OLD/AVG"_s, u"ST2/TEMP/OLD/AVG"_s}
                             << QStringList{u"avg/st1/temp/new"_s, u"avg/st3/temp/c"_s};
        row(u"stored in other letter case"_s)
            << QStringList{u"st1/Temp/OLD/avg"_s} << QStringList{u"avg/st1/temp/new"_s};
        row(u"accents and blanks"_s) << QStringList{u"ST\u00c9 1 /TEMP/OLD/AVG"_s}
                                     << QStringList{u"avg/st\u00e9 1/temp/new"_s, u"avg/ste1/temp/x"_s};
        row(u"key repeated"_s) << QStringList() << QStringList{u"avg/st1/temp/a"_s, u"avg/ST1/TEMP/b"_s};
        row(u"table larger than the entries"_s)
            << (QStringList(many) << u"ST1/TEMP/OLD/AVG"_s) << QStringList{u"avg/st1/temp/new"_s, u"avg/st2/temp/b"_s};
    }
}

// Registering in bulk leaves the table as registering entry by entry does.
void TestDataLabels::bulkMatchesOneByOne()
{
    QFETCH(QString, collation);
    QFETCH(QStringList, stored);
    QFETCH(QStringList, entries);

    const QString convert = u"ALTER TABLE QV_PPLIST CONVERT TO CHARACTER SET utf8mb4 COLLATE %1"_s;
    if (!collation.isEmpty()) {
        execute(convert.arg(collation));
        m_cleanup.append(convert.arg(u"utf8mb4_bin"_s));
    }

    QList<Entry> list;
    for (const QString& entry : std::as_const(entries)) {
        const QStringList parts = entry.split(u'/');
        list.append({parts[0], parts[1], parts[2], parts[3]});
    }
    const auto fill = [&] {
        execute(u"DELETE FROM QV_PPLIST"_s);
        for (const QString& row : std::as_const(stored))
            execute(u"INSERT INTO QV_PPLIST VALUES ('%1')"_s.arg(row.split(u'/').join(u"', '"_s)));
    };
    fill();
    RegisterAllDataLabels(*m_db, *groupsOf(list));
    const QStringList bulk = rows();
    fill();
    for (const Entry& entry : std::as_const(list))
        registerOne(*m_db, entry);
    QCOMPARE(bulk, rows());
}

QTEST_GUILESS_MAIN(TestDataLabels)
#include "tst_datalabels.moc"
