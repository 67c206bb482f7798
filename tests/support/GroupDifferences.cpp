#include "GroupDifferences.h"

#include "config/DataDef.h"

#include <QLocale>

namespace {

// An empty text shows as "", so that it is not taken for a missing value.
QString shown(const QString& value)
{
    return value.isEmpty() ? QStringLiteral("\"\"") : value;
}

// The shortest text that reads back as the same double: two times that
// differ in their last bit must not print alike.
QString shown(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

QString shown(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString shown(int value)
{
    return QString::number(value);
}

template <typename T>
void compare(QStringList& lines, const QString& field, const T& expected, const T& actual)
{
    if (!(expected == actual))
        lines.append(QStringLiteral("%1: %2 != %3").arg(field, shown(expected), shown(actual)));
}

void compareEntries(QStringList& lines, int number, const TStationSensorInfoItem& expected,
                    const TStationSensorInfoItem& actual)
{
    const QString entry = QStringLiteral("entry %1 ").arg(number);
    compare(lines, entry + QLatin1String("StationId"), expected.StationId, actual.StationId);
    compare(lines, entry + QLatin1String("SensorName"), expected.SensorName, actual.SensorName);
    compare(lines, entry + QLatin1String("POLLUpdate"), expected.POLLUpdate, actual.POLLUpdate);
    compare(lines, entry + QLatin1String("POLLDataLabel"), expected.POLLDataLabel, actual.POLLDataLabel);
    compare(lines, entry + QLatin1String("POLLAltLabel"), expected.POLLAltLabel, actual.POLLAltLabel);
}

} // namespace

QStringList groupDifferences(const TZizaVureGroupItem& expected, const TZizaVureGroupItem& actual)
{
    QStringList lines;
    // quint8 fields compare as int, so that they print as numbers, not characters.
    compare(lines, QStringLiteral("GroupName"), expected.GroupName, actual.GroupName);
    compare(lines, QStringLiteral("PPGIndex"), expected.PPGIndex, actual.PPGIndex);
    compare(lines, QStringLiteral("Enabled"), expected.Enabled, actual.Enabled);
    compare(lines, QStringLiteral("FuncName"), expected.FuncName, actual.FuncName);
    compare(lines, QStringLiteral("BaseTime"), expected.BaseTime, actual.BaseTime);
    compare(lines, QStringLiteral("ProcTime"), expected.ProcTime, actual.ProcTime);
    compare(lines, QStringLiteral("TypeInterval"), int(expected.TypeInterval), int(actual.TypeInterval));
    compare(lines, QStringLiteral("Interval"), expected.Interval, actual.Interval);
    compare(lines, QStringLiteral("StartFrom"), expected.StartFrom, actual.StartFrom);
    compare(lines, QStringLiteral("Description"), expected.Description, actual.Description);
    compare(lines, QStringLiteral("Purpose"), expected.Purpose, actual.Purpose);
    compare(lines, QStringLiteral("DataType"), int(expected.DataType), int(actual.DataType));
    compare(lines, QStringLiteral("Parameter"), expected.Parameter, actual.Parameter);
    compare(lines, QStringLiteral("TimeBound"), expected.TimeBound, actual.TimeBound);
    compare(lines, QStringLiteral("Filter"), expected.Filter, actual.Filter);

    const int expectedCount = int(expected.StationSensors.size());
    const int actualCount = int(actual.StationSensors.size());
    compare(lines, QStringLiteral("entry count"), expectedCount, actualCount);
    // The entries that both hold still say what else differs.
    for (int i = 0; i < qMin(expectedCount, actualCount); ++i)
        compareEntries(lines, i + 1, *expected.StationSensors[size_t(i)], *actual.StationSensors[size_t(i)]);
    return lines;
}
