#include "LargeConfiguration.h"

#include "config/ConfigFile.h"
#include "platform/DateTimeValue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

std::unique_ptr<TZizaVureGroupItem> makeBenchmarkGroup(int number, int entries)
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    group->PPGIndex = number;
    group->GroupName = GroupSectionName(number);
    group->BaseTime = DateTimeValue::encodeTime(1, 0, 0);
    group->StartFrom = QStringLiteral("Yesterday");
    group->Description = QStringLiteral("Benchmark group %1").arg(number);
    for (int i = 1; i <= entries; ++i) {
        auto entry = std::make_unique<TStationSensorInfoItem>();
        entry->StationId = QStringLiteral("ST%1").arg(i, 5, 10, QLatin1Char('0'));
        entry->SensorName = QStringLiteral("SENSOR%1").arg(number);
        entry->POLLUpdate = 45000.5 + i;
        entry->POLLDataLabel = QStringLiteral("G%1_L%2").arg(number).arg(i);
        entry->POLLAltLabel = QStringLiteral("ALT%1").arg(i);
        group->StationSensors.push_back(std::move(entry));
    }
    return group;
}

void writeLargeConfiguration(const QString& path, int groups, int entries)
{
    // Each group is saved into a scratch file of its own and the sections are
    // joined, which is quicker than growing one large file section by section.
    const QString scratch = QFileInfo(path).dir().filePath(QStringLiteral("scratch.QVS"));
    TZizaVureGroups list;
    QByteArray content;
    for (int number = 1; number <= groups; ++number) {
        QFile::remove(scratch);
        auto group = makeBenchmarkGroup(number, entries);
        ConfigFile(scratch).SaveGroupSection(*group);
        QFile part(scratch);
        part.open(QIODevice::ReadOnly);
        content += part.readAll();
        list.AddGroup(std::move(group));
    }
    QFile::remove(scratch);
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(content);
    file.close();
    ConfigFile(path).SaveZizaVureessSection({}, list);
}
