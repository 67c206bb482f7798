#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

// Time values: a point in local time as a signed 32-bit count of seconds
// since 1984-12-31 00:00:00 local time, counted on the calendar (every day has
// 86400 seconds; daylight saving is not applied). The day number is the value
// divided by 86400, held in 16 bits, day 1 being 1985-01-01; any date in 1984
// or earlier has day number 0. The largest value, 2147483647, is
// 2053-01-18 03:14:07.

inline constexpr qint32 SecondsPerDay = 86400;

// The day number of a calendar date, per the rules above. Nothing is
// rejected: a month outside 1..12 first carries whole years (month 13 is
// January of the next year, month 0 December of the year before), then the
// day rolls over linearly (day 0 is the last day of the month before). The
// year is taken after that carry. The count is truncated to 16 bits.
quint16 TimeDayNumber(int year, int month, int day);

// The time value of a local date and time, to the whole second. Times past
// the largest value wrap around as 32-bit arithmetic does.
qint32 TimeValueFromDateTime(const QDateTime& dateTime);

// The local date and time of a time value (day number 0 reads as 1984-12-31).
QDateTime DateTimeFromTimeValue(qint32 value);

// Evaluates a start time expression: optional leading blanks, a base, and
// optionally "+" or "-" followed by an offset.
//
// - The sign is the first "+", or without one the first "-". The offset is
//   read like an absolute date and time and all of its fields are negated
//   after a "-".
// - A base beginning with a digit is an absolute date and time:
//   "month/day/year hours:minutes:seconds". The date part is there only when
//   the text holds a "/"; any missing or unreadable field counts as 0. The
//   separators are always "/" and ":", the form the time fields accept,
//   so that a stored start text means the same whatever the regional
//   settings.
// - Any other base is a keyword, compared in upper case (letters a-z) after
//   trailing blanks are dropped: "NOW" is `base` to the second; "THIS HOUR",
//   and any keyword not known, is the start of the current hour; the
//   keywords of the start time lists ("YESTERDAY", "LAST WEEK", …) are
//   counted from the start of the current hour, day, week (Sunday),
//   month or year.
// - An empty base (an empty or blank text, or nothing before the sign)
//   stands for "NOW", so "-1:00:00" is one hour before `base`.
//
// Months are brought into 1..12 by carrying whole years; days, hours,
// minutes and seconds roll over linearly. An invalid `base` stands for the
// current local time. The evaluator never fails: whatever it cannot read
// counts as 0.
qint32 EvaluateTimeExpression(const QString& text, const QDateTime& base);
