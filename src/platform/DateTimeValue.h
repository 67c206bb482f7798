#pragma once

#include <QDateTime>

#include <optional>

// Date-times as the configuration stores them: a day count as a double, day 0
// being 30 December 1899 and the fraction the time of day. For values below 0
// the integer part is the day and the magnitude of the fraction the time.
namespace DateTimeValue {

constexpr int MsecsPerDay = 24 * 60 * 60 * 1000;

struct TimeParts
{
    int hour = 0;
    int minute = 0;
    int second = 0;
    int msec = 0;
};

// The time of day of a value, rounded to the millisecond.
TimeParts decodeTime(double value);
double encodeTime(int hour, int minute, int second, int msec = 0);

// The calendar date of a value, or nothing outside the years 1..9999.
std::optional<QDate> decodeDate(double value);
std::optional<double> encodeDate(const QDate& date);

double fromDateTime(const QDateTime& dateTime);
QDateTime toDateTime(double value);

// The time of day (0 <= result < 1) and the whole days of a value.
double timeOfDay(double value);
double wholeDays(double value);

} // namespace DateTimeValue
