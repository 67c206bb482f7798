#include "GroupDifferences.h"
#include "config/DataDef.h"
#include "platform/AsciiText.h"

#include <QtTest>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <vector>

// Records every address passed to operator delete while recording is on, so
// that the tests can see which objects the lists free and in which order.
namespace FreeLog {

constexpr int Capacity = 1024;
bool recording = false;
int count = 0;
const void* freed[Capacity];

void record(const void* pointer)
{
    if (recording && pointer && count < Capacity)
        freed[count++] = pointer;
}

void start()
{
    count = 0;
    recording = true;
}

// The recorded addresses among `watched`, in the order they were freed.
std::vector<const void*> stop(const std::vector<const void*>& watched)
{
    recording = false;
    std::vector<const void*> result;
    for (int i = 0; i < count; ++i) {
        if (std::find(watched.begin(), watched.end(), freed[i]) != watched.end())
            result.push_back(freed[i]);
    }
    return result;
}

} // namespace FreeLog

void* operator new(std::size_t size)
{
    if (void* pointer = std::malloc(size == 0 ? 1 : size))
        return pointer;
    throw std::bad_alloc();
}

void operator delete(void* pointer) noexcept
{
    FreeLog::record(pointer);
    std::free(pointer);
}

void operator delete(void* pointer, std::size_t) noexcept
{
    FreeLog::record(pointer);
    std::free(pointer);
}

namespace {

enum ListOperation { GroupItems, GroupDelete, CacheItems, CacheDelete, CacheSort };

using Addresses = std::vector<const void*>;

std::unique_ptr<TStationSensorInfoItem> makeEntry(const QString& station, const QString& sensor)
{
    auto entry = std::make_unique<TStationSensorInfoItem>();
    entry->StationId = station;
    entry->SensorName = sensor;
    entry->POLLUpdate = 45000.25;
    entry->POLLDataLabel = station + QStringLiteral("_DL");
    entry->POLLAltLabel = sensor + QStringLiteral("_ALT");
    return entry;
}

std::unique_ptr<TZizaVureGroupItem> makeGroup(int number)
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->PPGIndex = number;
    group->GroupName = GroupSectionName(number);
    return group;
}

Addresses entryAddresses(const TZizaVureGroupItem& group)
{
    Addresses result;
    for (const auto& entry : group.StationSensors)
        result.push_back(entry.get());
    return result;
}

Addresses reversed(Addresses addresses)
{
    std::reverse(addresses.begin(), addresses.end());
    return addresses;
}

QList<int> groupNumbers(const TZizaVureGroups& groups)
{
    QList<int> numbers;
    for (int i = 0; i < groups.Count(); ++i)
        numbers.append(groups.Items(i)->PPGIndex);
    return numbers;
}

QStringList pairTexts(const TZizaVureGroupItem& group)
{
    QStringList texts;
    for (const auto& entry : group.StationSensors)
        texts.append(entry->PairText());
    return texts;
}

// "STATION.SENSOR" of each row in cache order.
QStringList rowPairs(const TStationSensorCache& cache)
{
    QStringList pairs;
    for (int i = 0; i < cache.Count(); ++i)
        pairs.append(cache.Items(i)->STATION_ID + QLatin1Char('.') + cache.Items(i)->SENSORNAME);
    return pairs;
}

QString* textAttribute(TStationSensorItem& row, int view)
{
    switch (view) {
    case 2:
        return &row.BASIN;
    case 3:
        return &row.DISTRICT;
    case 4:
        return &row.CITY;
    case 5:
        return &row.COUNTY;
    case 6:
        return &row.STATE;
    case 7:
        return &row.COUNTRY;
    }
    return nullptr;
}

qint32* channelAttribute(TStationSensorItem& row, int view)
{
    switch (view) {
    case 8:
        return &row.PRIMARY_CHANNEL;
    case 9:
        return &row.RANDOM_CHANNEL;
    }
    return nullptr;
}

// Every attribute that the view does not sort by gets a value that would put
// the rows in the reverse of their insertion order, so that a view reading the
// wrong field shows up.
std::unique_ptr<TStationSensorItem> makeRow(const QString& pair, int insertion, int view, const QString& key)
{
    auto row = std::make_unique<TStationSensorItem>();
    const qsizetype dot = pair.indexOf(QLatin1Char('.'));
    row->STATION_ID = pair.left(dot);
    row->SENSORNAME = pair.mid(dot + 1);
    const QString noiseText = QString(QChar(u'Z' - insertion));
    const qint32 noiseNumber = 1000 - insertion;
    for (int other = 2; other <= 9; ++other) {
        if (QString* text = textAttribute(*row, other))
            *text = noiseText;
        if (qint32* number = channelAttribute(*row, other))
            *number = noiseNumber;
    }
    if (QString* text = textAttribute(*row, view))
        *text = key;
    if (qint32* number = channelAttribute(*row, view))
        *number = key.toInt();
    return row;
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

class TestDataDef : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void compareFolded_data();
    void compareFolded();
    void upper_data();
    void upper();

    void groupSectionName_data();
    void groupSectionName();
    void lowestFreeGroupNumber_data();
    void lowestFreeGroupNumber();

    void newGroupHasDefaults();
    void pairText_data();
    void pairText();
    void entryCopyTakesAllFields();

    void assignFromIntoFreshGroup();
    void assignFromKeepsTargetEntriesFirst();
    void assignFromItselfAppendsOneCopy();
    void clearStationSensorsFreesLastToFirst();
    void destroyingGroupFreesItsEntries();

    void groupsKeepInsertionOrderBeyondTwenty();
    void deleteGroup_data();
    void deleteGroup();
    void clearGroupsFreesLastToFirst();
    void destroyingGroupsFreesEveryGroup();

    void outOfRange_data();
    void outOfRange();

    void sortRows_data();
    void sortRows();
    void deleteRowFreesRow();
    void clearRowsFreesLastToFirst();
};

void TestDataDef::compareFolded_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expectedSign");

    QTest::newRow("both empty") << QString() << QString() << 0;
    QTest::newRow("null equals empty") << QString() << QStringLiteral("") << 0;
    QTest::newRow("same letters, other case") << QStringLiteral("st01.airTemp") << QStringLiteral("ST01.AIRTEMP") << 0;
    QTest::newRow("folded letters order") << QStringLiteral("a") << QStringLiteral("B") << -1;
    QTest::newRow("case does not decide") << QStringLiteral("b") << QStringLiteral("A") << 1;
    QTest::newRow("empty before text") << QString() << QStringLiteral("A") << -1;
    QTest::newRow("prefix first") << QStringLiteral("ST1") << QStringLiteral("ST10") << -1;
    QTest::newRow("folded prefix first") << QStringLiteral("st") << QStringLiteral("ST1") << -1;
    QTest::newRow("a folds below underscore") << QStringLiteral("a") << QStringLiteral("_") << -1;
    QTest::newRow("z folds below bracket") << QStringLiteral("z") << QStringLiteral("[") << -1;
    QTest::newRow("a folds below backquote") << QStringLiteral("a") << QStringLiteral("`") << -1;
    QTest::newRow("brace stays above Z") << QStringLiteral("{") << QStringLiteral("Z") << 1;
    QTest::newRow("at sign stays below A") << QStringLiteral("@") << QStringLiteral("a") << -1;
    QTest::newRow("digits before letters") << QStringLiteral("9") << QStringLiteral("a") << -1;
    QTest::newRow("DEL before first non-ASCII") << QStringLiteral("\x7f") << QStringLiteral("\u0080") << -1;
    QTest::newRow("tilde before e acute") << QStringLiteral("~") << QStringLiteral("\u00e9") << -1;
    QTest::newRow("e acute not folded") << QStringLiteral("\u00e9") << QStringLiteral("\u00c9") << 1;
    QTest::newRow("sharp s not folded") << QStringLiteral("\u00df") << QStringLiteral("ss") << 1;
    QTest::newRow("dotless i not folded") << QStringLiteral("\u0131") << QStringLiteral("I") << 1;
    QTest::newRow("D7FF before supplementary") << QStringLiteral("\ud7ff") << QStringLiteral("\U00010000") << -1;
    QTest::newRow("E000 before supplementary") << QStringLiteral("\ue000") << QStringLiteral("\U00010000") << -1;
    QTest::newRow("FF01 before emoji") << QStringLiteral("\uff01") << QStringLiteral("\U0001f600") << -1;
    QTest::newRow("FFFD before emoji") << QStringLiteral("X\ufffd") << QStringLiteral("X\U0001f600") << -1;
    QTest::newRow("supplementary by code point") << QStringLiteral("\U0001f600") << QStringLiteral("\U0001f601") << -1;
    QTest::newRow("high surrogates differ") << QStringLiteral("\U0001ffff") << QStringLiteral("\U00020000") << -1;
    QTest::newRow("same emoji") << QStringLiteral("a\U0001f600") << QStringLiteral("A\U0001f600") << 0;
    QTest::newRow("difference after fold") << QStringLiteral("abC1") << QStringLiteral("ABc2") << -1;
}

void TestDataDef::compareFolded()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expectedSign);

    QCOMPARE(sign(AsciiText::compareFolded(a, b)), expectedSign);
    QCOMPARE(sign(AsciiText::compareFolded(b, a)), -expectedSign);
    QCOMPARE(AsciiText::equalsFolded(a, b), expectedSign == 0);
    QCOMPARE(AsciiText::equalsFolded(b, a), expectedSign == 0);
}

void TestDataDef::upper_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("ascii letters") << QStringLiteral("st01.airTemp") << QStringLiteral("ST01.AIRTEMP");
    QTest::newRow("a and z") << QStringLiteral("az") << QStringLiteral("AZ");
    QTest::newRow("neighbours of a-z") << QStringLiteral("@[`{") << QStringLiteral("@[`{");
    QTest::newRow("i without locale") << QStringLiteral("i") << QStringLiteral("I");
    QTest::newRow("sharp s") << QStringLiteral("stra\u00dfe") << QStringLiteral("STRA\u00dfE");
    QTest::newRow("accented") << QStringLiteral("caf\u00e9 \u00ff") << QStringLiteral("CAF\u00e9 \u00ff");
    QTest::newRow("dotless i") << QStringLiteral("\u0131") << QStringLiteral("\u0131");
    QTest::newRow("fullwidth a") << QStringLiteral("\uff41") << QStringLiteral("\uff41");
    QTest::newRow("supplementary") << QStringLiteral("x\U0001d41a") << QStringLiteral("X\U0001d41a");
}

void TestDataDef::upper()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);

    const QString original = text;
    QCOMPARE(AsciiText::upper(text), expected);
    QCOMPARE(text, original);
}

void TestDataDef::groupSectionName_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("expected");

    QTest::newRow("7") << 7 << QStringLiteral("ZizaVureessGroup:7");
    QTest::newRow("1") << 1 << QStringLiteral("ZizaVureessGroup:1");
    QTest::newRow("999") << 999 << QStringLiteral("ZizaVureessGroup:999");
    QTest::newRow("1000 from a file") << 1000 << QStringLiteral("ZizaVureessGroup:1000");
}

void TestDataDef::groupSectionName()
{
    QFETCH(int, number);
    QFETCH(QString, expected);

    QCOMPARE(GroupSectionName(number), expected);
    QVERIFY(expected.startsWith(GroupSectionPrefix));
}

void TestDataDef::lowestFreeGroupNumber_data()
{
    QTest::addColumn<QSet<int>>("taken");
    QTest::addColumn<int>("expected");

    QSet<int> all;
    for (int number = 1; number <= 999; ++number)
        all.insert(number);
    QSet<int> allButLast = all;
    allButLast.remove(999);
    QSet<int> allButMiddle = all;
    allButMiddle.remove(500);
    QSet<int> allAndMore = all;
    allAndMore << 0 << 1000 << 5000;

    QTest::newRow("none taken") << QSet<int>() << 1;
    QTest::newRow("gap at 3") << QSet<int>{1, 2, 4} << 3;
    QTest::newRow("1 free") << QSet<int>{2, 3} << 1;
    QTest::newRow("above 999 ignored") << QSet<int>{1000, 1001} << 1;
    QTest::newRow("zero and negatives ignored") << QSet<int>{0, -1} << 1;
    QTest::newRow("only 999 left") << allButLast << 999;
    QTest::newRow("only 500 left") << allButMiddle << 500;
    QTest::newRow("all taken") << all << 0;
    QTest::newRow("all taken and more") << allAndMore << 0;
}

void TestDataDef::lowestFreeGroupNumber()
{
    QFETCH(QSet<int>, taken);
    QFETCH(int, expected);

    QCOMPARE(LowestFreeGroupNumber(taken), expected);
}

void TestDataDef::newGroupHasDefaults()
{
    const TZizaVureGroupItem group;

    QCOMPARE(group.Enabled, true);
    QCOMPARE(group.FuncName, QStringLiteral("AVG"));
    QCOMPARE(group.BaseTime, 0.0);
    QCOMPARE(group.ProcTime, 0.0);
    QCOMPARE(group.TypeInterval, quint8(3));
    QCOMPARE(group.Interval, 0.0);
    QVERIFY(group.StartFrom.isEmpty());
    QVERIFY(group.Description.isEmpty());
    QVERIFY(group.Purpose.isEmpty());
    QCOMPARE(group.DataType, quint8(0));
    QVERIFY(group.Parameter.isEmpty());
    QCOMPARE(group.TimeBound, 0);
    QVERIFY(group.Filter.isEmpty());
    QVERIFY(group.StationSensors.empty());
    QVERIFY(group.StationSensors.capacity() >= 20);
    QCOMPARE(group.GroupName, QStringLiteral("ZizaVureessGroup:1"));
    QCOMPARE(group.PPGIndex, 1);
}

void TestDataDef::pairText_data()
{
    QTest::addColumn<QString>("station");
    QTest::addColumn<QString>("sensor");
    QTest::addColumn<QString>("expected");

    QTest::newRow("typical") << QStringLiteral("ST01") << QStringLiteral("AIRTEMP") << QStringLiteral("ST01.AIRTEMP");
    QTest::newRow("case kept") << QStringLiteral("st01") << QStringLiteral("AirTemp") << QStringLiteral("st01.AirTemp");
    QTest::newRow("both empty") << QString() << QString() << QStringLiteral(".");
    QTest::newRow("dots inside") << QStringLiteral("A.B") << QStringLiteral("C") << QStringLiteral("A.B.C");
}

void TestDataDef::pairText()
{
    QFETCH(QString, station);
    QFETCH(QString, sensor);
    QFETCH(QString, expected);

    TStationSensorInfoItem entry;
    entry.StationId = station;
    entry.SensorName = sensor;
    QCOMPARE(entry.PairText(), expected);
}

void TestDataDef::entryCopyTakesAllFields()
{
    const TStationSensorInfoItem empty;
    QVERIFY(empty.StationId.isEmpty());
    QVERIFY(empty.SensorName.isEmpty());
    QCOMPARE(empty.POLLUpdate, 0.0);
    QVERIFY(empty.POLLDataLabel.isEmpty());
    QVERIFY(empty.POLLAltLabel.isEmpty());

    const auto source = makeEntry(QStringLiteral("ST01"), QStringLiteral("AIRTEMP"));
    const TStationSensorInfoItem copy(*source);
    QCOMPARE(copy.StationId, source->StationId);
    QCOMPARE(copy.SensorName, source->SensorName);
    QCOMPARE(copy.POLLUpdate, source->POLLUpdate);
    QCOMPARE(copy.POLLDataLabel, source->POLLDataLabel);
    QCOMPARE(copy.POLLAltLabel, source->POLLAltLabel);
}

void TestDataDef::assignFromIntoFreshGroup()
{
    TZizaVureGroupItem source;
    source.Enabled = false;
    source.FuncName = QStringLiteral("STDEV");
    source.BaseTime = 0.25;
    source.ProcTime = 0.5;
    source.TypeInterval = 6;
    source.Interval = 2.75;
    source.StartFrom = QStringLiteral("Yesterday");
    source.Description = QStringLiteral("description");
    source.Purpose = QStringLiteral("purpose");
    source.DataType = 1;
    source.Parameter = QStringLiteral("P=1");
    source.TimeBound = 2;
    source.Filter = QStringLiteral("north.flt");
    source.GroupName = QStringLiteral("Loaded section");
    source.PPGIndex = 42;
    source.StationSensors.push_back(makeEntry(QStringLiteral("ST2"), QStringLiteral("A")));
    source.StationSensors.push_back(makeEntry(QStringLiteral("ST1"), QStringLiteral("C")));
    source.StationSensors.push_back(makeEntry(QStringLiteral("ST1"), QStringLiteral("B")));

    TZizaVureGroupItem target;
    target.AssignFrom(source);

    QCOMPARE(groupDifferences(source, target), QStringList());
    // The entries are copies, not the source's own.
    for (std::size_t i = 0; i < source.StationSensors.size(); ++i)
        QVERIFY(target.StationSensors[i] != source.StationSensors[i]);

    target.StationSensors[0]->POLLDataLabel = QStringLiteral("CHANGED");
    target.StationSensors[0]->POLLUpdate = 1.0;
    QCOMPARE(source.StationSensors[0]->POLLDataLabel, QStringLiteral("ST2_DL"));
    QCOMPARE(source.StationSensors[0]->POLLUpdate, 45000.25);

    source.ClearStationSensors();
    QCOMPARE(pairTexts(target),
             (QStringList{QStringLiteral("ST2.A"), QStringLiteral("ST1.C"), QStringLiteral("ST1.B")}));
}

void TestDataDef::assignFromKeepsTargetEntriesFirst()
{
    TZizaVureGroupItem source;
    source.StationSensors.push_back(makeEntry(QStringLiteral("S1"), QStringLiteral("X")));
    source.StationSensors.push_back(makeEntry(QStringLiteral("S2"), QStringLiteral("Y")));

    TZizaVureGroupItem target;
    target.StationSensors.push_back(makeEntry(QStringLiteral("OWN"), QStringLiteral("Z")));
    const TStationSensorInfoItem* own = target.StationSensors[0].get();

    target.AssignFrom(source);

    QCOMPARE(pairTexts(target), (QStringList{QStringLiteral("OWN.Z"), QStringLiteral("S1.X"), QStringLiteral("S2.Y")}));
    QCOMPARE(target.StationSensors[0].get(), own);
    QCOMPARE(source.StationSensors.size(), std::size_t(2));
}

void TestDataDef::assignFromItselfAppendsOneCopy()
{
    TZizaVureGroupItem group;
    group.FuncName = QStringLiteral("MAX");
    group.PPGIndex = 5;
    // More entries than the initial room, so the appends have to grow the list.
    QStringList expected;
    for (int i = 0; i < 20; ++i) {
        group.StationSensors.push_back(makeEntry(QStringLiteral("S%1").arg(i), QStringLiteral("X")));
        expected.append(QStringLiteral("S%1.X").arg(i));
    }

    group.AssignFrom(group);

    QCOMPARE(group.FuncName, QStringLiteral("MAX"));
    QCOMPARE(group.PPGIndex, 5);
    QCOMPARE(pairTexts(group), expected + expected);
}

void TestDataDef::clearStationSensorsFreesLastToFirst()
{
    TZizaVureGroupItem group;
    for (int i = 0; i < 4; ++i)
        group.StationSensors.push_back(makeEntry(QStringLiteral("S%1").arg(i), QStringLiteral("X")));
    const Addresses entries = entryAddresses(group);

    FreeLog::start();
    group.ClearStationSensors();
    const Addresses freed = FreeLog::stop(entries);

    QVERIFY(group.StationSensors.empty());
    QCOMPARE(freed, reversed(entries));
}

void TestDataDef::destroyingGroupFreesItsEntries()
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    for (int i = 0; i < 3; ++i)
        group->StationSensors.push_back(makeEntry(QStringLiteral("S%1").arg(i), QStringLiteral("X")));
    Addresses watched = entryAddresses(*group);
    const Addresses expected = reversed(watched);
    watched.push_back(group.get());

    FreeLog::start();
    const void* groupAddress = group.get();
    group.reset();
    const Addresses freed = FreeLog::stop(watched);

    Addresses expectedWithGroup = expected;
    expectedWithGroup.push_back(groupAddress);
    QCOMPARE(freed, expectedWithGroup);
}

void TestDataDef::groupsKeepInsertionOrderBeyondTwenty()
{
    TZizaVureGroups groups;
    QCOMPARE(groups.Count(), 0);

    QList<int> expected;
    std::vector<const TZizaVureGroupItem*> added;
    for (int number = 1; number <= 25; ++number) {
        auto group = makeGroup(number);
        added.push_back(group.get());
        groups.AddGroup(std::move(group));
        expected.append(number);
    }

    QCOMPARE(groups.Count(), 25);
    QCOMPARE(groupNumbers(groups), expected);
    for (int i = 0; i < groups.Count(); ++i)
        QCOMPARE(groups.Items(i), added[std::size_t(i)]);
}

void TestDataDef::deleteGroup_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QList<int>>("remaining");

    QTest::newRow("first of three") << 0 << QList<int>{2, 3};
    QTest::newRow("middle of three") << 1 << QList<int>{1, 3};
    QTest::newRow("last of three") << 2 << QList<int>{1, 2};
}

void TestDataDef::deleteGroup()
{
    QFETCH(int, index);
    QFETCH(QList<int>, remaining);

    TZizaVureGroups groups;
    Addresses added;
    for (int number = 1; number <= 3; ++number) {
        auto group = makeGroup(number);
        added.push_back(group.get());
        groups.AddGroup(std::move(group));
    }

    FreeLog::start();
    groups.DeleteGroup(index);
    const Addresses freed = FreeLog::stop(added);

    QCOMPARE(groupNumbers(groups), remaining);
    QCOMPARE(freed, Addresses{added[std::size_t(index)]});
}

void TestDataDef::clearGroupsFreesLastToFirst()
{
    TZizaVureGroups groups;
    Addresses added;
    for (int number = 1; number <= 4; ++number) {
        auto group = makeGroup(number);
        added.push_back(group.get());
        groups.AddGroup(std::move(group));
    }

    FreeLog::start();
    groups.ClearGroups();
    const Addresses freed = FreeLog::stop(added);

    QCOMPARE(groups.Count(), 0);
    QCOMPARE(freed, reversed(added));

    groups.AddGroup(makeGroup(9));
    QCOMPARE(groupNumbers(groups), QList<int>{9});
}

void TestDataDef::destroyingGroupsFreesEveryGroup()
{
    auto groups = std::make_unique<TZizaVureGroups>();
    Addresses added;
    for (int number = 1; number <= 3; ++number) {
        auto group = makeGroup(number);
        added.push_back(group.get());
        groups->AddGroup(std::move(group));
    }

    FreeLog::start();
    groups.reset();
    const Addresses freed = FreeLog::stop(added);

    QCOMPARE(freed, reversed(added));
}

void TestDataDef::outOfRange_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("argument");

    QTest::newRow("group 0 of none") << int(GroupItems) << 0 << 0;
    QTest::newRow("group -1") << int(GroupItems) << 3 << -1;
    QTest::newRow("group at count") << int(GroupItems) << 3 << 3;
    QTest::newRow("delete group of none") << int(GroupDelete) << 0 << 0;
    QTest::newRow("delete group -1") << int(GroupDelete) << 3 << -1;
    QTest::newRow("delete group at count") << int(GroupDelete) << 3 << 3;
    QTest::newRow("row 0 of none") << int(CacheItems) << 0 << 0;
    QTest::newRow("row -1") << int(CacheItems) << 2 << -1;
    QTest::newRow("row at count") << int(CacheItems) << 2 << 2;
    QTest::newRow("delete row at count") << int(CacheDelete) << 2 << 2;
    QTest::newRow("delete row -1") << int(CacheDelete) << 2 << -1;
    QTest::newRow("view -1") << int(CacheSort) << 2 << -1;
    QTest::newRow("view 10") << int(CacheSort) << 2 << 10;
    QTest::newRow("view 10 of empty cache") << int(CacheSort) << 0 << 10;
}

void TestDataDef::outOfRange()
{
    QFETCH(int, operation);
    QFETCH(int, size);
    QFETCH(int, argument);

    TZizaVureGroups groups;
    TStationSensorCache cache;
    for (int i = 0; i < size; ++i) {
        groups.AddGroup(makeGroup(i + 1));
        cache.AddRow(makeRow(QStringLiteral("S%1.X").arg(size - i), i, 0, QString()));
    }
    const QList<int> groupsBefore = groupNumbers(groups);
    const QStringList rowsBefore = rowPairs(cache);

    switch (operation) {
    case GroupItems:
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, groups.Items(argument));
        break;
    case GroupDelete:
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, groups.DeleteGroup(argument));
        break;
    case CacheItems:
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, cache.Items(argument));
        break;
    case CacheDelete:
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, cache.DeleteRow(argument));
        break;
    case CacheSort:
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, cache.SortRows(argument));
        break;
    }

    QCOMPARE(groupNumbers(groups), groupsBefore);
    QCOMPARE(rowPairs(cache), rowsBefore);
}

void TestDataDef::sortRows_data()
{
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("pairs");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QStringList>("expected");

    const auto list = [](std::initializer_list<const char16_t*> texts) {
        QStringList result;
        for (const char16_t* text : texts)
            result.append(QString::fromUtf16(text));
        return result;
    };

    QTest::newRow("stations, case ignored")
        << 0 << list({u"ST2.a", u"ST1.c", u"st1.B"}) << QStringList() << list({u"st1.B", u"ST1.c", u"ST2.a"});
    QTest::newRow("stations, prefix first")
        << 0 << list({u"ST10.X", u"ST1A.X", u"ST1.X"}) << QStringList() << list({u"ST1.X", u"ST10.X", u"ST1A.X"});
    QTest::newRow("stations, underscore after folded a")
        << 0 << list({u"ST_.X", u"STa.X", u"STZ.X"}) << QStringList() << list({u"STa.X", u"STZ.X", u"ST_.X"});
    QTest::newRow("stations, non-ASCII last")
        << 0 << list({u"ST\u00c9.X", u"ST\U0001f600.X", u"ST~.X", u"ST\uff01.X"}) << QStringList()
        << list({u"ST~.X", u"ST\u00c9.X", u"ST\uff01.X", u"ST\U0001f600.X"});
    QTest::newRow("stations, sensor breaks ties")
        << 0 << list({u"A.b2", u"B.a", u"a.B1"}) << QStringList() << list({u"a.B1", u"A.b2", u"B.a"});
    QTest::newRow("sensors, case ignored")
        << 1 << list({u"ST1.c", u"st1.B", u"ST2.a"}) << QStringList() << list({u"ST2.a", u"st1.B", u"ST1.c"});
    QTest::newRow("sensors, station breaks ties")
        << 1 << list({u"S2.T", u"S9.A", u"s1.t"}) << QStringList() << list({u"S9.A", u"s1.t", u"S2.T"});

    const QStringList attributePairs = list({u"S3.A", u"S1.A", u"S2.B", u"S4.A", u"S2.A", u"S0.Z"});
    const QStringList attributeKeys = list({u"West", u"", u"east", u"", u"East", u"Eastern"});
    const QStringList attributeExpected = list({u"S1.A", u"S4.A", u"S2.A", u"S2.B", u"S0.Z", u"S3.A"});
    const char* attributeRows[] = {"basin", "district", "city", "county", "state", "country"};
    for (int view = 2; view <= 7; ++view) {
        QTest::addRow("%s, empty first, then station and sensor", attributeRows[view - 2])
            << view << attributePairs << attributeKeys << attributeExpected;
    }

    const QStringList channelPairs = list({u"B.X", u"b.W", u"A.Y", u"A.X"});
    const QStringList channelKeys = list({u"10", u"2", u"2", u"2"});
    const QStringList channelExpected = list({u"A.X", u"A.Y", u"b.W", u"B.X"});
    const QStringList extremePairs = list({u"MAX.X", u"ZERO.X", u"MIN.X", u"NEG.X"});
    const QStringList extremeKeys = list({u"2147483647", u"0", u"-2147483648", u"-1"});
    const QStringList extremeExpected = list({u"MIN.X", u"NEG.X", u"ZERO.X", u"MAX.X"});
    QTest::newRow("primary channel, ties by station and sensor") << 8 << channelPairs << channelKeys << channelExpected;
    QTest::newRow("random channel, ties by station and sensor") << 9 << channelPairs << channelKeys << channelExpected;
    QTest::newRow("primary channel, extremes") << 8 << extremePairs << extremeKeys << extremeExpected;
    QTest::newRow("random channel, extremes") << 9 << extremePairs << extremeKeys << extremeExpected;
    QTest::newRow("channel extremes side by side")
        << 9 << list({u"MAX.X", u"MIN.X"}) << list({u"2147483647", u"-2147483648"}) << list({u"MIN.X", u"MAX.X"});
    QTest::newRow("numbers, not their digits")
        << 8 << list({u"A.X", u"B.X", u"C.X"}) << list({u"100", u"9", u"20"}) << list({u"B.X", u"C.X", u"A.X"});
}

void TestDataDef::sortRows()
{
    QFETCH(int, view);
    QFETCH(QStringList, pairs);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, expected);

    TStationSensorCache cache;
    for (int i = 0; i < pairs.size(); ++i)
        cache.AddRow(makeRow(pairs.at(i), i, view, keys.value(i)));

    cache.SortRows(view);

    QCOMPARE(rowPairs(cache), expected);
}

void TestDataDef::deleteRowFreesRow()
{
    TStationSensorCache cache;
    Addresses added;
    for (int i = 0; i < 3; ++i) {
        auto row = makeRow(QStringLiteral("S%1.X").arg(i), i, 0, QString());
        added.push_back(row.get());
        cache.AddRow(std::move(row));
    }

    FreeLog::start();
    cache.DeleteRow(1);
    const Addresses freed = FreeLog::stop(added);

    QCOMPARE(rowPairs(cache), (QStringList{QStringLiteral("S0.X"), QStringLiteral("S2.X")}));
    QCOMPARE(freed, Addresses{added[1]});
}

void TestDataDef::clearRowsFreesLastToFirst()
{
    TStationSensorCache cache;
    Addresses added;
    for (int i = 0; i < 4; ++i) {
        auto row = makeRow(QStringLiteral("S%1.X").arg(i), i, 0, QString());
        added.push_back(row.get());
        cache.AddRow(std::move(row));
    }

    FreeLog::start();
    cache.ClearRows();
    const Addresses freed = FreeLog::stop(added);

    QCOMPARE(cache.Count(), 0);
    QCOMPARE(freed, reversed(added));
}

QTEST_APPLESS_MAIN(TestDataDef)

#include "tst_datadef.moc"
