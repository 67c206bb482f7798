// The setup editor's window and its station/sensor half, driven through its
// controls on a real SQLite ODBC data source: the sample database, and a
// generated site of 10,000 pairs.
#include "Controls.h"
#include "LargeSite.h"
#include "OdbcFixture.h"
#include "ReadCanceller.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"
#include "config/FilterFile.h"
#include "db/DbDatabase.h"
#include "db/DbQuery.h"
#include "db/DbSession.h"
#include "platform/AsciiText.h"
#include "setup/DataLabelDup.h"
#include "setup/PairListControls.h"
#include "setup/Setup.h"
#include "setup/StationTreeModel.h"
#include "widgets/MessageBox.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QtMath>

#include <set>

using namespace Qt::StringLiterals;

// How a node of the station tree is added to the pair list.
enum class AddBy { Button, DoubleClick, Enter };
Q_DECLARE_METATYPE(AddBy)

namespace {

const QString Sample = QStringLiteral("SAMPLE");
const QString Large = QStringLiteral("LARGE");
constexpr int LargeStations = 2000;
constexpr int LargeSensors = 5;

// A group with pairs "STATION.SENSOR" or "STATION.SENSOR=LABEL".
std::unique_ptr<TZizaVureGroupItem> group(int number, const QStringList& pairs = {}, const QString& filter = {})
{
    auto item = std::make_unique<TZizaVureGroupItem>();
    item->PPGIndex = number;
    item->GroupName = GroupSectionName(number);
    item->Filter = filter;
    for (const QString& text : pairs) {
        auto pair = std::make_unique<TStationSensorInfoItem>();
        const QString name = text.section(u'=', 0, 0);
        pair->StationId = name.section(u'.', 0, 0);
        pair->SensorName = name.section(u'.', 1);
        pair->POLLDataLabel = text.contains(u'=') ? text.section(u'=', 1) : pair->SensorName;
        item->StationSensors.push_back(std::move(pair));
    }
    return item;
}

QStringList childTexts(const QAbstractItemModel& model, const QModelIndex& parent = {})
{
    QStringList texts;
    for (int i = 0; i < model.rowCount(parent); ++i)
        texts.append(model.index(i, 0, parent).data().toString());
    return texts;
}

// Every node of the tree, parents before their children.
std::vector<QModelIndex> allNodes(const QAbstractItemModel& model)
{
    std::vector<QModelIndex> nodes;
    std::vector<QModelIndex> pending{QModelIndex()};
    while (!pending.empty()) {
        const QModelIndex parent = pending.back();
        pending.pop_back();
        for (int i = model.rowCount(parent) - 1; i >= 0; --i) {
            nodes.push_back(model.index(i, 0, parent));
            pending.push_back(nodes.back());
        }
    }
    return nodes;
}

// The texts from the top level down to the node.
QStringList pathOf(QModelIndex index)
{
    QStringList path;
    for (; index.isValid(); index = index.parent())
        path.prepend(index.data().toString());
    return path;
}

} // namespace

class TestSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void opening_data();
    void opening();
    void views_data();
    void views();
    void viewChangeDoesNotQuery();
    void rightClickSelectsAndExpands();
    void addPairs_data();
    void addPairs();
    void addAllInSensorView();
    void removeAndMove();
    void duplicateLabels_data();
    void duplicateLabels();
    void wholeGroupChecked_data();
    void wholeGroupChecked();
    void fitsTheScreen_data();
    void fitsTheScreen();
    void tabOrderFollowsTheLayout();
    void duplicateIsSilentAtSelection();
    void labelEditsMarkModified_data();
    void labelEditsMarkModified();
    void filters_data();
    void filters();
    void slowFilterCancelled();
    void largeSite_data();
    void largeSite();

private:
    std::unique_ptr<TfrmOptionSetup> openWindow(TDbDatabase& database);
    std::unique_ptr<TfrmOptionSetup> openWindow() { return openWindow(*m_db); }
    QModelIndex node(TfrmOptionSetup& window, const QStringList& path);
    void addNode(TfrmOptionSetup& window, int view, const QStringList& path, AddBy how = AddBy::Button);
    void clickPair(TfrmOptionSetup& window, int row);
    void chooseGroup(TfrmOptionSetup& window, int index);
    int sqlNumber(const QString& sql);
    QStringList sqlTexts(const QString& sql);

    OdbcFixture m_odbc;
    QTemporaryDir m_folder;
    TDbSession m_session;
    std::unique_ptr<TDbDatabase> m_db;
    std::unique_ptr<TDbDatabase> m_largeDb;
    std::unique_ptr<TZizaVureGroups> m_groups;
    std::unique_ptr<ConfigFile> m_config;
};

void TestSetup::initTestCase()
{
    QVERIFY(m_odbc.isValid());
    const QString schema = OdbcFixture::sampleFile(QStringLiteral("schema.sql"));
    QVERIFY(
        !m_odbc.addSqliteDataSource(Sample, {schema, OdbcFixture::sampleFile(QStringLiteral("data.sql"))}).isEmpty());
    const QString largeSql = writeLargeSiteSql(m_folder.path(), LargeStations, LargeSensors);
    QVERIFY(!largeSql.isEmpty());
    QVERIFY(!m_odbc.addSqliteDataSource(Large, {schema, largeSql}).isEmpty());
    m_session.open();
    m_db = std::make_unique<TDbDatabase>(m_session);
    m_db->setDatabaseName(Sample);
    m_largeDb = std::make_unique<TDbDatabase>(m_session);
    m_largeDb->setDatabaseName(Large);
}

void TestSetup::init()
{
    m_db->open();
    m_groups = std::make_unique<TZizaVureGroups>();
    m_config = std::make_unique<ConfigFile>(m_folder.filePath(QStringLiteral("QVZizaVure.QVS")));
    MessageBox::setTestMode(true);
    MessageBox::clearShownTexts();
}

void TestSetup::cleanup()
{
    QCOMPARE(MessageBox::shownTexts(), QStringList());
    MessageBox::setTestMode(false);
}

std::unique_ptr<TfrmOptionSetup> TestSetup::openWindow(TDbDatabase& database)
{
    auto window = std::make_unique<TfrmOptionSetup>(nullptr, m_session, database, *m_groups, *m_config);
    window->show();
    return window;
}

QModelIndex TestSetup::node(TfrmOptionSetup& window, const QStringList& path)
{
    const QAbstractItemModel& model = *child<QTreeView>(window, "tvwLeftTree")->model();
    QModelIndex index;
    for (const QString& text : path) {
        const int row = int(childTexts(model, index).indexOf(text));
        if (row < 0)
            return {};
        index = model.index(row, 0, index);
    }
    return index;
}

void TestSetup::addNode(TfrmOptionSetup& window, int view, const QStringList& path, AddBy how)
{
    child<QComboBox>(window, "cbxView")->setCurrentIndex(view);
    auto* tree = child<QTreeView>(window, "tvwLeftTree");
    const QModelIndex index = node(window, path);
    QVERIFY2(index.isValid(), qPrintable(path.join(u'/')));
    tree->scrollTo(index);
    const QPoint point = tree->visualRect(index).center();
    // A real double click starts with a click; the view ignores one without it.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, point);
    if (how == AddBy::DoubleClick)
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, point);
    else if (how == AddBy::Enter)
        QTest::keyClick(tree, Qt::Key_Return);
    else
        QTest::mouseClick(child<QToolButton>(window, "btnSetupSitesSensorsAdd"), Qt::LeftButton);
}

void TestSetup::clickPair(TfrmOptionSetup& window, int row)
{
    auto* list = child<QListWidget>(window, "lbxSiteSensor");
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
}

void TestSetup::chooseGroup(TfrmOptionSetup& window, int index)
{
    auto* selector = child<QComboBox>(window, "cbxGroup");
    while (selector->currentIndex() < index)
        QTest::keyClick(selector, Qt::Key_Down);
}

int TestSetup::sqlNumber(const QString& sql)
{
    TDbQuery query(*m_db);
    query.setSql(sql);
    query.open();
    return query.next() ? query.asInteger(QStringLiteral("N")) : -1;
}

QStringList TestSetup::sqlTexts(const QString& sql)
{
    TDbQuery query(*m_db);
    query.setSql(sql);
    query.open();
    QStringList texts;
    while (query.next())
        texts.append(query.asString(QStringLiteral("T")));
    return texts;
}

void TestSetup::opening_data()
{
    QTest::addColumn<bool>("withGroups");
    QTest::addColumn<QStringList>("selector");
    QTest::addColumn<int>("groupIndex");
    QTest::addColumn<QStringList>("pairs");
    QTest::addColumn<QString>("dataLabel");
    QTest::newRow("groups") << true << QStringList{u"4"_s, u"7"_s} << 0 << QStringList{u"ST001.TEMP"_s} << u"T_AVG"_s;
    QTest::newRow("empty list") << false << QStringList() << -1 << QStringList() << QString();
}

void TestSetup::opening()
{
    QFETCH(bool, withGroups);
    if (withGroups) {
        m_groups->AddGroup(group(4, {u"ST001.TEMP=T_AVG"_s}));
        m_groups->AddGroup(group(7, {u"ST002.FLOW"_s}));
    }
    auto window = openWindow();
    QCOMPARE(window->windowTitle(), u"Edit Setup Options"_s);

    auto* selector = child<QComboBox>(*window, "cbxGroup");
    QStringList selectorTexts;
    for (int i = 0; i < selector->count(); ++i)
        selectorTexts.append(selector->itemText(i));
    QTEST(selectorTexts, "selector");
    QTEST(window->currentGroupIndex(), "groupIndex");
    QStringList pairTexts;
    for (const auto& pair : window->pairs())
        pairTexts.append(pair->PairText());
    QTEST(pairTexts, "pairs");
    QTEST(child<QLineEdit>(*window, "edtDataLabel")->text(), "dataLabel");
    QVERIFY(!window->isModified());

    auto* views = child<QComboBox>(*window, "cbxView");
    QCOMPARE(views->count(), 10);
    QCOMPARE(views->currentIndex(), 0);
    for (int view = 0; view < views->count(); ++view)
        QVERIFY(!views->itemIcon(view).isNull());
    QCOMPARE(child<QComboBox>(*window, "cbxDateFrom")->count(), 23);

    const QString all = u"SELECT COUNT(*) AS N FROM ("_s + QString(StationQueryBase) + u")"_s;
    QCOMPARE(window->stationCache().Count(), sqlNumber(all));
    const int stations = sqlNumber(u"SELECT COUNT(DISTINCT UPPER(STE_STATION_ID)) AS N FROM QV_SITESENSORS"_s);
    QCOMPARE(child<QTreeView>(*window, "tvwLeftTree")->model()->rowCount(), stations);
}

void TestSetup::views_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QString>("firstTop");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<QString>("childCountSql");

    const QString stationsWhere = u"SELECT COUNT(DISTINCT UPPER(STATION_ID)) AS N FROM QV_SITES JOIN QV_SITESENSORS "
                                  "ON STATION_ID = STE_STATION_ID WHERE "_s;
    QTest::newRow("station ids differing in case share a node")
        << 0 << u"LK"_s << QStringList{u"ST007"_s}
        << u"SELECT COUNT(DISTINCT UPPER(SENSORNAME)) AS N FROM QV_SITESENSORS WHERE UPPER(STE_STATION_ID) = 'ST007'"_s;
    QTest::newRow("the first station id's text")
        << 0 << u"LK"_s << QStringList{u"Mill03"_s}
        << u"SELECT COUNT(DISTINCT UPPER(SENSORNAME)) AS N FROM QV_SITESENSORS "
           "WHERE UPPER(STE_STATION_ID) = 'MILL03'"_s;
    QTest::newRow("sensors") << 1 << u"2.TEMP"_s << QStringList{u"TEMP"_s} << stationsWhere + u"SENSORNAME = 'TEMP'"_s;
    QTest::newRow("NULL and blank basins")
        << 2 << u"<NULL>"_s << QStringList{u"<NULL>"_s} << stationsWhere + u"TRIM(COALESCE(BASIN, '')) = ''"_s;
    QTest::newRow("district") << 3 << u"<NULL>"_s << QStringList{u"Delta"_s} << stationsWhere + u"DISTRICT = 'Delta'"_s;
    QTest::newRow("country") << 7 << u"<NULL>"_s << QStringList{u"USA"_s} << stationsWhere + u"COUNTRY = 'USA'"_s;
    QTest::newRow("NULL primary channel as 0")
        << 8 << u"0"_s << QStringList{u"0"_s} << stationsWhere + u"PRIMARY_CHANNEL IS NULL"_s;
    QTest::newRow("NULL random channel as 0")
        << 9 << u"0"_s << QStringList{u"0"_s} << stationsWhere + u"RANDOM_CHANNEL IS NULL"_s;
}

void TestSetup::views()
{
    QFETCH(int, view);
    QFETCH(QStringList, path);
    QFETCH(QString, childCountSql);
    auto window = openWindow();
    child<QComboBox>(*window, "cbxView")->setCurrentIndex(view);

    const QAbstractItemModel& model = *child<QTreeView>(*window, "tvwLeftTree")->model();
    const QStringList top = childTexts(model);
    QTEST(top.value(0), "firstTop");
    for (int i = 1; i < top.size(); ++i)
        QVERIFY2(!AsciiText::equalsFolded(top[i - 1], top[i]), qPrintable(top[i]));
    const QModelIndex parent = node(*window, path);
    QVERIFY(parent.isValid());
    QCOMPARE(model.rowCount(parent), sqlNumber(childCountSql));
}

void TestSetup::viewChangeDoesNotQuery()
{
    auto window = openWindow();
    const int rows = window->stationCache().Count();
    m_db->close();
    for (int view = 9; view >= 0; --view) {
        child<QComboBox>(*window, "cbxView")->setCurrentIndex(view);
        QVERIFY(child<QTreeView>(*window, "tvwLeftTree")->model()->rowCount() > 0);
    }
    QCOMPARE(window->stationCache().Count(), rows);
}

void TestSetup::rightClickSelectsAndExpands()
{
    auto window = openWindow();
    auto* tree = child<QTreeView>(*window, "tvwLeftTree");
    const QModelIndex station = node(*window, {u"ST003"_s});
    tree->scrollTo(station);
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, tree->visualRect(station).center());
    QCOMPARE(tree->selectionModel()->selectedIndexes(), QModelIndexList{station});
    QVERIFY(tree->isExpanded(station));
}

void TestSetup::addPairs_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("path");
    QTest::addColumn<AddBy>("how");
    QTest::addColumn<int>("secondView");
    QTest::addColumn<QStringList>("secondPath"); // empty: one node only
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("expectedSql"); // when `expected` is empty
    QTest::addColumn<QStringList>("messages");

    const QStringList stationTemp{u"ST001"_s, u"TEMP"_s};
    QTest::newRow("sensor node") << 0 << stationTemp << AddBy::Button << 0 << QStringList()
                                 << QStringList{u"ST001.TEMP"_s} << QString() << QStringList();
    QTest::newRow("sensor node, Enter") << 0 << stationTemp << AddBy::Enter << 0 << QStringList()
                                        << QStringList{u"ST001.TEMP"_s} << QString() << QStringList();
    QTest::newRow("station node, double click")
        << 0 << QStringList{u"ST001"_s} << AddBy::DoubleClick << 0 << QStringList()
        << QStringList{u"ST001.BATT"_s, u"ST001.FLOW"_s,  u"ST001.RAIN"_s, u"ST001.RH"_s,
                       u"ST001.SNOW"_s, u"ST001.SOLAR"_s, u"ST001.TEMP"_s, u"ST001.WSPD"_s}
        << QString() << QStringList();
    QTest::newRow("basin node in tree order")
        << 2 << QStringList{u"South Fork"_s} << AddBy::Button << 0 << QStringList() << QStringList()
        << u"SELECT STATION_ID || '.' || SENSORNAME AS T FROM QV_SITES JOIN QV_SITESENSORS "
           "ON STATION_ID = STE_STATION_ID WHERE BASIN = 'South Fork' ORDER BY UPPER(STATION_ID), UPPER(SENSORNAME)"_s
        << QStringList();
    QTest::newRow("from the station view, then from the basin view")
        << 0 << stationTemp << AddBy::Button << 2 << QStringList{u"<NULL>"_s, u"ST001"_s}
        << QStringList{u"ST001.TEMP"_s, u"ST001.BATT"_s, u"ST001.FLOW"_s,  u"ST001.RAIN"_s,
                       u"ST001.RH"_s,   u"ST001.SNOW"_s, u"ST001.SOLAR"_s, u"ST001.WSPD"_s}
        << QString() << QStringList();
    QTest::newRow("pairs differing only in case")
        << 2 << QStringList{u"Lake Basin"_s, u"ST007"_s} << AddBy::Button << 2
        << QStringList{u"North Fork"_s, u"st007"_s}
        << QStringList{u"ST007.BATT"_s,  u"ST007.FLOW"_s,  u"ST007.PRESS"_s, u"ST007.RH"_s,
                       u"ST007.SOLAR"_s, u"ST007.TEMP"_s,  u"ST007.TURB"_s,  u"ST007.WSPD"_s,
                       u"st007.RAIN"_s,  u"st007.STAGE"_s, u"st007.WDIR"_s}
        << QString() << QStringList();
    QTest::newRow("A with B.C, then station A.B left out")
        << 0 << QStringList{u"LK"_s} << AddBy::Button << 0 << QStringList{u"LK.2"_s}
        << QStringList{u"LK.2.TEMP"_s, u"LK.BATT"_s,  u"LK.RAIN"_s, u"LK.RH"_s,   u"LK.SNOW"_s,
                       u"LK.SOLAR"_s,  u"LK.STAGE"_s, u"LK.TEMP"_s, u"LK.TURB"_s, u"LK.WDIR"_s}
        << QString() << QStringList{u"Station LK.2 cannot be processed: its id contains '.'"_s};
}

void TestSetup::addPairs()
{
    QFETCH(int, view);
    QFETCH(QStringList, path);
    QFETCH(AddBy, how);
    QFETCH(int, secondView);
    QFETCH(QStringList, secondPath);
    QFETCH(QStringList, expected);
    QFETCH(QString, expectedSql);
    QFETCH(QStringList, messages);
    auto window = openWindow();
    addNode(*window, view, path, how);
    if (!secondPath.isEmpty())
        addNode(*window, secondView, secondPath);

    auto* list = child<QListWidget>(*window, "lbxSiteSensor");
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    QCOMPARE(texts, expected.isEmpty() ? sqlTexts(expectedSql) : expected);
    // The first pair is selected and shows its default labels.
    QCOMPARE(list->currentRow(), 0);
    QCOMPARE(child<QLineEdit>(*window, "edtDataLabel")->text(), window->pairs()[0]->SensorName);
    QCOMPARE(child<QLineEdit>(*window, "edtAltDataLabel")->text(), QString());
    QVERIFY(window->isModified());
    QCOMPARE(MessageBox::shownTexts(), messages);
    MessageBox::clearShownTexts();
}

void TestSetup::addAllInSensorView()
{
    auto window = openWindow();
    child<QComboBox>(*window, "cbxView")->setCurrentIndex(1);
    QTest::mouseClick(child<QToolButton>(*window, "btnSetupSitesSensorsAddAll"), Qt::LeftButton);

    const TStationSensorList& pairs = window->pairs();
    QCOMPARE(int(pairs.size()),
             sqlNumber(u"SELECT COUNT(DISTINCT UPPER(STE_STATION_ID || '.' || SENSORNAME)) AS N FROM QV_SITESENSORS "
                       "WHERE STE_STATION_ID NOT LIKE '%.%'"_s));
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Station LK.2 cannot be processed: its id contains '.'"_s});
    MessageBox::clearShownTexts();
    for (std::size_t i = 1; i < pairs.size(); ++i)
        QVERIFY2(AsciiText::compareFolded(pairs[i - 1]->SensorName, pairs[i]->SensorName) <= 0,
                 qPrintable(pairs[i]->PairText()));
    QCOMPARE(window->pairList().editedIndex(), 0);
}

void TestSetup::removeAndMove()
{
    auto window = openWindow();
    addNode(*window, 0, {u"LK"_s}); // 2.TEMP BATT RAIN RH SNOW SOLAR STAGE TEMP TURB WDIR
    auto* list = child<QListWidget>(*window, "lbxSiteSensor");
    auto* label = child<QLineEdit>(*window, "edtDataLabel");
    clickPair(*window, 2);
    QCOMPARE(label->text(), u"RAIN"_s);
    label->selectAll();
    QTest::keyClicks(label, u"P_AVG"_s);

    // The typed label moves with its pair and reaches it at the next selection.
    QTest::mouseClick(child<QToolButton>(*window, "BitBtn1"), Qt::LeftButton);
    QCOMPARE(list->item(1)->text(), u"LK.RAIN"_s);
    QCOMPARE(list->currentRow(), 1);
    QCOMPARE(window->pairList().editedIndex(), 1);
    QTest::mouseClick(child<QToolButton>(*window, "BitBtn2"), Qt::LeftButton);
    QTest::mouseClick(child<QToolButton>(*window, "BitBtn2"), Qt::LeftButton);
    QCOMPARE(list->item(3)->text(), u"LK.RAIN"_s);
    QCOMPARE(window->pairList().editedIndex(), 3);
    QCOMPARE(label->text(), u"P_AVG"_s);
    clickPair(*window, 0);
    QCOMPARE(window->pairs()[3]->POLLDataLabel, u"P_AVG"_s);

    // Removing selects the entry before, or the new first one.
    clickPair(*window, 3);
    QTest::mouseClick(child<QToolButton>(*window, "btnSetupSitesSensorsDelete"), Qt::LeftButton);
    QCOMPARE(list->count(), 9);
    QCOMPARE(list->currentItem()->text(), u"LK.RH"_s);
    QCOMPARE(label->text(), u"RH"_s);
    clickPair(*window, 0);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(list->currentItem()->text(), u"LK.BATT"_s);
    QCOMPARE(label->text(), u"BATT"_s);

    // Remove all empties the edits; adding again shows the new first pair's labels.
    QTest::mouseClick(child<QToolButton>(*window, "btnSetupSitesSensorsDeleteAll"), Qt::LeftButton);
    QCOMPARE(list->count(), 0);
    QCOMPARE(window->pairList().editedIndex(), -1);
    QCOMPARE(label->text(), QString());
    QCOMPARE(child<QLineEdit>(*window, "edtAltDataLabel")->text(), QString());
    addNode(*window, 0, {u"ST003"_s});
    QCOMPARE(label->text(), window->pairs()[0]->SensorName);
}

void TestSetup::duplicateLabels_data()
{
    QTest::addColumn<QString>("stored"); // STATION.SENSOR=LABEL of another group
    QTest::addColumn<QString>("storedAlt");
    QTest::addColumn<QString>("newLabel"); // null: the default label stays
    QTest::addColumn<QString>("newAlt");
    QTest::addColumn<QString>("message");

    const QString dup = u"Duplicate datalabel T_AVG for station ST001"_s;
    QTest::newRow("same pair with default labels")
        << u"ST001.FLOW"_s << QString() << QString() << QString() << u"Duplicate datalabel FLOW for station ST001"_s;
    QTest::newRow("same label") << u"ST001.TEMP=T_AVG"_s << QString() << u"T_AVG"_s << QString() << dup;
    QTest::newRow("labels differing in case") << u"ST001.TEMP=t_avg"_s << QString() << u"T_AVG"_s << QString() << dup;
    QTest::newRow("stations differing in case") << u"st001.TEMP=T_AVG"_s << QString() << u"T_AVG"_s << QString() << dup;
    QTest::newRow("other station") << u"ST002.TEMP=T_AVG"_s << QString() << u"T_AVG"_s << QString() << QString();
    QTest::newRow("equal alternate labels") << u"ST001.TEMP=A"_s << u"ALT"_s << u"B"_s << u"ALT"_s << QString();
    QTest::newRow("label equal to an alternate label")
        << u"ST001.TEMP=A"_s << u"T_AVG"_s << u"T_AVG"_s << QString() << QString();
}

void TestSetup::duplicateLabels()
{
    QFETCH(QString, stored);
    QFETCH(QString, storedAlt);
    QFETCH(QString, newLabel);
    QFETCH(QString, newAlt);
    QFETCH(QString, message);
    m_groups->AddGroup(group(1, {stored}));
    m_groups->Items(0)->StationSensors[0]->POLLAltLabel = storedAlt;
    m_groups->AddGroup(group(2));
    auto window = openWindow();
    chooseGroup(*window, 1);
    addNode(*window, 0, {u"ST001"_s, u"FLOW"_s});
    auto* label = child<QLineEdit>(*window, "edtDataLabel");
    if (!newLabel.isNull()) {
        label->selectAll();
        QTest::keyClicks(label, newLabel);
    }
    QTest::keyClicks(child<QLineEdit>(*window, "edtAltDataLabel"), newAlt);

    // The pairs' part of saving the second group.
    TZizaVureGroupItem& target = window->currentGroup();
    QString raised;
    try {
        window->pairList().storeInto(target);
    } catch (const EDataLabelDup& error) {
        raised = error.message();
    }
    QCOMPARE(raised, message);
    QCOMPARE(target.StationSensors.size(), message.isEmpty() ? 1u : 0u);
    if (message.isEmpty()) {
        QCOMPARE(target.StationSensors[0]->POLLDataLabel, label->text());
        QCOMPARE(target.StationSensors[0]->POLLAltLabel, newAlt);
    }
}

void TestSetup::wholeGroupChecked_data()
{
    QTest::addColumn<QStringList>("pairs"); // of the group saved; another group holds ST001.TEMP=TEMP
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("shownPair");
    QTest::newRow("a pair not edited, against another group") << QStringList{u"ST001.FLOW=F2"_s, u"ST001.TEMP=TEMP"_s}
                                                              << u"Duplicate datalabel TEMP for station ST001"_s << 1;
    QTest::newRow("two pairs of the group")
        << QStringList{u"ST001.FLOW=X"_s, u"ST001.RAIN=x"_s} << u"Duplicate datalabel x for station ST001"_s << 1;
    QTest::newRow("same label, other stations") << QStringList{u"ST001.FLOW=X"_s, u"ST002.FLOW=X"_s} << QString() << -1;
}

// Every pair of the group saved is checked, not only the one edited; the
// operator is shown the first that clashes.
void TestSetup::wholeGroupChecked()
{
    QFETCH(QStringList, pairs);
    QFETCH(QString, message);
    QFETCH(int, shownPair);
    m_groups->AddGroup(group(1, {u"ST001.TEMP=TEMP"_s}));
    m_groups->AddGroup(group(2, pairs));
    auto window = openWindow();
    chooseGroup(*window, 1);
    QString raised;
    try {
        window->pairList().storeInto(window->currentGroup());
    } catch (const EDataLabelDup& error) {
        raised = error.message();
    }
    QCOMPARE(raised, message);
    if (shownPair >= 0) {
        QCOMPARE(window->pairList().editedIndex(), shownPair);
        QCOMPARE(child<QLineEdit>(*window, "edtDataLabel")->text(),
                 window->pairs()[std::size_t(shownPair)]->POLLDataLabel);
    }
}

void TestSetup::fitsTheScreen_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QSize>("screen"); // in device pixels
    QTest::newRow("1366x768 at 100 %") << 1.0 << QSize(1366, 768);
    QTest::newRow("1366x768 at 125 %") << 1.25 << QSize(1366, 768);
    QTest::newRow("1920x1080 at 150 %") << 1.5 << QSize(1920, 1080);
}

// At its smallest size, with a title bar and a desktop panel, the window fits
// the screen with every button inside; "Start From:" shows a whole date and
// time.
void TestSetup::fitsTheScreen()
{
    QFETCH(double, scale);
    QFETCH(QSize, screen);
    constexpr int PanelPixels = 40;
    constexpr int TitleBar = 30;
    auto window = openWindow();
    const QSize smallest = window->minimumSizeHint();
    const QSize room(qFloor(screen.width() / scale), qFloor((screen.height() - PanelPixels) / scale) - TitleBar);
    QVERIFY2(
        smallest.width() <= room.width() && smallest.height() <= room.height(),
        qPrintable(
            u"%1x%2 in %3x%4"_s.arg(smallest.width()).arg(smallest.height()).arg(room.width()).arg(room.height())));
    window->resize(smallest);
    QTest::qWait(10);
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->isVisible())
            QVERIFY2(window->rect().contains(QRect(button->mapTo(window.get(), QPoint()), button->size())),
                     qPrintable(button->objectName()));
    }
    auto* start = child<QComboBox>(*window, "cbxDateFrom");
    QVERIFY(start->lineEdit()->width() >= start->fontMetrics().horizontalAdvance(u"12/31/2026 23:59:59"_s));
}

// Tab goes through the window as it is laid out: the group buttons before the
// group's fields, the add and move buttons beside their lists, Close last.
void TestSetup::tabOrderFollowsTheLayout()
{
    const QStringList expected{u"cbxGroup"_s,
                               u"btnNew"_s,
                               u"btnSave"_s,
                               u"cbxDateFrom"_s,
                               u"btnFilter"_s,
                               u"tvwLeftTree"_s,
                               u"btnSetupSitesSensorsAdd"_s,
                               u"lbxSiteSensor"_s,
                               u"BitBtn1"_s,
                               u"edtDataLabel"_s,
                               u"btnClose"_s};
    auto window = openWindow();
    QStringList order;
    QWidget* widget = child<QWidget>(*window, "cbxGroup");
    for (int step = 0; step < 200 && order.size() < expected.size(); ++step) {
        if (expected.contains(widget->objectName()) && !order.contains(widget->objectName()))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    }
    QCOMPARE(order, expected);
}

void TestSetup::duplicateIsSilentAtSelection()
{
    m_groups->AddGroup(group(1, {u"ST001.FLOW=T_AVG"_s}));
    m_groups->AddGroup(group(2, {u"ST001.TEMP"_s, u"ST001.RAIN"_s}));
    auto window = openWindow();
    chooseGroup(*window, 1);
    auto* label = child<QLineEdit>(*window, "edtDataLabel");
    label->selectAll();
    QTest::keyClicks(label, u"t_avg"_s);
    clickPair(*window, 1);
    QCOMPARE(window->pairs()[0]->POLLDataLabel, u"TEMP"_s);

    // A pair's own stored label is no collision.
    QTest::keyClicks(child<QLineEdit>(*window, "edtAltDataLabel"), u"ALT"_s);
    clickPair(*window, 0);
    QCOMPARE(window->pairs()[1]->POLLAltLabel, u"ALT"_s);
    QCOMPARE(label->text(), u"TEMP"_s);
}

void TestSetup::labelEditsMarkModified_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("modified");
    QTest::newRow("data label typed") << u"edtDataLabel"_s << u"X"_s << true;
    QTest::newRow("alternate label typed") << u"edtAltDataLabel"_s << u"X"_s << true;
    QTest::newRow("left unchanged") << u"edtDataLabel"_s << QString() << false;
}

void TestSetup::labelEditsMarkModified()
{
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    m_groups->AddGroup(group(1, {u"ST001.TEMP"_s}));
    auto window = openWindow();
    QVERIFY(!window->isModified());
    auto* field = window->findChild<QLineEdit*>(edit);
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Return);
    QTEST(window->isModified(), "modified");
}

void TestSetup::filters_data()
{
    QTest::addColumn<QByteArray>("condition"); // null: the file does not exist
    QTest::addColumn<QString>("planted");      // in the file's place instead (TestFiles::plant), or a device's path
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("message"); // a part of the one message shown; empty: none
    QTest::newRow("blank lines") << QByteArray("\r\n   \r\n\t\r\n") << QString() << u"1 = 1"_s << QString();
    QTest::newRow("basin") << QByteArray("QV_SITES.BASIN = 'North Fork'\r\n") << QString()
                           << u"QV_SITES.BASIN = 'North Fork'"_s << QString();
    QTest::newRow("missing file") << QByteArray() << QString() << u"1 = 1"_s << QString();
    QTest::newRow("rejected by the database") << QByteArray("NO_SUCH_COLUMN = 1\r\n") << QString() << u"1 = 0"_s
                                              << u"The filter of this group was refused by the database: "_s;
    // Not one condition: refused with a message, and nothing else runs.
    QTest::newRow("stacked statement") << QByteArray("QV_SITES.BASIN = 'x'; DELETE FROM QV_PPLIST\r\n") << QString()
                                       << u"1 = 0"_s << u" cannot be used: it holds \";\" outside quoted text."_s;
    QTest::newRow("union") << QByteArray("1 = 1) UNION SELECT 'x', 'y', NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                                         "NULL, 0, 0 FROM QV_PPLIST WHERE (1 = 1\r\n")
                           << QString() << u"1 = 0"_s << u" cannot be used: a \")\" closes more than was opened."_s;
    // What another operator may name or plant: the editor is not held up, and says why.
    const QString notRegular = u" cannot be used: it is not a regular file."_s;
    QTest::newRow("FIFO") << QByteArray() << u"fifo"_s << u"1 = 0"_s << notRegular;
    QTest::newRow("folder") << QByteArray() << u"folder"_s << u"1 = 0"_s << notRegular;
    QTest::newRow("endless device") << QByteArray() << u"/dev/zero"_s << u"1 = 0"_s << notRegular;
    QTest::newRow("link of another user") << QByteArray("QV_SITES.BASIN = 'North Fork'\r\n") << u"foreign link"_s
                                          << u"1 = 0"_s << u" cannot be used: it is a link owned by another user."_s;
    QTest::newRow("over 64 KiB") << QByteArray("QV_SITES.BASIN = 'North Fork'") + QByteArray(64 * 1024, ' ')
                                 << QString() << u"1 = 0"_s << u" cannot be used: it is larger than 64 KiB."_s;
    // A parenthesis in a name that SQLite reads as quoted: the rest would list every table's name.
    for (const QByteArray& quotes : {QByteArray("[]"), QByteArray("``")}) {
        const QByteArray text = QByteArray("'x' <> (SELECT 'y' AS [(]) ) UNION SELECT name, name, NULL, NULL, NULL, "
                                           "NULL, NULL, NULL, NULL, NULL, 0, 0 FROM sqlite_master WHERE "
                                           "(1 IN (SELECT 1 AS [)])\r\n")
                                    .replace('[', quotes.front())
                                    .replace(']', quotes.back());
        QTest::newRow((QByteArray("union behind ") + quotes.front() + ')' + quotes.back()).constData())
            << text << QString() << u"1 = 0"_s << u" cannot be used: a \")\" closes more than was opened."_s;
    }
    QTest::newRow("union in plain text")
        << QByteArray("QV_SITES.STATION_ID IN (SELECT STATION_ID FROM QV_SITES UNION SELECT name FROM sqlite_master)")
        << QString() << u"1 = 0"_s << u" cannot be used: it holds the word UNION."_s;
}

void TestSetup::filters()
{
    QFETCH(QByteArray, condition);
    QFETCH(QString, planted);
    QFETCH(QString, where);
    QFETCH(QString, message);
    const QString target = m_folder.filePath(QStringLiteral("target.flt"));
    const bool device = planted.startsWith(u'/');
    const QString file = device ? planted : m_folder.filePath(QStringLiteral("filter.flt"));
    QFile::remove(m_folder.filePath(QStringLiteral("filter.flt")));
    QDir(m_folder.filePath(QStringLiteral("filter.flt"))).removeRecursively();
    if (!condition.isNull())
        TestFiles::write(planted.isEmpty() ? file : target, condition);
    if (!planted.isEmpty() && !device && !TestFiles::plant(file, target, planted))
        QSKIP("giving a link to another user needs root");
    m_groups->AddGroup(group(1));
    m_groups->AddGroup(group(2, {}, file));
    const int labels = sqlNumber(u"SELECT COUNT(*) AS N FROM QV_PPLIST"_s);
    auto window = openWindow();
    QVERIFY(window->stationCache().Count() > 0);

    QElapsedTimer timer;
    timer.start();
    chooseGroup(*window, 1);
    QVERIFY2(planted.isEmpty() || timer.elapsed() < 1000, "the filter held the editor up");
    QCOMPARE(window->filterName(), file);
    const QStringList shown = MessageBox::shownTexts();
    MessageBox::clearShownTexts();
    QCOMPARE(shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(shown[0].contains(message), qPrintable(shown[0]));
    QCOMPARE(sqlNumber(u"SELECT COUNT(*) AS N FROM QV_PPLIST"_s), labels);
    const QString count = u"SELECT COUNT(*) AS N FROM ("_s + QString(StationQueryBase) + u" AND "_s + where + u")"_s;
    QCOMPARE(window->stationCache().Count(), sqlNumber(count));

    // Every node refers to a row that the cache still holds.
    std::set<const TStationSensorItem*> rows;
    for (int i = 0; i < window->stationCache().Count(); ++i)
        rows.insert(window->stationCache().Items(i));
    const auto& model = *static_cast<TStationTreeModel*>(child<QTreeView>(*window, "tvwLeftTree")->model());
    int referring = 0;
    for (const QModelIndex& index : allNodes(model)) {
        if (const TStationSensorItem* row = model.rowAt(index)) {
            QCOMPARE(rows.count(row), 1u);
            ++referring;
        }
    }
    QCOMPARE(referring == 0, rows.empty());
}

// A filter that keeps the database busy: a progress window shows while the
// program goes on, and its Cancel ends the read with an empty list.
void TestSetup::slowFilterCancelled()
{
    const QString file = m_folder.filePath(QStringLiteral("endless.flt"));
    TestFiles::write(file, "EXISTS (SELECT 1 FROM QV_SITES A, QV_SITES B, QV_SITES C, QV_SITES D, QV_SITES E, "
                           "QV_SITES F WHERE A.BASIN || B.BASIN || C.BASIN || D.BASIN || E.BASIN || F.BASIN = 'none')"
                           "\r\n");
    m_groups->AddGroup(group(1, {}, file));
    ReadCanceller canceller;
    auto window = openWindow();
    QVERIFY2(canceller.label().startsWith(u"Reading the stations"_s), qPrintable(canceller.label()));
    QCOMPARE(window->stationCache().Count(), 0);
}

void TestSetup::largeSite_data()
{
    QTest::addColumn<int>("view");
    const QStringList names = TStationTreeModel::viewNames();
    for (int view = 0; view < names.size(); ++view)
        QTest::newRow(qPrintable(names[view])) << view;
}

// Every pair of the generated site is one leaf under its own station and
// sensor, and the top level comes sorted and without repeats.
void TestSetup::largeSite()
{
    QFETCH(int, view);
    m_largeDb->open();
    auto window = openWindow(*m_largeDb);
    QCOMPARE(window->stationCache().Count(), LargeStations * LargeSensors);
    child<QComboBox>(*window, "cbxView")->setCurrentIndex(view);

    const auto& model = *static_cast<TStationTreeModel*>(child<QTreeView>(*window, "tvwLeftTree")->model());
    const QStringList top = childTexts(model);
    for (int i = 1; i < top.size(); ++i) {
        const bool ascending =
            view >= 8 ? top[i - 1].toInt() < top[i].toInt() : AsciiText::compareFolded(top[i - 1], top[i]) < 0;
        QVERIFY2(ascending, qPrintable(top[i]));
    }
    int leaves = 0;
    for (const QModelIndex& index : allNodes(model)) {
        if (model.rowCount(index) > 0)
            continue;
        const TStationSensorItem* row = model.rowAt(index);
        QVERIFY(row);
        const QStringList path = pathOf(index);
        QCOMPARE(path.size(), view < 2 ? 2 : 3);
        QCOMPARE(row->STATION_ID, path[view == 0 ? 0 : 1]);
        QCOMPARE(row->SENSORNAME, path[view == 1 ? 0 : path.size() - 1]);
        ++leaves;
    }
    QCOMPARE(leaves, LargeStations * LargeSensors);
    window.reset();
    m_largeDb->close();
}

QTEST_MAIN(TestSetup)
#include "tst_setup.moc"
