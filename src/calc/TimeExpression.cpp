#include "TimeExpression.h"

#include "platform/AsciiText.h"

namespace {

// The parts of a date and time, or of an offset. Wide enough that adding
// offsets read from any text cannot overflow.
struct TimeFields
{
    qint64 year = 0;
    qint64 month = 0;
    qint64 day = 0;
    qint64 hour = 0;
    qint64 minute = 0;
    qint64 second = 0;
};

// Where a keyword starts counting from, before its offsets are added.
enum class StartOf { Second, Hour, Day, Month, Year };

struct KeywordRule
{
    QLatin1String keyword;
    StartOf start;
    int years;
    int months;
    int days;
    int hours;
    bool fromSunday; // the days count from the Sunday before the base day
};

const KeywordRule ThisHour = {QLatin1String("THIS HOUR"), StartOf::Hour, 0, 0, 0, 0, false};

const KeywordRule KeywordRules[] = {
    {QLatin1String("NOW"), StartOf::Second, 0, 0, 0, 0, false},
    ThisHour,
    {QLatin1String("NEXT HOUR"), StartOf::Hour, 0, 0, 0, 1, false},
    {QLatin1String("LAST HOUR"), StartOf::Hour, 0, 0, 0, -1, false},
    {QLatin1String("LAST 2 HOURS"), StartOf::Hour, 0, 0, 0, -2, false},
    {QLatin1String("LAST 3 HOURS"), StartOf::Hour, 0, 0, 0, -3, false},
    {QLatin1String("LAST 6 HOURS"), StartOf::Hour, 0, 0, 0, -6, false},
    {QLatin1String("LAST 12 HOURS"), StartOf::Hour, 0, 0, 0, -12, false},
    {QLatin1String("TODAY"), StartOf::Day, 0, 0, 0, 0, false},
    {QLatin1String("YESTERDAY"), StartOf::Day, 0, 0, -1, 0, false},
    {QLatin1String("TOMORROW"), StartOf::Day, 0, 0, 1, 0, false},
    {QLatin1String("LAST 2 DAYS"), StartOf::Day, 0, 0, -2, 0, false},
    {QLatin1String("LAST 3 DAYS"), StartOf::Day, 0, 0, -3, 0, false},
    {QLatin1String("LAST 5 DAYS"), StartOf::Day, 0, 0, -5, 0, false},
    {QLatin1String("THIS WEEK"), StartOf::Day, 0, 0, 0, 0, true},
    {QLatin1String("LAST WEEK"), StartOf::Day, 0, 0, -7, 0, true},
    {QLatin1String("NEXT WEEK"), StartOf::Day, 0, 0, 7, 0, true},
    {QLatin1String("THIS MONTH"), StartOf::Month, 0, 0, 0, 0, false},
    {QLatin1String("LAST MONTH"), StartOf::Month, 0, -1, 0, 0, false},
    {QLatin1String("NEXT MONTH"), StartOf::Month, 0, 1, 0, 0, false},
    {QLatin1String("THIS YEAR"), StartOf::Year, 0, 0, 0, 0, false},
    {QLatin1String("LAST YEAR"), StartOf::Year, -1, 0, 0, 0, false},
    {QLatin1String("NEXT YEAR"), StartOf::Year, 1, 0, 0, 0, false},
};

const int DaysBeforeMonth[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

qint64 floorDiv(qint64 value, qint64 divisor)
{
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

bool isLeapYear(qint64 year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

qint64 leapYearsUpTo(qint64 year)
{
    return year / 4 - year / 100 + year / 400;
}

qint64 dayNumber(qint64 year, qint64 month, qint64 day)
{
    const qint64 carry = floorDiv(month - 1, 12);
    year += carry;
    month -= carry * 12;
    if (year <= 1984)
        return 0;
    const qint64 daysBeforeYear = (year - 1985) * 365 + leapYearsUpTo(year - 1) - leapYearsUpTo(1984);
    const qint64 leapDay = month > 2 && isLeapYear(year) ? 1 : 0;
    return daysBeforeYear + DaysBeforeMonth[month - 1] + leapDay + day;
}

qint32 combine(const TimeFields& at, const TimeFields& offset)
{
    // The day number is held in 16 bits, as the time value defines it.
    const quint16 days = quint16(dayNumber(at.year + offset.year, at.month + offset.month, at.day + offset.day));
    const qint64 seconds = days * qint64(SecondsPerDay) + (at.hour + offset.hour) * 3600 +
                           (at.minute + offset.minute) * 60 + at.second + offset.second;
    return qint32(quint32(seconds));
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The digits at the start of a field, after blanks; anything else reads as 0.
qint64 readField(QStringView text)
{
    text = text.trimmed();
    qsizetype digits = 0;
    while (digits < text.size() && isDigit(text[digits]))
        ++digits;
    bool ok = false;
    const int value = text.left(digits).toInt(&ok);
    return ok ? value : 0;
}

// "month/day/year hours:minutes:seconds"; the date part only when there is a "/".
TimeFields readAbsoluteForm(QStringView text)
{
    TimeFields fields;
    QStringView time = text.trimmed();
    if (time.contains(u'/')) {
        const qsizetype blank = time.indexOf(u' ');
        const QList<QStringView> date = (blank < 0 ? time : time.left(blank)).split(u'/');
        fields.month = readField(date.value(0));
        fields.day = readField(date.value(1));
        fields.year = readField(date.value(2));
        time = blank < 0 ? QStringView() : time.mid(blank + 1);
    }
    const QList<QStringView> parts = time.split(u':');
    fields.hour = readField(parts.value(0));
    fields.minute = readField(parts.value(1));
    fields.second = readField(parts.value(2));
    return fields;
}

TimeFields negated(const TimeFields& f)
{
    return {-f.year, -f.month, -f.day, -f.hour, -f.minute, -f.second};
}

TimeFields fieldsOf(const QDateTime& dateTime)
{
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

const KeywordRule& ruleFor(const QString& keyword)
{
    for (const KeywordRule& rule : KeywordRules) {
        if (keyword == rule.keyword)
            return rule;
    }
    return ThisHour;
}

// Moves `at` to where the keyword starts counting and adds its offsets.
void applyKeyword(QStringView text, TimeFields& at, TimeFields& offset)
{
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    const QString keyword = AsciiText::upper(text.toString());
    const KeywordRule& rule = ruleFor(keyword.isEmpty() ? QStringLiteral("NOW") : keyword);
    if (rule.start >= StartOf::Hour)
        at.minute = at.second = 0;
    if (rule.start >= StartOf::Day)
        at.hour = 0;
    if (rule.start >= StartOf::Month)
        at.day = 1;
    if (rule.start >= StartOf::Year)
        at.month = 1;
    offset.year += rule.years;
    offset.month += rule.months;
    offset.day += rule.days;
    offset.hour += rule.hours;
    if (rule.fromSunday)
        offset.day -= QDate(int(at.year), int(at.month), int(at.day)).dayOfWeek();
}

} // namespace

quint16 TimeDayNumber(int year, int month, int day)
{
    return quint16(dayNumber(year, month, day));
}

qint32 TimeValueFromDateTime(const QDateTime& dateTime)
{
    return combine(fieldsOf(dateTime), TimeFields());
}

QDateTime DateTimeFromTimeValue(qint32 value)
{
    const qint64 days = floorDiv(value, SecondsPerDay);
    const int seconds = int(value - days * SecondsPerDay);
    return QDateTime(QDate(1984, 12, 31).addDays(days), QTime(0, 0).addSecs(seconds));
}

qint32 EvaluateTimeExpression(const QString& text, const QDateTime& base)
{
    QStringView rest(text);
    while (!rest.isEmpty() && rest.front() == u' ')
        rest = rest.mid(1);

    qsizetype sign = rest.indexOf(u'+');
    if (sign < 0)
        sign = rest.indexOf(u'-');
    TimeFields offset;
    QStringView baseText = rest;
    if (sign >= 0) {
        offset = readAbsoluteForm(rest.mid(sign + 1));
        if (rest[sign] == u'-')
            offset = negated(offset);
        baseText = rest.left(sign);
    }

    if (!baseText.isEmpty() && isDigit(baseText.front()))
        return combine(readAbsoluteForm(baseText), offset);
    TimeFields at = fieldsOf(base.isValid() ? base : QDateTime::currentDateTime());
    applyKeyword(baseText, at, offset);
    return combine(at, offset);
}
