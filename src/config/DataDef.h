#pragma once

#include <QSet>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <vector>

// The post-processing configuration in memory (the groups, each with its
// station/sensor entries) and the cache of stations and sensors that the setup
// editor reads from the database. Lists own what they hold; positions outside
// 0..Count-1 raise std::out_of_range.

// A group's configuration section is this prefix followed by its number.
inline constexpr QLatin1String GroupSectionPrefix("ZizaVureessGroup:");

// Group numbers handed out to new groups run from 1 to this.
inline constexpr int MaxGroupNumber = 999;

QString GroupSectionName(int number);

// The smallest number of 1..MaxGroupNumber that is not taken, or 0 when none is left.
int LowestFreeGroupNumber(const QSet<int>& taken);

// A group's kind of interval (TypeInterval), in the order of the editors'
// lists; only IntervalAsEntered uses the group's own Interval.
enum TIntervalKind : quint8 {
    IntervalHour,
    IntervalSixHours,
    IntervalTwelveHours,
    IntervalDaily,
    IntervalWeekly,
    IntervalMonthly,
    IntervalAsEntered
};

// Whether a group of this kind runs at its own Interval; the editors enable
// the interval fields only then, but keep and save their values whatever
// the kind.
inline bool UsesOwnInterval(int kind)
{
    return kind == IntervalAsEntered;
}

// The detail levels of the status messages (LogDetail); some messages are
// made only at DetailHigh.
enum TDetailLevel : int { DetailLow, DetailMedium, DetailHigh };

// What the service answers to GetProcessingState.
enum TProcessingState : int { ProcessingSuspended, ProcessingActive };

// One station/sensor entry of a group with the data labels of its result.
class TStationSensorInfoItem
{
public:
    TStationSensorInfoItem() = default;
    TStationSensorInfoItem(const TStationSensorInfoItem&) = default;
    TStationSensorInfoItem& operator=(const TStationSensorInfoItem&) = default;

    // StationId "." SensorName, the form shown in lists and stored in the configuration.
    QString PairText() const;
    // The station and the data label, upper-cased: a data label names one
    // result per station, so no two entries of any groups share this key.
    QString StationLabelKey() const;

    QString StationId;
    QString SensorName;
    double POLLUpdate = 0;
    QString POLLDataLabel;
    QString POLLAltLabel;
};

using TStationSensorList = std::vector<std::unique_ptr<TStationSensorInfoItem>>;

// One post-processing group. The fields carry the names of the configuration
// keys that store them.
class TZizaVureGroupItem
{
public:
    TZizaVureGroupItem();
    ~TZizaVureGroupItem();

    TZizaVureGroupItem(const TZizaVureGroupItem&) = delete;
    TZizaVureGroupItem& operator=(const TZizaVureGroupItem&) = delete;

    // Frees the entries from the last to the first.
    void ClearStationSensors();

    // Copies every field and appends a copy of each of the source's entries;
    // entries this group already holds are kept in front of them.
    void AssignFrom(const TZizaVureGroupItem& source);

    bool Enabled = true;
    QString FuncName = QStringLiteral("AVG");
    double BaseTime = 0;
    double ProcTime = 0;
    quint8 TypeInterval = IntervalDaily;
    double Interval = 0;
    QString StartFrom;
    QString Description;
    QString Purpose;
    quint8 DataType = 0;
    QString Parameter;
    qint32 TimeBound = 0;
    QString Filter;
    TStationSensorList StationSensors;
    QString GroupName = GroupSectionName(1);
    qint32 PPGIndex = 1;
};

// The groups in the order of loading and adding.
class TZizaVureGroups
{
public:
    TZizaVureGroups();
    ~TZizaVureGroups();

    TZizaVureGroups(const TZizaVureGroups&) = delete;
    TZizaVureGroups& operator=(const TZizaVureGroups&) = delete;

    int Count() const;
    TZizaVureGroupItem* Items(int index) const;

    void AddGroup(std::unique_ptr<TZizaVureGroupItem> group);
    void DeleteGroup(int index);
    // Removes the group at `index` from the list and hands it over.
    std::unique_ptr<TZizaVureGroupItem> TakeGroup(int index);
    // The position of the group, or -1.
    int IndexOf(const TZizaVureGroupItem* group) const;
    // Frees the groups from the last to the first.
    void ClearGroups();

private:
    std::vector<std::unique_ptr<TZizaVureGroupItem>> m_groups;
};

// One station/sensor row as read from the database. Empty texts and zero
// channels stand for NULL columns.
class TStationSensorItem
{
public:
    QString STATION_ID;
    QString SENSORNAME;
    QString BASIN;
    QString DISTRICT;
    QString CITY;
    QString COUNTY;
    QString STATE;
    QString COUNTRY;
    qint32 PRIMARY_CHANNEL = 0;
    qint32 RANDOM_CHANNEL = 0;

    // Scratch space of the setup editor's tree builder; the cache never reads it.
    QString Level1Text;
    int Level1Image = 0;
    QString Level2Text;
    int Level2Image = 0;
    QString Level3Text;
    int Level3Image = 0;
};

// The station/sensor rows behind the setup editor's selection tree.
class TStationSensorCache
{
public:
    TStationSensorCache() = default;
    ~TStationSensorCache();

    TStationSensorCache(const TStationSensorCache&) = delete;
    TStationSensorCache& operator=(const TStationSensorCache&) = delete;
    TStationSensorCache(TStationSensorCache&&) = default;
    // Takes the other cache's rows; this cache must be empty.
    TStationSensorCache& operator=(TStationSensorCache&&) = default;

    int Count() const;
    TStationSensorItem* Items(int index) const;

    void AddRow(std::unique_ptr<TStationSensorItem> row);

    // Sorts for one of the editor's views:
    // 0 station, sensor; 1 sensor, station;
    // 2..7 basin, district, city, county, state, country, then station, sensor;
    // 8, 9 primary or random channel, then station, sensor.
    // Texts compare with AsciiText::compareFolded. Other views raise std::out_of_range.
    void SortRows(int view);

    void DeleteRow(int index);
    // Frees the rows from the last to the first.
    void ClearRows();

private:
    std::vector<std::unique_ptr<TStationSensorItem>> m_rows;
};
