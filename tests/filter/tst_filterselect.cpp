// The "Filters" window on a real SQLite ODBC data source with the sample
// database (or the throwaway PostgreSQL or MariaDB server's, see
// OdbcFixture::engine), driven through its controls.
#include "Controls.h"
#include "OdbcFixture.h"
#include "ReadCanceller.h"
#include "TestFiles.h"
#include "config/FilterFile.h"
#include "db/DbDatabase.h"
#include "db/DbQuery.h"
#include "db/DbSession.h"
#include "filter/FilterSelect.h"
#include "widgets/FileDialog.h"
#include "widgets/MessageBox.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

class TestFilterSelect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void fieldList();
    void valueBox_data();
    void valueBox();
    void add_data();
    void add();
    void addTwice();
    void saveAs_data();
    void saveAs();
    void okNeedsSavedFile();
    void open_data();
    void open();
    void execute_data();
    void execute();
    void databaseRefusalShown();
    void slowFilterCancelled();
    void failedSaveShown();
    void dialogsStartInTheFiltersFolder();
    void refusedText_data();
    void refusedText();
    void unreadableTableIsReported();

private:
    int rowCount(const QString& sql);
    void add(const QString& field, const QString& condition, const QString& value);
    QStringList previewStations() const;
    void click(const char* button) const { child<QPushButton>(*m_window, button)->click(); }

    std::unique_ptr<OdbcFixture> m_odbc;
    std::unique_ptr<TDbSession> m_session;
    std::unique_ptr<TDbDatabase> m_database;
    std::unique_ptr<TfrmFilterSelect> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFilterSelect::initTestCase()
{
    // One ODBC set-up for the whole process, before the first ODBC call.
    m_odbc = std::make_unique<OdbcFixture>();
    QVERIFY(m_odbc->isValid());
    const auto login = m_odbc->addEngineDataSource(u"QVFILTER"_s);
    QVERIFY2(login, "the test engine's data source is not available");
    QVERIFY(!m_odbc->addSqliteDataSource(u"QVNOSENSORS"_s, {}).isEmpty());
    m_session = std::make_unique<TDbSession>();
    m_session->open();
    m_database = std::make_unique<TDbDatabase>(*m_session);
    m_database->setDatabaseName(login->dataSource);
    m_database->setParams({u"USER NAME="_s + login->user, u"PASSWORD="_s + login->password});
    m_database->open();
    // The database servers keep their rows between runs, and run only the
    // tests that need no more than the sample.
    if (!OdbcFixture::onSqlite())
        return;
    // A column without values, a basin met before in other letter case and a
    // description with an apostrophe.
    for (const QString& sql :
         {u"UPDATE QV_SITESENSORS SET UNITS = NULL"_s,
          u"INSERT INTO QV_SITES (STATION_ID, DESCRIPTION, BASIN) VALUES ('ZZ1', 'O''Brien Ridge', 'NORTH FORK')"_s,
          u"INSERT INTO QV_SITESENSORS (STE_STATION_ID, SENSORNAME) VALUES ('ZZ1', 'STAGE')"_s}) {
        TDbQuery query(*m_database);
        query.setSql(sql);
        query.execute();
    }
}

void TestFilterSelect::init()
{
    MessageBox::setTestMode(true);
    FileDialog::setTestMode(true);
    m_dir = std::make_unique<QTemporaryDir>();
    m_window = std::make_unique<TfrmFilterSelect>(nullptr, *m_session, *m_database);
    m_window->show();
}

void TestFilterSelect::cleanup()
{
    m_window.reset();
    MessageBox::setTestMode(false);
    FileDialog::setTestMode(false);
}

int TestFilterSelect::rowCount(const QString& sql)
{
    TDbQuery query(*m_database);
    query.setSql(sql);
    query.open();
    int count = 0;
    while (query.next())
        ++count;
    return count;
}

void TestFilterSelect::add(const QString& field, const QString& condition, const QString& value)
{
    auto* fields = child<QComboBox>(*m_window, "cboFilterItem");
    auto* conditions = child<QComboBox>(*m_window, "cboFilterCondition");
    fields->setCurrentIndex(fields->findText(field));
    conditions->setCurrentIndex(conditions->findText(condition));
    QVERIFY(fields->currentIndex() >= 0 && conditions->currentIndex() >= 0);
    child<QComboBox>(*m_window, "cboFilterValue")->setEditText(value);
    click("btnAdd");
}

QStringList TestFilterSelect::previewStations() const
{
    auto* list = child<QTreeWidget>(*m_window, "lstSiteSensors");
    QStringList stations;
    for (int row = 0; row < list->topLevelItemCount(); ++row)
        stations.append(list->topLevelItem(row)->text(0));
    return stations;
}

void TestFilterSelect::fieldList()
{
    auto* fields = child<QComboBox>(*m_window, "cboFilterItem");
    QCOMPARE(fields->count(), 15 + 5);
    QCOMPARE(fields->itemText(0), u"QV_SITES.STATION_ID"_s);
    QCOMPARE(fields->itemText(14), u"QV_SITES.LAST_REPORT"_s);
    QCOMPARE(fields->itemText(15), u"QV_SITESENSORS.STE_STATION_ID"_s);
    QCOMPARE(fields->currentIndex(), 0);
    QCOMPARE(child<QComboBox>(*m_window, "cboFilterCondition")->currentText(), u"  = "_s);
    QCOMPARE(child<QComboBox>(*m_window, "cboFilterValue")->itemText(0), u"ST001"_s);
    QVERIFY(child<QComboBox>(*m_window, "cboFilterValue")->currentText().isEmpty());
}

void TestFilterSelect::valueBox_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("first"); // the first values offered
    QTest::addColumn<int>("count");         // how many values are offered

    QTest::newRow("null in every row") << u"QV_SITESENSORS.UNITS"_s << QStringList{u"<None Defined>"_s} << 1;
    // Rows without a basin add nothing; "NORTH FORK" repeats "North Fork".
    QTest::newRow("case-blind, first kept")
        << u"QV_SITES.BASIN"_s << QStringList{u"North Fork"_s, u"Cedar Creek"_s}
        << rowCount(u"SELECT DISTINCT BASIN FROM QV_SITES WHERE BASIN IS NOT NULL"_s) - 1;
}

void TestFilterSelect::valueBox()
{
    QFETCH(QString, field);
    QFETCH(QStringList, first);
    QFETCH(int, count);
    auto* fields = child<QComboBox>(*m_window, "cboFilterItem");
    fields->setCurrentIndex(fields->findText(field));

    auto* values = child<QComboBox>(*m_window, "cboFilterValue");
    QCOMPARE(values->count(), count);
    for (int i = 0; i < first.size(); ++i)
        QCOMPARE(values->itemText(i), first.at(i));
    QVERIFY(values->currentText().isEmpty());
}

void TestFilterSelect::add_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pairs"); // what the preview of the text shows

    QTest::newRow("text quoted") << u"QV_SITES.STATION_ID"_s << u"  = "_s << u"ST004"_s
                                 << u"QV_SITES.STATION_ID   =  'ST004'"_s << 9;
    QTest::newRow("apostrophe doubled") << u"QV_SITES.DESCRIPTION"_s << u"  = "_s << u"O'Brien Ridge"_s
                                        << u"QV_SITES.DESCRIPTION   =  'O''Brien Ridge'"_s << 1;
    QTest::newRow("number bare with LIKE")
        << u"QV_SITES.PRIMARY_CHANNEL"_s << u" LIKE "_s << u"7"_s << u"QV_SITES.PRIMARY_CHANNEL  LIKE  7"_s << 33;
    QTest::newRow("date quoted") << u"QV_SITES.INSTALLED"_s << u"  < "_s << u"1995-06-01"_s
                                 << u"QV_SITES.INSTALLED   <  '1995-06-01'"_s << 8;
    QTest::newRow("time quoted") << u"QV_SITES.REPORTING_TIME"_s << u"  >= "_s << u"23:00:00"_s
                                 << u"QV_SITES.REPORTING_TIME   >=  '23:00:00'"_s << 5;
    QTest::newRow("timestamp quoted") << u"QV_SITES.LAST_REPORT"_s << u"  <= "_s << u"2024-03-01 00:00:00"_s
                                      << u"QV_SITES.LAST_REPORT   <=  '2024-03-01 00:00:00'"_s << 131;
    QTest::newRow("value as typed") << u"QV_SITES.BASIN"_s << u"  = "_s << u" North Fork"_s
                                    << u"QV_SITES.BASIN   =  ' North Fork'"_s << 0;
    QTest::newRow("blanks only: nothing")
        << u"QV_SITES.BASIN"_s << u"  = "_s << u"   "_s << QString() << rowCount(StationQueryBase);
}

void TestFilterSelect::add()
{
    QFETCH(QString, field);
    QFETCH(QString, condition);
    QFETCH(QString, value);
    QFETCH(QString, text);
    QFETCH(int, pairs);
    add(field, condition, value);
    QCOMPARE(child<QPlainTextEdit>(*m_window, "edtText")->toPlainText(), text);

    click("btnExec");
    QCOMPARE(previewStations().size(), pairs);
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestFilterSelect::addTwice()
{
    add(u"QV_SITES.BASIN"_s, u"  = "_s, u"North Fork"_s);
    add(u"QV_SITES.PRIMARY_CHANNEL"_s, u"  > "_s, u"5"_s);
    QCOMPARE(child<QPlainTextEdit>(*m_window, "edtText")->toPlainText(),
             u"QV_SITES.BASIN   =  'North Fork' AND \nQV_SITES.PRIMARY_CHANNEL   >  5"_s);
}

void TestFilterSelect::saveAs_data()
{
    QTest::addColumn<QString>("typed");             // the name given to the save dialog
    QTest::addColumn<bool>("existing");             // whether "f.flt" exists before
    QTest::addColumn<MessageBox::Answer>("answer"); // to "replace it?"
    QTest::addColumn<QString>("saved");             // the file written, or empty

    QTest::newRow("extension added") << u"f"_s << false << MessageBox::Ok << u"f.flt"_s;
    QTest::newRow("own extension kept") << u"f.txt"_s << false << MessageBox::Ok << u"f.txt"_s;
    QTest::newRow("added name replaced") << u"f"_s << true << MessageBox::Ok << u"f.flt"_s;
    QTest::newRow("added name kept") << u"f"_s << true << MessageBox::Cancel << QString();
    QTest::newRow("missing folder") << u"none/f.flt"_s << false << MessageBox::Ok << QString();
}

void TestFilterSelect::saveAs()
{
    QFETCH(QString, typed);
    QFETCH(bool, existing);
    QFETCH(MessageBox::Answer, answer);
    QFETCH(QString, saved);
    if (existing)
        TestFiles::write(m_dir->filePath(u"f.flt"_s), "old");
    MessageBox::setNextAnswer(answer);
    FileDialog::setNextFileName(m_dir->filePath(typed));
    child<QPlainTextEdit>(*m_window, "edtText")->setPlainText(u"A = 1 AND \nB = 2"_s);
    click("btnSaveAs");

    QString name;
    QCOMPARE(m_window->GetFilterFileName(name), !saved.isEmpty());
    QCOMPARE(child<QLineEdit>(*m_window, "edtFilterFile")->text(),
             saved.isEmpty() ? QString() : m_dir->filePath(saved));
    if (!saved.isEmpty())
        QCOMPARE(TestFiles::read(m_dir->filePath(saved)), QByteArray("A = 1 AND \r\nB = 2\r\n"));
    else if (existing)
        QCOMPARE(TestFiles::read(m_dir->filePath(u"f.flt"_s)), QByteArray("old"));
}

void TestFilterSelect::okNeedsSavedFile()
{
    add(u"QV_SITES.BASIN"_s, u"  = "_s, u"North Fork"_s);
    click("btnOK");
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Please save the filter file before selecting it"_s});
    QVERIFY(m_window->isVisible());

    // Save without a file name asks for one; OK then hands its full path over.
    FileDialog::setNextFileName(m_dir->filePath(u"basin"_s));
    click("btnSave");
    click("btnOK");
    QCOMPARE(m_window->result(), int(QDialog::Accepted));
    QString name;
    QVERIFY(m_window->GetFilterFileName(name));
    QCOMPARE(name, m_dir->filePath(u"basin.flt"_s));

    // The setup editor's statement for the file selects what the preview shows.
    click("btnExec");
    QVERIFY(!previewStations().isEmpty());
    QCOMPARE(rowCount(ApplyFilterFile(StationQueryBase, name)), previewStations().size());

    click("btnNew");
    QVERIFY(!m_window->GetFilterFileName(name));
    QVERIFY(child<QLineEdit>(*m_window, "edtFilterFile")->text().isEmpty());
}

void TestFilterSelect::open_data()
{
    QTest::addColumn<QByteArray>("bytes"); // null: the file is missing
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("saved");

    QTest::newRow("lines") << QByteArray("A = 1 AND \r\nB = 2\r\n") << u"A = 1 AND \nB = 2"_s << true;
    QTest::newRow("empty") << QByteArray("") << QString() << true;
    QTest::newRow("unreadable") << QByteArray() << QString() << false;
}

void TestFilterSelect::open()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, saved);
    // A saved filter first, so that a failed open has a flag to clear.
    FileDialog::setNextFileName(m_dir->filePath(u"before.flt"_s));
    click("btnSaveAs");
    const QString path = m_dir->filePath(u"opened.flt"_s);
    if (!bytes.isNull())
        TestFiles::write(path, bytes);
    FileDialog::setNextFileName(path);
    click("btnOpen");

    QCOMPARE(child<QPlainTextEdit>(*m_window, "edtText")->toPlainText(), text);
    QCOMPARE(child<QLineEdit>(*m_window, "edtFilterFile")->text(), path);
    QString name;
    QCOMPARE(m_window->GetFilterFileName(name), saved);
}

void TestFilterSelect::execute_data()
{
    const int all = rowCount(StationQueryBase);
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");

    QTest::newRow("empty: every pair") << QString() << all;
    QTest::newRow("blanks only: every pair, as in the setup editor") << u"   "_s << all;
    QTest::newRow("condition") << u"QV_SITES.STATION_ID = 'ZZ1'"_s << 1;
    QTest::newRow("every pair, sorted") << u"QV_SITES.STATION_ID <> 'none'"_s << all;
}

void TestFilterSelect::execute()
{
    QFETCH(QString, text);
    QFETCH(int, rows);
    child<QPlainTextEdit>(*m_window, "edtText")->setPlainText(text);
    click("btnExec");

    const QStringList stations = previewStations();
    QCOMPARE(stations.size(), rows);
    QStringList sorted = stations;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QCOMPARE(stations, sorted);
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestFilterSelect::databaseRefusalShown()
{
    child<QPlainTextEdit>(*m_window, "edtText")->setPlainText(u"QV_SITES.NO_SUCH_COLUMN = 1"_s);
    click("btnExec");
    QVERIFY(previewStations().isEmpty());
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown[0].contains(u"NO_SUCH_COLUMN"_s, Qt::CaseInsensitive), qPrintable(shown[0]));
}

void TestFilterSelect::slowFilterCancelled()
{
    child<QPlainTextEdit>(*m_window, "edtText")
        ->setPlainText(u"EXISTS (SELECT 1 FROM QV_SITES A, QV_SITES B, QV_SITES C, QV_SITES D, QV_SITES E, QV_SITES F "
                       "WHERE A.BASIN || B.BASIN || C.BASIN || D.BASIN || E.BASIN || F.BASIN = 'none')"_s);
    ReadCanceller canceller;
    click("btnExec");
    QVERIFY2(canceller.label().startsWith(u"Reading the stations"_s), qPrintable(canceller.label()));
    QVERIFY(previewStations().isEmpty());
    QVERIFY(MessageBox::shownTexts().isEmpty());
}

void TestFilterSelect::failedSaveShown()
{
    child<QPlainTextEdit>(*m_window, "edtText")->setPlainText(u"QV_SITES.STATION_ID = 'ZZ1'"_s);
    const QString path = m_dir->filePath(u"no folder/filter.flt"_s);
    FileDialog::setNextFileName(path);
    click("btnSaveAs");
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Unable to write to "_s + path});
    QString name;
    QVERIFY(!m_window->GetFilterFileName(name));
}

// Never in the process's working folder: the program folder, then the
// folder of the filter file shown.
void TestFilterSelect::dialogsStartInTheFiltersFolder()
{
    qputenv("QVZIZAVURE_HOME", QFile::encodeName(m_dir->path()));
    click("btnOpen");
    QCOMPARE(FileDialog::lastFolder(), m_dir->path());
    QVERIFY(QDir(m_dir->path()).mkdir(u"filters"_s));
    child<QPlainTextEdit>(*m_window, "edtText")->setPlainText(u"QV_SITES.STATION_ID = 'ZZ1'"_s);
    FileDialog::setNextFileName(m_dir->filePath(u"filters/one.flt"_s));
    click("btnSaveAs");
    click("btnOpen");
    QCOMPARE(FileDialog::lastFolder(), m_dir->filePath(u"filters"_s));
    qunsetenv("QVZIZAVURE_HOME");
}

void TestFilterSelect::refusedText_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("stacked statement") << u"QV_SITES.STATION_ID = 'ZZ1'; DELETE FROM QV_PPLIST"_s;
    QTest::newRow("union") << u"1 = 1) UNION SELECT 'x', 'y' FROM QV_PPLIST WHERE (1 = 1"_s;
    // A parenthesis in a name that SQLite reads as quoted: the rest would list every table's name.
    for (const QString& quotes : {u"[]"_s, u"``"_s}) {
        QTest::newRow(qPrintable(u"union behind "_s + quotes.front() + u')' + quotes.back()))
            << u"'x' <> (SELECT 'y' AS [(]) ) UNION SELECT name, name, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
               "0, 0 FROM sqlite_master WHERE (1 IN (SELECT 1 AS [)])"_s.replace(u'[', quotes.front())
                   .replace(u']', quotes.back());
    }
    QTest::newRow("union in plain text")
        << u"QV_SITES.STATION_ID IN (SELECT STATION_ID FROM QV_SITES UNION SELECT STATION_ID FROM QV_PPLIST)"_s;
}

// A text that is not one condition is neither run nor saved, and the
// operator is told why.
void TestFilterSelect::refusedText()
{
    QFETCH(QString, text);
    child<QPlainTextEdit>(*m_window, "edtText")->setPlainText(text);
    click("btnExec");
    QVERIFY(previewStations().isEmpty());
    const QString path = m_dir->filePath(u"refused.flt"_s);
    FileDialog::setNextFileName(path);
    click("btnSaveAs");
    QVERIFY(!QFile::exists(path));
    QString name;
    QVERIFY(!m_window->GetFilterFileName(name));
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[0].startsWith(u"The filter cannot be used: "_s), qPrintable(shown[0]));
    QCOMPARE(shown[1], shown[0]);
}

void TestFilterSelect::unreadableTableIsReported()
{
    TDbDatabase database(*m_session);
    database.setDatabaseName(u"QVNOSENSORS"_s);
    database.open();
    TDbQuery create(database);
    create.setSql(u"CREATE TABLE QV_SITES (STATION_ID VARCHAR(40), BASIN VARCHAR(40))"_s);
    create.execute();

    TfrmFilterSelect window(nullptr, *m_session, database);
    QCOMPARE(MessageBox::shownTexts().size(), 1);
    auto* fields = window.findChild<QComboBox*>(u"cboFilterItem"_s);
    QCOMPARE(fields->count(), 2);
    QCOMPARE(fields->currentText(), u"QV_SITES.STATION_ID"_s);
}

QTEST_MAIN(TestFilterSelect)
#include "tst_filterselect.moc"
