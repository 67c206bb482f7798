#pragma once

#include "config/DataDef.h"

#include <QByteArray>
#include <QStringList>

#include <memory>

// The sequence of group saves that the crash-safety test and its writer
// process share. Three groups take turns: save 1 writes the first group,
// save 2 the second, save 3 the third, save 4 the first again, and so on.
// Each save of a group switches it between its two versions, A (as the file
// starts) and B, which differ in every field and in their number of entries.
namespace GroupSaves {

inline const QStringList& groupNames()
{
    static const QStringList names{QStringLiteral("ZizaVureessGroup:1"), QStringLiteral("ZizaVureessGroup:2"),
                                   QStringLiteral("ZizaVureessGroup:7")};
    return names;
}

inline int groupCount()
{
    return int(groupNames().size());
}

// The group that save number `save` (from 1) writes.
inline int slotOf(qint64 save)
{
    return int((save - 1) % groupCount());
}

// Whether a group stands in version B after `saves` saves of the sequence.
inline bool isVersionB(int slot, qint64 saves)
{
    const qint64 savesOfSlot = saves > slot ? (saves - 1 - slot) / groupCount() + 1 : 0;
    return savesOfSlot % 2 == 1;
}

inline std::unique_ptr<TZizaVureGroupItem> makeGroup(int slot, bool versionB)
{
    auto group = std::make_unique<TZizaVureGroupItem>();
    const QString tag = QStringLiteral("%1%2").arg(versionB ? u'B' : u'A').arg(slot + 1);
    group->GroupName = groupNames()[slot];
    group->PPGIndex = slot + 1;
    group->FuncName = versionB ? QStringLiteral("STDEV") : QStringLiteral("AVG");
    group->Enabled = !versionB;
    group->BaseTime = versionB ? 0.75 : 0.25;
    group->ProcTime = versionB ? 0.5 + slot / 24.0 : slot / 24.0;
    group->TypeInterval = versionB ? 2 : 3;
    group->Interval = versionB ? 2.5 : 1.0 / 24;
    group->StartFrom = versionB ? QStringLiteral("Last Week") : QStringLiteral("Yesterday");
    group->Description = (versionB ? QStringLiteral("Weekly deviation of ") : QStringLiteral("Hourly mean ")) + tag;
    group->Purpose = QStringLiteral("purpose ") + tag;
    group->DataType = versionB ? 1 : 0;
    group->Parameter = versionB ? QStringLiteral("0.5") : QString();
    group->TimeBound = versionB ? 2 : 1;
    group->Filter = versionB ? QStringLiteral("/srv/filters/%1.flt").arg(tag) : QString();
    const int entries = versionB ? 6 : 2;
    for (int n = 1; n <= entries; ++n) {
        auto entry = std::make_unique<TStationSensorInfoItem>();
        entry->StationId = QStringLiteral("ST%1").arg(slot * 10 + n, 2, 10, QLatin1Char('0'));
        entry->SensorName = versionB ? QStringLiteral("RAIN") : QStringLiteral("AIRTEMP");
        entry->POLLUpdate = 45000.0 + n + (versionB ? 0.5 : 0.0);
        entry->POLLDataLabel = QStringLiteral("%1_L%2").arg(tag).arg(n);
        entry->POLLAltLabel = versionB ? QStringLiteral("%1_ALT%2").arg(tag).arg(n) : QString();
        group->StationSensors.push_back(std::move(entry));
    }
    return group;
}

// What save number `save` writes.
inline std::unique_ptr<TZizaVureGroupItem> groupOfSave(qint64 save)
{
    const int slot = slotOf(save);
    return makeGroup(slot, isVersionB(slot, save));
}

} // namespace GroupSaves
