// The setup editor's group half: the group actions, the group fields, saving
// and closing, driven through the real window's controls, with the sample
// database over SQLite ODBC and a configuration file in a temporary folder.
#include "Controls.h"
#include "FixedClock.h"
#include "OdbcFixture.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"
#include "db/DbDatabase.h"
#include "db/DbQuery.h"
#include "db/DbSession.h"
#include "platform/FormatSettings.h"
#include "platform/ProfileFile.h"
#include "setup/Setup.h"
#include "widgets/MessageBox.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

const QString Sample = QStringLiteral("SAMPLE");

std::unique_ptr<TZizaVureGroupItem> group(int number, const QString& pair = {})
{
    auto item = std::make_unique<TZizaVureGroupItem>();
    item->PPGIndex = number;
    item->GroupName = GroupSectionName(number);
    if (!pair.isEmpty()) {
        auto entry = std::make_unique<TStationSensorInfoItem>();
        entry->StationId = pair.section(u'.', 0, 0);
        entry->SensorName = pair.section(u'.', 1);
        entry->POLLDataLabel = entry->SensorName;
        item->StationSensors.push_back(std::move(entry));
    }
    return item;
}

void click(QWidget& window, const char* button)
{
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

QStringList selectorTexts(QWidget& window)
{
    auto* selector = child<QComboBox>(window, "cbxGroup");
    QStringList texts;
    for (int i = 0; i < selector->count(); ++i)
        texts.append(selector->itemText(i));
    return texts;
}

// Save follows the group's state once the window has been idle, as for the operator.
void save(QWidget& window)
{
    waitIdle();
    click(window, "btnSave");
}

// Checking "Enable" twice changes nothing but marks the group modified.
void touch(QWidget& window)
{
    auto* enable = child<QCheckBox>(window, "chkEnable");
    QTest::keyClick(enable, Qt::Key_Space);
    QTest::keyClick(enable, Qt::Key_Space);
}

} // namespace

class TestSetupGroups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void firstSaveOfEmptyList();
    void newTakesLowestFreeNumber();
    void firstGroupSkipsSectionsInTheFile();
    void otherLabelOfTheSamePairWarned_data();
    void otherLabelOfTheSamePairWarned();
    void newSkipsSectionsOfTheFile();
    void deleteGroup_data();
    void deleteGroup();
    void startFrom_data();
    void startFrom();
    void startPreview_data();
    void startPreview();
    void intervalDays();
    void daySteps_data();
    void daySteps();
    void functionName_data();
    void functionName();
    void copyWithPairsFailsAtSave();
    void savePrompt_data();
    void savePrompt();
    void listFollowsTheFile();
    void startTextCheckedBeforeWriting_data();
    void startTextCheckedBeforeWriting();
    void failedSaveKeepsGroup_data();
    void failedSaveKeepsGroup();

private:
    std::unique_ptr<TfrmOptionSetup> openWindow();
    // Types into "Start From:" of the active window, without leaving the field.
    void typeStartFrom(TfrmOptionSetup& window, const QString& text);
    QString section(int number, const char* key) const;

    OdbcFixture m_odbc;
    QTemporaryDir m_folder;
    TDbSession m_session;
    std::unique_ptr<TDbDatabase> m_db;
    std::unique_ptr<TZizaVureGroups> m_groups;
    std::unique_ptr<ConfigFile> m_config;
};

void TestSetupGroups::initTestCase()
{
    QVERIFY(m_odbc.isValid());
    QVERIFY(!m_odbc
                 .addSqliteDataSource(Sample, {OdbcFixture::sampleFile(QStringLiteral("schema.sql")),
                                               OdbcFixture::sampleFile(QStringLiteral("data.sql"))})
                 .isEmpty());
    m_session.open();
    m_db = std::make_unique<TDbDatabase>(m_session);
    m_db->setDatabaseName(Sample);
    m_db->open();
}

void TestSetupGroups::init()
{
    const QString path = m_folder.filePath(QStringLiteral("QVZizaVure.QVS"));
    QFile::remove(path);
    m_groups = std::make_unique<TZizaVureGroups>();
    m_config = std::make_unique<ConfigFile>(path);
    MessageBox::setTestMode(true);
}

void TestSetupGroups::cleanup()
{
    MessageBox::setTestMode(false);
}

std::unique_ptr<TfrmOptionSetup> TestSetupGroups::openWindow()
{
    // The editor follows the file, so the file must hold what the list holds,
    // as after a load.
    for (int i = 0; i < m_groups->Count(); ++i) {
        if (!ProfileFile(m_config->path()).hasSection(m_groups->Items(i)->GroupName.toUtf8()))
            m_config->SaveGroupSection(*m_groups->Items(i));
    }
    m_config->SaveZizaVureessSection({}, *m_groups);
    auto window = std::make_unique<TfrmOptionSetup>(nullptr, m_session, *m_db, *m_groups, *m_config);
    window->show();
    return window;
}

void TestSetupGroups::typeStartFrom(TfrmOptionSetup& window, const QString& text)
{
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* field = child<QComboBox>(window, "cbxDateFrom");
    field->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), field);
    QTest::keyClicks(field, text);
}

QString TestSetupGroups::section(int number, const char* key) const
{
    return ProfileFile(m_config->path()).readString(GroupSectionName(number).toUtf8(), key, u"<none>"_s);
}

void TestSetupGroups::firstSaveOfEmptyList()
{
    auto window = openWindow();
    waitIdle();
    QCOMPARE(selectorTexts(*window), QStringList());
    QCOMPARE(window->currentGroupIndex(), -1);
    QCOMPARE(child<QComboBox>(*window, "cbxFuncName")->currentText(), u"AVG"_s);
    for (const char* button : {"btnCopy", "btnDelete", "btnDeleteAll", "btnSave"})
        QVERIFY2(!child<QPushButton>(*window, button)->isEnabled(), button);
    QVERIFY(child<QPushButton>(*window, "btnNew")->isEnabled());

    child<QComboBox>(*window, "cbxFuncName")->setCurrentText(u"MAX"_s);
    QTest::mouseClick(child<QToolButton>(*window, "btnSetupSitesSensorsAddAll"), Qt::LeftButton);
    auto* label = child<QLineEdit>(*window, "edtDataLabel");
    label->selectAll();
    QTest::keyClicks(label, u"lk_max"_s);
    save(*window);

    QCOMPARE(selectorTexts(*window), QStringList{u"1"_s});
    QCOMPARE(window->currentGroupIndex(), 0);
    QCOMPARE(m_groups->Count(), 1);
    QVERIFY(!window->isModified());
    const TStationSensorInfoItem& first = *m_groups->Items(0)->StationSensors.at(0);
    QCOMPARE(section(1, "PPGIndex"), u"1"_s);
    QCOMPARE(section(1, "FuncName"), u"MAX"_s);
    QCOMPARE(section(1, "POLLNumber"), QString::number(m_groups->Items(0)->StationSensors.size()));
    QCOMPARE(section(1, "POLL1"), first.PairText());
    QCOMPARE(section(1, "POLLDataLabel1"), u"lk_max"_s);

    TDbQuery query(*m_db);
    query.setSql(u"SELECT DATA_LABEL AS T FROM QV_PPLIST WHERE STATION_ID = '"_s + first.StationId.toUpper() +
                 u"' AND SENSORNAME = '"_s + first.SensorName.toUpper() + u"' AND FUNCTION_NAME = 'MAX'"_s);
    query.open();
    QVERIFY(query.next());
    QCOMPARE(query.asString(u"T"_s), u"LK_MAX"_s);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Station LK.2 cannot be processed: its id contains '.'"_s});
}

void TestSetupGroups::newTakesLowestFreeNumber()
{
    for (int number : {1, 2, 4})
        m_groups->AddGroup(group(number));
    auto window = openWindow();
    click(*window, "btnNew");
    QCOMPARE(selectorTexts(*window), (QStringList{u"1"_s, u"2"_s, u"4"_s, u"3"_s}));
    QCOMPARE(window->currentGroupIndex(), 3);
    QCOMPARE(m_groups->Items(3)->GroupName, u"ZizaVureessGroup:3"_s);
    QCOMPARE(section(3, "PPGIndex"), u"3"_s);
    QCOMPARE(section(3, "TypeInterval"), u"3"_s);
    QVERIFY(!window->isModified());
}

void TestSetupGroups::newSkipsSectionsOfTheFile()
{
    const QByteArray fifth = "[ZizaVureessGroup:5]\r\nFuncName=MAX\r\nPOLLNumber=1\r\nPOLL1=LK.TEMP\r\n";
    TestFiles::write(m_config->path(), "[DeraDivurir]\r\nGroupNames=ZizaVureessGroup:2,ZizaVureessGroup:5\r\n"
                                       "[ZizaVureessGroup:2]\r\nFuncName=MIN\r\n" +
                                           fifth);
    TLogSettings settings;
    m_groups = m_config->LoadConfiguration(settings, {});
    auto window = openWindow();
    for (int i = 0; i < 3; ++i)
        click(*window, "btnNew");
    // The loaded groups are numbered 1 and 2 by their positions.
    QCOMPARE(selectorTexts(*window), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"6"_s}));
    QCOMPARE(m_groups->Items(4)->GroupName, u"ZizaVureessGroup:6"_s);
    QVERIFY(TestFiles::read(m_config->path()).contains(fifth + "[ZizaVureessGroup:3]"));
}

void TestSetupGroups::deleteGroup_data()
{
    QTest::addColumn<int>("groups");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("current");
    QTest::newRow("last of three") << 3 << 2 << QStringList{u"1"_s, u"2"_s} << 1;
    QTest::newRow("middle") << 3 << 1 << QStringList{u"1"_s, u"3"_s} << 1;
    QTest::newRow("only") << 1 << 0 << QStringList() << -1;
}

void TestSetupGroups::deleteGroup()
{
    QFETCH(int, groups);
    QFETCH(int, deleted);
    for (int number = 1; number <= groups; ++number) {
        m_groups->AddGroup(group(number));
        m_config->SaveGroupSection(*m_groups->Items(number - 1));
    }
    auto window = openWindow();
    auto* selector = child<QComboBox>(*window, "cbxGroup");
    while (selector->currentIndex() < deleted)
        QTest::keyClick(selector, Qt::Key_Down);
    touch(*window); // pending edits go with the group, without a prompt
    click(*window, "btnDelete");

    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Are you sure you want to delete this Group?"_s});
    QTEST(selectorTexts(*window), "left");
    QTEST(window->currentGroupIndex(), "current");
    QTEST(selector->currentIndex(), "current");
    QCOMPARE(section(deleted + 1, "PPGIndex"), u"<none>"_s);
    QVERIFY(!window->isModified());
    waitIdle();
    QCOMPARE(child<QPushButton>(*window, "btnDeleteAll")->isEnabled(), groups > 1);
}

// A section left in the file by another program keeps its number even when
// the list is empty.
void TestSetupGroups::firstGroupSkipsSectionsInTheFile()
{
    TestFiles::write(m_config->path(), "[ZizaVureessGroup:1]\r\nFuncName=MIN\r\n");
    m_config->Reopen();
    auto window = openWindow();
    child<QComboBox>(*window, "cbxFuncName")->setCurrentText(u"MAX"_s);
    touch(*window);
    save(*window);
    QCOMPARE(selectorTexts(*window), QStringList{u"2"_s});
    QCOMPARE(section(1, "FuncName"), u"MIN"_s);
    QCOMPARE(section(2, "FuncName"), u"MAX"_s);
}

void TestSetupGroups::otherLabelOfTheSamePairWarned_data()
{
    QTest::addColumn<QString>("otherPair");
    QTest::addColumn<QString>("otherFunction");
    QTest::addColumn<bool>("warned");
    QTest::newRow("same pair and function") << u"st001.temp"_s << u"AVG"_s << true;
    QTest::newRow("other sensor") << u"ST001.RAIN"_s << u"AVG"_s << false;
    QTest::newRow("other function") << u"ST001.TEMP"_s << u"MAX"_s << false;
}

// Another group calculating the same pair with the same function under
// another label: the label table keeps one, so the save says so.
void TestSetupGroups::otherLabelOfTheSamePairWarned()
{
    QFETCH(QString, otherPair);
    QFETCH(QString, otherFunction);
    QFETCH(bool, warned);
    m_groups->AddGroup(group(1, u"ST001.TEMP"_s));
    m_groups->Items(0)->FuncName = u"AVG"_s;
    m_groups->Items(0)->StationSensors[0]->POLLDataLabel = u"T1"_s;
    m_groups->AddGroup(group(2, otherPair));
    m_groups->Items(1)->FuncName = otherFunction;
    m_groups->Items(1)->StationSensors[0]->POLLDataLabel = u"OTHER"_s;
    auto window = openWindow();
    QStringList lines;
    window->setStatusSink([&lines](const QString& line) { lines << line; });
    touch(*window);
    save(*window);
    QVERIFY(!window->isModified());
    const QString warning = u"Warning: ST001.TEMP with AVG is labelled T1 in group 1 and OTHER in group 2; the label "
                            u"table keeps only one of them."_s;
    QCOMPARE(lines, warned ? QStringList{warning} : QStringList());
}

void TestSetupGroups::startFrom_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("keyword in small letters") << u"last 5 days"_s << true;
    QTest::newRow("keyword after a blank") << u" Today"_s << false;
    QTest::newRow("before 1900") << u"12/31/1899"_s << false;
    QTest::newRow("first day of 1900") << u"1/1/1900"_s << true;
    QTest::newRow("leap day with time") << u"02/29/2004 13:05:00"_s << true;
    QTest::newRow("day first") << u"31/12/2005"_s << false;
}

void TestSetupGroups::startFrom()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    m_groups->AddGroup(group(1));
    auto window = openWindow();
    typeStartFrom(*window, text);
    auto* field = child<QComboBox>(*window, "cbxDateFrom");
    QVERIFY(!window->isModified()); // typing alone marks nothing
    QTest::keyClick(field, Qt::Key_Tab);
    QTest::qWait(20);

    const QString message = u"Error 1505: Invalid date.  Please enter date in the format of mm/dd/yyyy HH:MM:SS."_s;
    QCOMPARE(MessageBox::shownTexts(), valid ? QStringList() : QStringList{message});
    QCOMPARE(QApplication::focusWidget() == field, !valid);
    QVERIFY(window->isModified());
}

void TestSetupGroups::startPreview_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("keyword") << u"Last 5 Days"_s << u"= 12/03/2026 00:00:00"_s;
    QTest::newRow("date") << u"11/30/2026 08:15"_s << u"= 11/30/2026 08:15:00"_s;
    QTest::newRow("offset") << u"Today-1:00:00"_s << QString();
    QTest::newRow("invalid") << u"2/30/2005"_s << QString();
}

void TestSetupGroups::startPreview()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    const FormatSettings previous = FormatSettings::current();
    FormatSettings::setCurrent(FormatSettings(u"MM/dd/yyyy"_s, u"HH:mm:ss"_s));
    m_groups->AddGroup(group(1));
    auto window = openWindow();
    window->setClock(FixedNow);
    typeStartFrom(*window, text);
    const QString preview = child<QLineEdit>(*window, "edtStartPreview")->text();
    FormatSettings::setCurrent(previous);
    QCOMPARE(preview, shown);
}

void TestSetupGroups::intervalDays()
{
    m_groups->AddGroup(group(1));
    m_groups->Items(0)->TypeInterval = 6;
    m_groups->Items(0)->Interval = 2.25;
    auto window = openWindow();
    auto* days = child<QLineEdit>(*window, "edtIntervalDay");
    auto* time = child<QLineEdit>(*window, "edtInterval");
    QCOMPARE(days->text(), u"2"_s);
    QCOMPARE(time->text(), u"06:00:00"_s);
    QVERIFY(time->isEnabled());

    touch(*window);
    save(*window);
    QCOMPARE(m_groups->Items(0)->Interval, 2.25);
    QCOMPARE(section(1, "Interval"), u"06:00:00"_s);
    QCOMPARE(section(1, "IntervalDays"), u"2"_s);

    // Another interval choice keeps the values but locks them.
    child<QComboBox>(*window, "cbxInterval")->setCurrentIndex(3);
    QVERIFY(!time->isEnabled());
    QVERIFY(!days->isEnabled());
    QCOMPARE(days->text(), u"2"_s);
    QVERIFY(window->isModified());
}

void TestSetupGroups::daySteps_data()
{
    QTest::addColumn<QString>("days");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("result");
    QTest::newRow("365 up") << u"365"_s << u"spnbtnNoChangeIntervalUp"_s << u"0"_s;
    QTest::newRow("0 down") << u"0"_s << u"spnbtnNoChangeIntervalDown"_s << u"365"_s;
    QTest::newRow("400 up") << u"400"_s << u"spnbtnNoChangeIntervalUp"_s << u"401"_s;
    QTest::newRow("no number") << u"x"_s << u"spnbtnNoChangeIntervalUp"_s << u"x"_s;
}

void TestSetupGroups::daySteps()
{
    QFETCH(QString, days);
    QFETCH(QString, button);
    QFETCH(QString, result);
    m_groups->AddGroup(group(1));
    m_groups->Items(0)->TypeInterval = 6;
    auto window = openWindow();
    child<QLineEdit>(*window, "edtIntervalDay")->setText(days);
    QTest::mouseClick(window->findChild<QToolButton*>(button), Qt::LeftButton);
    QTEST(child<QLineEdit>(*window, "edtIntervalDay")->text(), "result");
    const bool stepped = result != days;
    QCOMPARE(MessageBox::shownTexts(), stepped ? QStringList() : QStringList{u"Error 1504: Invalid day value"_s});
}

void TestSetupGroups::functionName_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("saved");
    QTest::newRow("small letters") << u"avg"_s << 0 << u"AVG"_s;
    QTest::newRow("unknown") << u"MEDIAN"_s << -1 << QString();
}

void TestSetupGroups::functionName()
{
    QFETCH(QString, stored);
    m_groups->AddGroup(group(1));
    m_groups->Items(0)->FuncName = stored;
    auto window = openWindow();
    QTEST(child<QComboBox>(*window, "cbxFuncName")->currentIndex(), "selected");
    touch(*window);
    save(*window);
    QTEST(m_groups->Items(0)->FuncName, "saved");
    QCOMPARE(section(1, "FuncName"), m_groups->Items(0)->FuncName);
}

void TestSetupGroups::copyWithPairsFailsAtSave()
{
    m_groups->AddGroup(group(1, u"ST001.TEMP"_s));
    auto window = openWindow();
    click(*window, "btnCopy");
    QCOMPARE(selectorTexts(*window), (QStringList{u"1"_s, u"2"_s}));
    QVERIFY(window->isModified());
    // The copy's number is taken in the file at once; its pairs wait for a save.
    QCOMPARE(section(2, "PPGIndex"), u"2"_s);
    QCOMPARE(section(2, "POLLNumber"), u"0"_s);

    save(*window);
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Error 1500: Duplicate datalabel TEMP for station ST001"_s});
    QCOMPARE(section(2, "POLLNumber"), u"0"_s);
    QVERIFY(window->isModified());
    // The pair list keeps the pair; the failed save took nothing from the controls.
    QCOMPARE(window->pairs().size(), 1u);
    QVERIFY(m_groups->Items(1)->StationSensors.empty());
}

void TestSetupGroups::savePrompt_data()
{
    QTest::addColumn<bool>("closing"); // else another group is picked
    QTest::addColumn<int>("answer");
    QTest::newRow("close, Cancel") << true << int(MessageBox::Cancel);
    QTest::newRow("close, OK") << true << int(MessageBox::Ok);
    QTest::newRow("selector, Cancel") << false << int(MessageBox::Cancel);
    QTest::newRow("selector, OK") << false << int(MessageBox::Ok);
    QTest::newRow("close, Discard") << true << int(MessageBox::Discard);
    QTest::newRow("selector, Discard") << false << int(MessageBox::Discard);
}

void TestSetupGroups::savePrompt()
{
    QFETCH(bool, closing);
    QFETCH(int, answer);
    m_groups->AddGroup(group(1));
    m_groups->AddGroup(group(2));
    auto window = openWindow();
    QTest::keyClicks(child<QLineEdit>(*window, "edtParameters"), u"p1"_s);
    MessageBox::setNextAnswer(MessageBox::Answer(answer));
    if (closing)
        click(*window, "btnClose");
    else
        QTest::keyClick(child<QComboBox>(*window, "cbxGroup"), Qt::Key_Down);

    const bool saved = answer == MessageBox::Ok;
    const bool goesOn = answer != MessageBox::Cancel;
    QCOMPARE(MessageBox::shownTexts(), QStringList{u"Save all current parameters?"_s});
    QCOMPARE(section(1, "Parameter"), saved ? u"P1"_s : QString());
    QCOMPARE(window->isVisible(), !(closing && goesOn));
    if (!closing) {
        QCOMPARE(window->currentGroupIndex(), goesOn ? 1 : 0);
        QCOMPARE(child<QComboBox>(*window, "cbxGroup")->currentIndex(), goesOn ? 1 : 0);
        QCOMPARE(child<QLineEdit>(*window, "edtParameters")->text(), goesOn ? QString() : u"P1"_s);
    }
}

// Another operator's program adds and erases groups while the editor is open:
// its list follows within two seconds, and the group being edited stays.
void TestSetupGroups::listFollowsTheFile()
{
    m_groups->AddGroup(group(1));
    m_groups->AddGroup(group(2));
    auto window = openWindow();
    QTest::keyClicks(child<QLineEdit>(*window, "edtParameters"), u"p1"_s);
    const auto other = [this](const QStringList& args) {
        QCOMPARE(QProcess::execute(QStringLiteral(CONFIGOPERATOR_PATH), QStringList{m_config->path()} + args), 0);
    };
    other({u"add"_s});
    QTRY_COMPARE_WITH_TIMEOUT(selectorTexts(*window), (QStringList{u"1"_s, u"2"_s, u"3"_s}), 2000);
    other({u"erase"_s, u"ZizaVureessGroup:1"_s});
    QTRY_COMPARE_WITH_TIMEOUT(selectorTexts(*window), (QStringList{u"2"_s, u"3"_s, u"1 (erased by another program)"_s}),
                              2000);
    QCOMPARE(child<QLineEdit>(*window, "edtParameters")->text(), u"P1"_s);
}

void TestSetupGroups::startTextCheckedBeforeWriting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("leftField"); // else the text is typed and the field not left
    QTest::addColumn<bool>("byClosing"); // else by Save
    QTest::addColumn<QString>("stored"); // StartFrom in the file afterwards
    QTest::newRow("invalid, Save") << u"31/12/2005"_s << true << false << QString();
    QTest::newRow("invalid, Escape and OK") << u"31/12/2005"_s << true << true << QString();
    QTest::newRow("valid, typed only, Escape and OK") << u"Today"_s << false << true << u"Today"_s;
    QTest::newRow("date in blanks, Escape and OK") << u" 1/1/2020 "_s << true << true << u"1/1/2020"_s;
}

// The file never gets a start text that the window refuses, and a text
// typed but not left is not lost when the window closes.
void TestSetupGroups::startTextCheckedBeforeWriting()
{
    QFETCH(QString, text);
    QFETCH(bool, leftField);
    QFETCH(bool, byClosing);
    QFETCH(QString, stored);
    m_groups->AddGroup(group(1));
    auto window = openWindow();
    typeStartFrom(*window, text);
    if (leftField)
        QTest::keyClick(child<QComboBox>(*window, "cbxDateFrom"), Qt::Key_Tab);
    QTest::qWait(20);
    MessageBox::setNextAnswer(MessageBox::Ok);
    if (byClosing)
        QTest::keyClick(window.get(), Qt::Key_Escape);
    else
        save(*window);
    QTest::qWait(20);

    QCOMPARE(section(1, "StartFrom"), stored);
    const bool valid = !stored.isEmpty();
    if (valid)
        QCOMPARE(m_groups->Items(0)->StartFrom, stored);
    QCOMPARE(window->isVisible(), !valid);
    const QStringList shown = MessageBox::shownTexts();
    QCOMPARE(shown.contains(u"Save all current parameters?"_s), byClosing);
    // Refused on leaving the field, and again where it would be written.
    QCOMPARE(shown.filter(u"Error 1505"_s).size() >= 2, !valid);
}

void TestSetupGroups::failedSaveKeepsGroup_data()
{
    QTest::addColumn<bool>("refusedWrite");
    QTest::addColumn<QString>("baseTime");
    QTest::addColumn<QString>("message"); // without the file's path
    QTest::newRow("file refuses the write") << true << u"00:00:00"_s << u"Error 1500: Unable to write to "_s;
    QTest::newRow("no time of day") << false << u"25:00:00"_s << u"'25:00:00' is not a valid time"_s;
}

// The group stays as it was, outside the list, and the edits stay in the controls.
void TestSetupGroups::failedSaveKeepsGroup()
{
    QFETCH(bool, refusedWrite);
    QFETCH(QString, message);
    if (refusedWrite) {
        QDir(m_folder.path()).mkpath(u"locked"_s);
        m_config = std::make_unique<ConfigFile>(m_folder.filePath(u"locked"_s));
        message += m_config->path() + u": it is not a regular file"_s;
    }
    auto window = openWindow();
    QTest::keyClicks(child<QLineEdit>(*window, "edtParameters"), u"p1"_s);
    QFETCH(QString, baseTime);
    child<QLineEdit>(*window, "edtBase")->setText(baseTime);
    save(*window);

    QCOMPARE(MessageBox::shownTexts(), QStringList{message});
    QCOMPARE(m_groups->Count(), 0);
    QCOMPARE(window->currentGroupIndex(), -1);
    QVERIFY(window->isModified());
    QCOMPARE(window->currentGroup().Parameter, QString());
    QCOMPARE(child<QLineEdit>(*window, "edtParameters")->text(), u"P1"_s);
}

QTEST_MAIN(TestSetupGroups)
#include "tst_setupgroups.moc"
