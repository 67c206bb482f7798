#include "GroupSchedule.h"

#include "platform/DateTimeValue.h"

namespace GroupSchedule {

namespace {

// The values of TypeInterval.
enum IntervalKind { OneHour, SixHours, TwelveHours, Daily, Weekly, Monthly, AsEntered };

constexpr qint64 MsecsPerHour = qint64(60) * 60 * 1000;
constexpr qint64 MsecsPerDay = DateTimeValue::MsecsPerDay;

// The first of anchor + k * step (k any integer) that lies after now.
QDateTime firstStepAfter(const QDateTime& anchor, const QDateTime& now, qint64 stepMs)
{
    const qint64 sinceAnchor = anchor.msecsTo(now);
    const qint64 stepsDone = sinceAnchor >= 0 ? sinceAnchor / stepMs : -((-sinceAnchor + stepMs - 1) / stepMs);
    return anchor.addMSecs((stepsDone + 1) * stepMs);
}

std::optional<qint64> fixedStepMs(const TZizaVureGroupItem& group)
{
    switch (group.TypeInterval) {
    case OneHour:
        return MsecsPerHour;
    case SixHours:
        return 6 * MsecsPerHour;
    case TwelveHours:
        return 12 * MsecsPerHour;
    case Daily:
        return MsecsPerDay;
    case Weekly:
        return 7 * MsecsPerDay;
    case AsEntered: {
        const qint64 entered = qint64(group.Interval * MsecsPerDay);
        return entered > 0 ? std::optional<qint64>(entered) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<QDateTime> nextRun(const TZizaVureGroupItem& group, const QDateTime& now)
{
    if (!group.Enabled)
        return std::nullopt;
    const DateTimeValue::TimeParts base = DateTimeValue::decodeTime(group.BaseTime);
    const QDateTime anchor(now.date(), QTime(base.hour, base.minute, base.second));
    if (group.TypeInterval == Monthly)
        return anchor > now ? anchor : anchor.addMonths(1);
    const std::optional<qint64> step = fixedStepMs(group);
    if (!step)
        return std::nullopt;
    return firstStepAfter(anchor, now, *step);
}

TNextRun earliestRun(const TZizaVureGroups& groups, const QDateTime& now)
{
    TNextRun earliest;
    for (int position = 0; position < groups.Count(); ++position) {
        const TZizaVureGroupItem& group = *groups.Items(position);
        const std::optional<QDateTime> time = nextRun(group, now);
        if (time && (!earliest.isScheduled() || *time < earliest.time))
            earliest = {position, group.GroupName, *time};
    }
    return earliest;
}

} // namespace GroupSchedule
