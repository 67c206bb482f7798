#include "OdbcFixture.h"
#include "TestFiles.h"
#include "db/DbDatabase.h"
#include "db/DbError.h"
#include "db/DbSession.h"
#include "filter/DistinctValues.h"
#include "filter/FilterFields.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The fields and values that the filter editor offers, read from a small
// SQLite data source of the sample schema.
class TestFilterFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void valuesOncePerTextIgnoringCase();
    void distinctValues_data();
    void distinctValues();
    void clause_data();
    void clause();
    void missingTableKeepsWhatWasRead();

private:
    TFilterFields readFrom(const QString& dataSource);
    static int indexOf(const TFilterFields& fields, const QString& name);

    QTemporaryDir m_folder;
    OdbcFixture m_odbc;
    TDbSession m_session;
    TFilterFields m_fields;
};

void TestFilterFields::initTestCase()
{
    const QString data = m_folder.filePath(u"data.sql"_s);
    TestFiles::write(data, "INSERT INTO QV_SITES (STATION_ID, BASIN, PRIMARY_CHANNEL) VALUES "
                           "('ST1', 'North', 6), ('ST2', NULL, 7), ('ST3', 'NORTH', 6), ('ST4', 'South', 8), "
                           "('ST5', 'north', 8), ('ST6', 'sOUTH', 7);\n");
    QVERIFY(!m_odbc.addSqliteDataSource(u"QVFIELDS"_s, {OdbcFixture::sampleFile(u"schema.sql"_s), data}).isEmpty());
    const QString sitesOnly = m_folder.filePath(u"sites.sql"_s);
    TestFiles::write(sitesOnly, "CREATE TABLE QV_SITES (STATION_ID VARCHAR(40), BASIN VARCHAR(40));\n");
    QVERIFY(!m_odbc.addSqliteDataSource(u"QVSITESONLY"_s, {sitesOnly}).isEmpty());
    m_session.open();
    m_fields = readFrom(u"QVFIELDS"_s);
}

TFilterFields TestFilterFields::readFrom(const QString& dataSource)
{
    TDbDatabase database(m_session);
    database.setDatabaseName(dataSource);
    database.open();
    TFilterFields fields;
    fields.read(database);
    return fields;
}

int TestFilterFields::indexOf(const TFilterFields& fields, const QString& name)
{
    for (std::size_t i = 0; i < fields.fields().size(); ++i) {
        if (fields.fields()[i].Name == name)
            return int(i);
    }
    return -1;
}

void TestFilterFields::valuesOncePerTextIgnoringCase()
{
    QCOMPARE(m_fields.fields().front().Name, u"QV_SITES.STATION_ID"_s);
    QVERIFY(indexOf(m_fields, u"QV_SITES.BASIN"_s) < indexOf(m_fields, u"QV_SITESENSORS.SENSORNAME"_s));
    QCOMPARE(m_fields.fields()[std::size_t(indexOf(m_fields, u"QV_SITES.BASIN"_s))].Data.Values,
             (QStringList{u"North"_s, u"South"_s}));
    QCOMPARE(m_fields.fields()[std::size_t(indexOf(m_fields, u"QV_SITES.PRIMARY_CHANNEL"_s))].Data.Values,
             (QStringList{u"6"_s, u"7"_s, u"8"_s}));
}

void TestFilterFields::distinctValues_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("kept"); // those that add() took as new

    QTest::newRow("exact repeats, empty text")
        << QStringList{u""_s, u"a"_s, u""_s, u"a"_s} << QStringList{u""_s, u"a"_s};
    QTest::newRow("ASCII case") << QStringList{u"North"_s, u"NORTH"_s, u"nORTH"_s, u"Nort"_s}
                                << QStringList{u"North"_s, u"Nort"_s};
    QTest::newRow("non-ASCII case") << QStringList{u"Zürich Süd"_s, u"ZÜRICH SÜD"_s, u"Zurich Sud"_s}
                                    << QStringList{u"Zürich Süd"_s, u"Zurich Sud"_s};
    // The Kelvin sign folds to a plain k.
    QTest::newRow("folds to ASCII") << QStringList{u"k1"_s, u"\u212A1"_s, u"K1"_s} << QStringList{u"k1"_s};
    QStringList many;
    QStringList manyKept;
    for (int i = 0; i < 5000; ++i) {
        many << u"Station %1"_s.arg(i) << u"STATION %1"_s.arg(i);
        manyKept << u"Station %1"_s.arg(i);
    }
    QTest::newRow("grown far") << many + many << manyKept;
}

void TestFilterFields::distinctValues()
{
    QFETCH(QStringList, texts);
    QFETCH(QStringList, kept);
    TDistinctValues distinct;
    QStringList added;
    for (const QString& text : texts) {
        if (distinct.add(text))
            added.append(text);
    }
    QCOMPARE(added, kept);
}

void TestFilterFields::clause_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("line");

    QTest::newRow("text") << u"QV_SITES.CITY"_s << u"="_s << u"O'Brien"_s << u"QV_SITES.CITY = 'O''Brien'"_s;
    QTest::newRow("number") << u"QV_SITES.PRIMARY_CHANNEL"_s << u">"_s << u"6"_s << u"QV_SITES.PRIMARY_CHANNEL > 6"_s;
    QTest::newRow("date") << u"QV_SITES.INSTALLED"_s << u"<"_s << u"2000-01-01"_s
                          << u"QV_SITES.INSTALLED < '2000-01-01'"_s;
    QTest::newRow("condition's blanks") << u"QV_SITES.BASIN"_s << u"  = "_s << u"N"_s << u"QV_SITES.BASIN   =  'N'"_s;
}

void TestFilterFields::clause()
{
    QFETCH(QString, field);
    QFETCH(QString, condition);
    QFETCH(QString, value);
    QFETCH(QString, line);

    const int index = indexOf(m_fields, field);
    QVERIFY(index >= 0);
    QCOMPARE(m_fields.clause(index, condition, value), line);
}

void TestFilterFields::missingTableKeepsWhatWasRead()
{
    TDbDatabase database(m_session);
    database.setDatabaseName(u"QVSITESONLY"_s);
    database.open();
    TFilterFields fields;
    QVERIFY_THROWS_EXCEPTION(EDatabaseError, fields.read(database));
    QCOMPARE(fields.fields().size(), std::size_t(2));
}

QTEST_GUILESS_MAIN(TestFilterFields)
#include "tst_filterfields.moc"
