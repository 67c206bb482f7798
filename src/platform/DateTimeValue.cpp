#include "DateTimeValue.h"

#include <cmath>

namespace DateTimeValue {

namespace {

const QDate& epoch()
{
    static const QDate day0(1899, 12, 30);
    return day0;
}

// Milliseconds into the day, rounded, and kept below a whole day so that a
// value a hair short of midnight still formats as 23:59:59.
int msecsOfDay(double value)
{
    const double fraction = std::fabs(value - std::trunc(value));
    const auto msecs = static_cast<qint64>(std::llround(fraction * MsecsPerDay));
    return static_cast<int>(qMin<qint64>(msecs, MsecsPerDay - 1));
}

} // namespace

TimeParts decodeTime(double value)
{
    if (!std::isfinite(value))
        return {};
    int msecs = msecsOfDay(value);
    TimeParts parts;
    parts.hour = msecs / 3600000;
    msecs %= 3600000;
    parts.minute = msecs / 60000;
    msecs %= 60000;
    parts.second = msecs / 1000;
    parts.msec = msecs % 1000;
    return parts;
}

double encodeTime(int hour, int minute, int second, int msec)
{
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / MsecsPerDay;
}

std::optional<QDate> decodeDate(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 3.0e6)
        return std::nullopt;
    const QDate date = epoch().addDays(static_cast<qint64>(std::trunc(value)));
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return std::nullopt;
    return date;
}

std::optional<double> encodeDate(const QDate& date)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999)
        return std::nullopt;
    return static_cast<double>(epoch().daysTo(date));
}

double fromDateTime(const QDateTime& dateTime)
{
    const double days = static_cast<double>(epoch().daysTo(dateTime.date()));
    const double time = dateTime.time().msecsSinceStartOfDay() / double(MsecsPerDay);
    // Before day 0 the fraction counts forward from the day, not toward zero.
    return days < 0 ? days - time : days + time;
}

QDateTime toDateTime(double value)
{
    const std::optional<QDate> date = decodeDate(value);
    if (!date)
        return {};
    return QDateTime(*date, QTime::fromMSecsSinceStartOfDay(msecsOfDay(value)));
}

double timeOfDay(double value)
{
    return std::isfinite(value) ? msecsOfDay(value) / double(MsecsPerDay) : 0.0;
}

double wholeDays(double value)
{
    return std::isfinite(value) ? std::trunc(value) : 0.0;
}

} // namespace DateTimeValue
