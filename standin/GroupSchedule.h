#pragma once

#include "config/DataDef.h"

#include <QDateTime>

#include <optional>

// When the enabled groups run. The stand-in keeps no record of past runs, so
// each group's runs are counted from today at its base time, a whole number
// of intervals apart: 0 "1 Hour", 1 "6 Hours", 2 "12 Hours", 3 "Daily",
// 4 "Weekly", 5 "Monthly", 6 "As Entered:" (the group's Interval in days).
namespace GroupSchedule {

// The group's first run after now; nothing for a disabled group, an unknown
// interval kind or an entered interval that is not positive.
std::optional<QDateTime> nextRun(const TZizaVureGroupItem& group, const QDateTime& now);

struct TNextRun
{
    int position = -1; // in the group list; -1 when no group is scheduled
    QString groupName;
    QDateTime time;

    bool isScheduled() const { return position >= 0; }
};

// The group that runs first after now; the earlier in the list on a tie.
TNextRun earliestRun(const TZizaVureGroups& groups, const QDateTime& now);

} // namespace GroupSchedule
