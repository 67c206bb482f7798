#include "Controls.h"
#include "FixedClock.h"
#include "app/ReCalc.h"
#include "config/DataDef.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

class TestReCalc : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void emptyGroupList();
    void showsGroup_data();
    void showsGroup();
    void pickingGroupKeepsSelection();
    void noDuplicatePairs();
    void deleteCommands();
    void leavingTimeField_data();
    void leavingTimeField();
    void timePreviews_data();
    void timePreviews();
    void calculateAndClose();
};

namespace {

std::unique_ptr<TZizaVureGroupItem> group(const QStringList& pairs, const QString& funcName = QStringLiteral("AVG"))
{
    auto item = std::make_unique<TZizaVureGroupItem>();
    item->FuncName = funcName;
    for (const QString& pair : pairs) {
        auto entry = std::make_unique<TStationSensorInfoItem>();
        entry->StationId = pair.section(u'.', 0, 0);
        entry->SensorName = pair.section(u'.', 1);
        item->StationSensors.push_back(std::move(entry));
    }
    return item;
}

QStringList texts(QListWidget* list)
{
    QStringList result;
    for (int i = 0; i < list->count(); ++i)
        result.append(list->item(i)->text());
    return result;
}

void clickItem(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

void doubleClickItem(QListWidget* list, int row)
{
    const QPoint point = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
}

void click(QWidget& window, const char* button)
{
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

} // namespace

void TestReCalc::initTestCase()
{
    FormatSettings::setCurrent(FormatSettings(QStringLiteral("MM/dd/yyyy"), QStringLiteral("HH:mm:ss")));
}

void TestReCalc::init()
{
    MessageBox::setTestMode(true);
}

void TestReCalc::emptyGroupList()
{
    TZizaVureGroups groups;
    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    QCOMPARE(window.windowTitle(), QStringLiteral("Interactive Calculation"));
    QCOMPARE(child<QComboBox>(window, "cbxGroup")->count(), 0);
    QCOMPARE(child<QComboBox>(window, "cbxGroup")->toolTip(), QStringLiteral("List of Poll Groups created."));
    QVERIFY(!child<QGroupBox>(window, "GroupBox2")->isEnabled());
    QCOMPARE(child<QLineEdit>(window, "edtBase")->displayText(), QStringLiteral("  :  :  "));
    QCOMPARE(child<QLineEdit>(window, "edtProcTime")->displayText(), QStringLiteral("  :  :  "));
    QCOMPARE(child<QLineEdit>(window, "edtInterval")->displayText(), QStringLiteral("  :  :  "));
    QCOMPARE(child<QLineEdit>(window, "edtIntervalDay")->text(), QStringLiteral("0"));
    QVERIFY(!child<QCheckBox>(window, "chkEnable")->isChecked());
    QCOMPARE(child<QComboBox>(window, "cbxInterval")->currentIndex(), -1);
    QCOMPARE(child<QComboBox>(window, "cbxInterval")->count(), 7);
    QCOMPARE(child<QComboBox>(window, "cbxFuncName")->currentIndex(), -1);
    QCOMPARE(child<QComboBox>(window, "cbxFuncName")->count(), 7);
    QCOMPARE(child<QComboBox>(window, "cbxDataFlags")->currentText(), QStringLiteral("All Data"));
    QCOMPARE(child<QLineEdit>(window, "edtParameters")->text(), QString());
    QCOMPARE(child<QLineEdit>(window, "edtParameters")->maxLength(), 12);
    auto* details = child<QGroupBox>(window, "GroupBox2");
    QVERIFY(!child<QLineEdit>(window, "edtIntervalDay")->isEnabledTo(details));
    QVERIFY(!child<QSpinBox>(window, "spnbtnNoChangeInterval")->isEnabledTo(details));

    auto* start = child<QComboBox>(window, "cbxDateFrom");
    auto* stop = child<QComboBox>(window, "ComboBox1");
    QCOMPARE(start->currentText(), QStringLiteral("Yesterday"));
    QCOMPARE(stop->currentText(), QStringLiteral("Today"));
    QCOMPARE(start->count(), 15);
    QCOMPARE(stop->itemText(14), QStringLiteral("Next Year"));
    QCOMPARE(start->lineEdit()->maxLength(), 19);
    QCOMPARE(child<QPushButton>(window, "btnCalc")->text(), QStringLiteral("&Calculate"));
    QCOMPARE(child<QPushButton>(window, "btnClose")->text(), QStringLiteral("C&lose"));

    click(window, "btnSetupSitesSensorsAddAll");
    QCOMPARE(child<QListWidget>(window, "lbxSiteSensor")->count(), 0);
    QCOMPARE(child<QListWidget>(window, "lbxSelected")->count(), 0);
}

void TestReCalc::showsGroup_data()
{
    QTest::addColumn<QString>("funcName");
    QTest::addColumn<int>("typeInterval");
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("dataType");
    // What the boxes select (-1 for nothing) and what the interval fields show.
    QTest::addColumn<int>("functionIndex");
    QTest::addColumn<int>("intervalIndex");
    QTest::addColumn<int>("dataFlagsIndex");
    QTest::addColumn<int>("days");
    QTest::addColumn<QString>("timeOfInterval");
    QTest::addColumn<bool>("intervalFieldsEnabled");

    QTest::newRow("daily") << "AVG" << 3 << 1.5 << 1 << 0 << 3 << 1 << 1 << "12:00:00" << false;
    QTest::newRow("as entered, lower case") << "delta" << 6 << 2.25 << 0 << 6 << 6 << 0 << 2 << "06:00:00" << true;
    QTest::newRow("LAST cannot be shown") << "LAST" << 0 << 0.0 << 0 << -1 << 0 << 0 << 0 << "00:00:00" << false;
    QTest::newRow("out of range") << "FIRST" << 7 << 10.0 + 1.0 / 24 << 2 << -1 << -1 << -1 << 10 << "01:00:00"
                                  << false;
}

void TestReCalc::showsGroup()
{
    QFETCH(QString, funcName);
    QFETCH(int, typeInterval);
    QFETCH(double, interval);
    QFETCH(int, dataType);
    TZizaVureGroups groups;
    auto item = group({QStringLiteral("STATION1.RAIN"), QStringLiteral("STATION2.TEMP")}, funcName);
    item->Enabled = false;
    item->TypeInterval = quint8(typeInterval);
    item->Interval = interval;
    item->DataType = quint8(dataType);
    item->BaseTime = DateTimeValue::encodeTime(14, 37, 22);
    item->ProcTime = DateTimeValue::encodeTime(0, 5, 0);
    item->Parameter = QStringLiteral("abc");
    groups.AddGroup(std::move(item));
    groups.AddGroup(group({}));

    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    QCOMPARE(child<QComboBox>(window, "cbxGroup")->count(), 2);
    QCOMPARE(child<QComboBox>(window, "cbxGroup")->itemText(1), QStringLiteral("2"));
    QCOMPARE(child<QComboBox>(window, "cbxGroup")->currentText(), QStringLiteral("1"));
    QVERIFY(!child<QCheckBox>(window, "chkEnable")->isChecked());
    QTEST(child<QComboBox>(window, "cbxFuncName")->currentIndex(), "functionIndex");
    QCOMPARE(child<QLineEdit>(window, "edtBase")->text(), QStringLiteral("14:37:22"));
    QCOMPARE(child<QLineEdit>(window, "edtProcTime")->text(), QStringLiteral("00:05:00"));
    QTEST(child<QComboBox>(window, "cbxInterval")->currentIndex(), "intervalIndex");
    QTEST(child<QLineEdit>(window, "edtIntervalDay")->text().toInt(), "days");
    QTEST(child<QLineEdit>(window, "edtInterval")->text(), "timeOfInterval");
    QTEST(child<QComboBox>(window, "cbxDataFlags")->currentIndex(), "dataFlagsIndex");
    QCOMPARE(child<QLineEdit>(window, "edtParameters")->text(), QStringLiteral("ABC"));
    QCOMPARE(texts(child<QListWidget>(window, "lbxSiteSensor")),
             QStringList({QStringLiteral("STATION1.RAIN"), QStringLiteral("STATION2.TEMP")}));
    // Inside the disabled box the rule only changes how the fields are drawn.
    auto* details = child<QGroupBox>(window, "GroupBox2");
    QTEST(child<QLineEdit>(window, "edtIntervalDay")->isEnabledTo(details), "intervalFieldsEnabled");
    QTEST(child<QLineEdit>(window, "edtInterval")->isEnabledTo(details), "intervalFieldsEnabled");
    QTEST(child<QSpinBox>(window, "spnbtnNoChangeInterval")->isEnabledTo(details), "intervalFieldsEnabled");
}

void TestReCalc::pickingGroupKeepsSelection()
{
    TZizaVureGroups groups;
    groups.AddGroup(group({QStringLiteral("A.RAIN"), QStringLiteral("A.TEMP")}));
    auto second = group({QStringLiteral("B.FLOW")}, QStringLiteral("MAX"));
    second->Enabled = false;
    groups.AddGroup(std::move(second));
    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    window.show();
    auto* available = child<QListWidget>(window, "lbxSiteSensor");
    auto* selected = child<QListWidget>(window, "lbxSelected");
    auto* start = child<QComboBox>(window, "cbxDateFrom");
    start->setEditText(QStringLiteral("Last Week"));

    clickItem(available, 1);
    click(window, "btnSetupSitesSensorsAdd");
    QCOMPARE(texts(selected), QStringList{QStringLiteral("A.TEMP")});

    QTest::keyClick(child<QComboBox>(window, "cbxGroup"), Qt::Key_Down);
    QCOMPARE(child<QComboBox>(window, "cbxGroup")->currentText(), QStringLiteral("2"));
    QCOMPARE(texts(available), QStringList{QStringLiteral("B.FLOW")});
    QCOMPARE(texts(selected), QStringList{QStringLiteral("A.TEMP")});
    QVERIFY(!child<QCheckBox>(window, "chkEnable")->isChecked());
    QCOMPARE(child<QComboBox>(window, "cbxFuncName")->currentText(), QStringLiteral("MAX"));
    QCOMPARE(start->currentText(), QStringLiteral("Last Week"));
}

void TestReCalc::noDuplicatePairs()
{
    TZizaVureGroups groups;
    groups.AddGroup(group({QStringLiteral("A.RAIN"), QStringLiteral("A.TEMP"), QStringLiteral("B.FLOW")}));
    groups.AddGroup(group({QStringLiteral("a.rain"), QStringLiteral("C.WIND")}));
    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    window.show();
    auto* available = child<QListWidget>(window, "lbxSiteSensor");
    auto* selected = child<QListWidget>(window, "lbxSelected");

    // B.FLOW and A.RAIN picked, added in the order of the available list.
    clickItem(available, 2);
    clickItem(available, 0, Qt::ControlModifier);
    click(window, "btnSetupSitesSensorsAdd");
    click(window, "btnSetupSitesSensorsAdd");
    doubleClickItem(available, 0);
    QCOMPARE(texts(selected), QStringList({QStringLiteral("A.RAIN"), QStringLiteral("B.FLOW")}));

    click(window, "btnSetupSitesSensorsAddAll");
    QCOMPARE(texts(selected),
             QStringList({QStringLiteral("A.RAIN"), QStringLiteral("B.FLOW"), QStringLiteral("A.TEMP")}));

    // Group 2's "a.rain" is the pair already chosen, whatever the case.
    QTest::keyClick(child<QComboBox>(window, "cbxGroup"), Qt::Key_Down);
    click(window, "btnSetupSitesSensorsAddAll");
    QCOMPARE(texts(selected), QStringList({QStringLiteral("A.RAIN"), QStringLiteral("B.FLOW"), QStringLiteral("A.TEMP"),
                                           QStringLiteral("C.WIND")}));
    QCOMPARE(available->count(), 2);
}

void TestReCalc::deleteCommands()
{
    TZizaVureGroups groups;
    groups.AddGroup(group(
        {QStringLiteral("A.RAIN"), QStringLiteral("A.TEMP"), QStringLiteral("B.FLOW"), QStringLiteral("C.WIND")}));
    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    window.show();
    auto* selected = child<QListWidget>(window, "lbxSelected");
    click(window, "btnSetupSitesSensorsAddAll");

    clickItem(selected, 0);
    clickItem(selected, 2, Qt::ControlModifier);
    click(window, "btnSetupSitesSensorsDelete");
    QCOMPARE(texts(selected), QStringList({QStringLiteral("A.TEMP"), QStringLiteral("C.WIND")}));

    doubleClickItem(selected, 1);
    QCOMPARE(texts(selected), QStringList{QStringLiteral("A.TEMP")});

    click(window, "btnSetupSitesSensorsDeleteAll");
    QCOMPARE(selected->count(), 0);
    QCOMPARE(child<QListWidget>(window, "lbxSiteSensor")->count(), 4);
}

void TestReCalc::leavingTimeField_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("field");
    QTest::newRow("30 February in the stop field") << "2/30/2005" << false << "ComboBox1";
    QTest::newRow("setup editor keyword") << "Last 5 Days" << false << "cbxDateFrom";
    QTest::newRow("leading blank") << " Yesterday" << false << "cbxDateFrom";
    QTest::newRow("Last Hour typed") << "Last Hour" << true << "cbxDateFrom";
    QTest::newRow("lower case") << "next hour" << true << "ComboBox1";
    QTest::newRow("date and time") << "12/31/2005 23:59:59" << true << "ComboBox1";
    QTest::newRow("empty") << "" << true << "ComboBox1";
}

void TestReCalc::leavingTimeField()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    TZizaVureGroups groups;
    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto* box = window.findChild<QComboBox*>(field);
    QVERIFY(box);

    box->setFocus(Qt::MouseFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), box);
    box->lineEdit()->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
    QTest::qWait(20);

    QCOMPARE(box->currentText(), text);
    if (valid) {
        QCOMPARE(MessageBox::shownTexts(), QStringList());
        QVERIFY(QApplication::focusWidget() != box);
    } else {
        QCOMPARE(
            MessageBox::shownTexts(),
            QStringList{QStringLiteral("Invalid date!  Please enter date in \r\nthe format mm/dd/yyyy HH:MM:SS.")});
        QTRY_COMPARE(QApplication::focusWidget(), box);
    }
}

void TestReCalc::timePreviews_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QStringList>("shown"); // start, stop, length

    QTest::newRow("keywords") << "Yesterday"
                              << "Today"
                              << QStringList{u"= 12/07/2026 00:00:00"_s, u"= 12/08/2026 00:00:00"_s,
                                             u"1 day 0:00:00"_s};
    QTest::newRow("date") << "12/05/2026"
                          << "now"
                          << QStringList{u"= 12/05/2026 00:00:00"_s, u"= 12/08/2026 14:37:22"_s, u"3 days 14:37:22"_s};
    QTest::newRow("stop before start") << "Today"
                                       << "Last Week"
                                       << QStringList{u"= 12/08/2026 00:00:00"_s, u"= 11/29/2026 00:00:00"_s,
                                                      u"Stop is before start"_s};
    QTest::newRow("invalid stop") << "Yesterday"
                                  << "13/01/2005" << QStringList{u"= 12/07/2026 00:00:00"_s, u""_s, u""_s};
}

void TestReCalc::timePreviews()
{
    QFETCH(QString, start);
    QFETCH(QString, stop);
    QFETCH(QStringList, shown);
    TZizaVureGroups groups;
    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    window.setClock(FixedNow);
    for (const auto& [field, text] : {std::pair{"cbxDateFrom", start}, std::pair{"ComboBox1", stop}}) {
        child<QComboBox>(window, field)->lineEdit()->clear();
        QTest::keyClicks(child<QComboBox>(window, field)->lineEdit(), text);
    }
    QCOMPARE((QStringList{child<QLineEdit>(window, "edtStartPreview")->text(),
                          child<QLineEdit>(window, "edtStopPreview")->text(),
                          child<QLineEdit>(window, "edtRangeLength")->text()}),
             shown);
}

void TestReCalc::calculateAndClose()
{
    TZizaVureGroups groups;
    groups.AddGroup(group({QStringLiteral("A.RAIN")}));
    TfrmReCalc window(nullptr, nullptr, nullptr, groups);
    window.show();
    click(window, "btnSetupSitesSensorsAddAll");
    QVERIFY(child<QAction>(window, "actCalc")->isEnabled());

    click(window, "btnCalc");
    QVERIFY(window.isVisible());
    QCOMPARE(texts(child<QListWidget>(window, "lbxSelected")), QStringList{QStringLiteral("A.RAIN")});
    QCOMPARE(child<QComboBox>(window, "cbxDateFrom")->currentText(), QStringLiteral("Yesterday"));
    QCOMPARE(MessageBox::shownTexts(), QStringList());

    click(window, "btnClose");
    QVERIFY(!window.isVisible());
    QCOMPARE(window.result(), int(QDialog::Rejected));
}

QTEST_MAIN(TestReCalc)
#include "tst_recalc.moc"
