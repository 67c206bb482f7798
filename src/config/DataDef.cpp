#include "DataDef.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

// Both lists start with room for this many and grow as needed.
constexpr std::size_t InitialCapacity = 20;

template <typename T>
void checkIndex(int index, const std::vector<T>& list)
{
    if (index < 0 || std::size_t(index) >= list.size())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

// A vector destroys its elements in no promised order; the lists free theirs
// from the last to the first.
template <typename T>
void clearFromLast(std::vector<T>& list)
{
    while (!list.empty())
        list.pop_back();
}

using Row = TStationSensorItem;
using RowPointer = std::unique_ptr<Row>;
using TextField = QString Row::*;
using NumberField = qint32 Row::*;

int compareStationThenSensor(const Row& a, const Row& b)
{
    const int byStation = AsciiText::compareFolded(a.STATION_ID, b.STATION_ID);
    return byStation != 0 ? byStation : AsciiText::compareFolded(a.SENSORNAME, b.SENSORNAME);
}

int compareSensorThenStation(const Row& a, const Row& b)
{
    const int bySensor = AsciiText::compareFolded(a.SENSORNAME, b.SENSORNAME);
    return bySensor != 0 ? bySensor : AsciiText::compareFolded(a.STATION_ID, b.STATION_ID);
}

template <typename Compare>
void sortRows(std::vector<RowPointer>& rows, Compare compare)
{
    std::sort(rows.begin(), rows.end(),
              [&compare](const RowPointer& a, const RowPointer& b) { return compare(*a, *b) < 0; });
}

void sortByText(std::vector<RowPointer>& rows, TextField field)
{
    sortRows(rows, [field](const Row& a, const Row& b) {
        const int byField = AsciiText::compareFolded(a.*field, b.*field);
        return byField != 0 ? byField : compareStationThenSensor(a, b);
    });
}

void sortByNumber(std::vector<RowPointer>& rows, NumberField field)
{
    sortRows(rows, [field](const Row& a, const Row& b) {
        if (a.*field != b.*field)
            return a.*field < b.*field ? -1 : 1;
        return compareStationThenSensor(a, b);
    });
}

} // namespace

QString GroupSectionName(int number)
{
    return QString(GroupSectionPrefix) + QString::number(number);
}

int LowestFreeGroupNumber(const QSet<int>& taken)
{
    for (int number = 1; number <= MaxGroupNumber; ++number) {
        if (!taken.contains(number))
            return number;
    }
    return 0;
}

QString TStationSensorInfoItem::PairText() const
{
    return StationId + QLatin1Char('.') + SensorName;
}

QString TStationSensorInfoItem::StationLabelKey() const
{
    return AsciiText::upper(StationId) + u'\n' + AsciiText::upper(POLLDataLabel);
}

TZizaVureGroupItem::TZizaVureGroupItem()
{
    StationSensors.reserve(InitialCapacity);
}

TZizaVureGroupItem::~TZizaVureGroupItem()
{
    ClearStationSensors();
}

void TZizaVureGroupItem::ClearStationSensors()
{
    clearFromLast(StationSensors);
}

void TZizaVureGroupItem::AssignFrom(const TZizaVureGroupItem& source)
{
    Enabled = source.Enabled;
    FuncName = source.FuncName;
    BaseTime = source.BaseTime;
    ProcTime = source.ProcTime;
    TypeInterval = source.TypeInterval;
    Interval = source.Interval;
    StartFrom = source.StartFrom;
    Description = source.Description;
    Purpose = source.Purpose;
    DataType = source.DataType;
    Parameter = source.Parameter;
    TimeBound = source.TimeBound;
    Filter = source.Filter;
    GroupName = source.GroupName;
    PPGIndex = source.PPGIndex;

    // Counted up front and indexed, because the source may be this group and
    // the appends below may reallocate its list.
    const std::size_t sourceCount = source.StationSensors.size();
    for (std::size_t i = 0; i < sourceCount; ++i)
        StationSensors.push_back(std::make_unique<TStationSensorInfoItem>(*source.StationSensors[i]));
}

TZizaVureGroups::TZizaVureGroups()
{
    m_groups.reserve(InitialCapacity);
}

TZizaVureGroups::~TZizaVureGroups()
{
    ClearGroups();
}

int TZizaVureGroups::Count() const
{
    return int(m_groups.size());
}

TZizaVureGroupItem* TZizaVureGroups::Items(int index) const
{
    checkIndex(index, m_groups);
    return m_groups[std::size_t(index)].get();
}

void TZizaVureGroups::AddGroup(std::unique_ptr<TZizaVureGroupItem> group)
{
    Q_ASSERT(group);
    m_groups.push_back(std::move(group));
}

void TZizaVureGroups::DeleteGroup(int index)
{
    TakeGroup(index);
}

std::unique_ptr<TZizaVureGroupItem> TZizaVureGroups::TakeGroup(int index)
{
    checkIndex(index, m_groups);
    std::unique_ptr<TZizaVureGroupItem> group = std::move(m_groups[std::size_t(index)]);
    m_groups.erase(m_groups.begin() + index);
    return group;
}

int TZizaVureGroups::IndexOf(const TZizaVureGroupItem* group) const
{
    for (std::size_t i = 0; i < m_groups.size(); ++i) {
        if (m_groups[i].get() == group)
            return int(i);
    }
    return -1;
}

void TZizaVureGroups::ClearGroups()
{
    clearFromLast(m_groups);
}

TStationSensorCache::~TStationSensorCache()
{
    ClearRows();
}

int TStationSensorCache::Count() const
{
    return int(m_rows.size());
}

TStationSensorItem* TStationSensorCache::Items(int index) const
{
    checkIndex(index, m_rows);
    return m_rows[std::size_t(index)].get();
}

void TStationSensorCache::AddRow(std::unique_ptr<TStationSensorItem> row)
{
    Q_ASSERT(row);
    m_rows.push_back(std::move(row));
}

void TStationSensorCache::SortRows(int view)
{
    switch (view) {
    case 0:
        sortRows(m_rows, compareStationThenSensor);
        break;
    case 1:
        sortRows(m_rows, compareSensorThenStation);
        break;
    case 2:
        sortByText(m_rows, &Row::BASIN);
        break;
    case 3:
        sortByText(m_rows, &Row::DISTRICT);
        break;
    case 4:
        sortByText(m_rows, &Row::CITY);
        break;
    case 5:
        sortByText(m_rows, &Row::COUNTY);
        break;
    case 6:
        sortByText(m_rows, &Row::STATE);
        break;
    case 7:
        sortByText(m_rows, &Row::COUNTRY);
        break;
    case 8:
        sortByNumber(m_rows, &Row::PRIMARY_CHANNEL);
        break;
    case 9:
        sortByNumber(m_rows, &Row::RANDOM_CHANNEL);
        break;
    default:
        throw std::out_of_range("No station view " + std::to_string(view));
    }
}

void TStationSensorCache::DeleteRow(int index)
{
    checkIndex(index, m_rows);
    m_rows.erase(m_rows.begin() + index);
}

void TStationSensorCache::ClearRows()
{
    clearFromLast(m_rows);
}
