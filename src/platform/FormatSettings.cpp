#include "FormatSettings.h"

#include "DateTimeValue.h"

#include <QSettings>
#include <QStringList>

namespace {

bool isFieldLetter(QChar c)
{
    return c == u'd' || c == u'M' || c == u'y' || c == u'h' || c == u'H' || c == u'm' || c == u's' || c == u'z';
}

// The text between the first and the second field of a format, e.g. "/" of
// "M/d/yyyy"; `fallback` when the format has fewer fields.
QString separatorOf(const QString& format, const QString& fallback)
{
    qsizetype i = 0;
    while (i < format.size() && !isFieldLetter(format[i]))
        ++i;
    const QChar field = i < format.size() ? format[i] : QChar();
    while (i < format.size() && format[i] == field)
        ++i;
    const qsizetype start = i;
    while (i < format.size() && !isFieldLetter(format[i]))
        ++i;
    const QString separator = format.mid(start, i - start);
    return separator.isEmpty() || i == format.size() ? fallback : separator;
}

FormatSettings::DateOrder orderOf(const QString& format)
{
    const qsizetype day = format.indexOf(u'd');
    const qsizetype month = format.indexOf(u'M');
    const qsizetype year = format.indexOf(u'y');
    if (year >= 0 && year < month && year < day)
        return FormatSettings::DateOrder::YearMonthDay;
    if (day >= 0 && day < month)
        return FormatSettings::DateOrder::DayMonthYear;
    return FormatSettings::DateOrder::MonthDayYear;
}

QString number(int value, bool padded, int width = 2)
{
    return padded ? QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0')) : QString::number(value);
}

// Reads an unsigned number of 1 to `maxDigits` digits at `pos`, moving past it.
std::optional<int> readNumber(QStringView text, qsizetype& pos, int maxDigits)
{
    const qsizetype start = pos;
    int value = 0;
    while (pos < text.size() && text[pos].isDigit() && text[pos].unicode() < 128 && pos - start < maxDigits) {
        value = value * 10 + (text[pos].unicode() - '0');
        ++pos;
    }
    if (pos == start)
        return std::nullopt;
    return value;
}

bool readText(QStringView text, qsizetype& pos, QStringView expected)
{
    if (expected.isEmpty() || !text.mid(pos).startsWith(expected))
        return false;
    pos += expected.size();
    return true;
}

FormatSettings& processSettings()
{
    static FormatSettings settings = FormatSettings::fromLocale(QLocale::system());
    return settings;
}

FormatSettings& fileSettings()
{
    static FormatSettings settings = FormatSettings::fromSystemSettings();
    return settings;
}

constexpr QLatin1String DefaultFileDate("MM/dd/yyyy");
constexpr QLatin1String DefaultFileTime("HH:mm:ss");

// A date format needs its three fields, a time format its hour and minute.
bool isDateFormat(const QString& format)
{
    return format.contains(u'd') && format.contains(u'M') && format.contains(u'y');
}

bool isTimeFormat(const QString& format)
{
    return format.contains(u'h', Qt::CaseInsensitive) && format.contains(u'm');
}

} // namespace

FormatSettings::FormatSettings(const QString& shortDateFormat, const QString& longTimeFormat, const QString& amText,
                               const QString& pmText)
    : m_dateSeparator(separatorOf(shortDateFormat, QStringLiteral("/"))),
      m_timeSeparator(separatorOf(longTimeFormat, QStringLiteral(":"))), m_dateOrder(orderOf(shortDateFormat)),
      m_padDay(shortDateFormat.contains(QLatin1String("dd"))),
      m_padMonth(shortDateFormat.contains(QLatin1String("MM"))),
      m_padHour(longTimeFormat.contains(QLatin1String("hh")) || longTimeFormat.contains(QLatin1String("HH"))),
      m_twelveHour(longTimeFormat.contains(u'a', Qt::CaseInsensitive) && longTimeFormat.contains(u'h')),
      m_amText(amText), m_pmText(pmText)
{
}

FormatSettings FormatSettings::fromLocale(const QLocale& locale)
{
    // Without regional settings the program uses the month-first forms that
    // its files have always been written in.
    if (locale.language() == QLocale::C)
        return FormatSettings(QStringLiteral("MM/dd/yyyy"), QStringLiteral("HH:mm:ss"));
    // The short time format names the separator that a person types; the
    // long one may spell the fields out in words.
    const QString shortTime = locale.timeFormat(QLocale::ShortFormat);
    const QString longTime = locale.timeFormat(QLocale::LongFormat);
    const QString separator = separatorOf(shortTime, QStringLiteral(":"));
    const bool twelveHour = longTime.contains(u'a', Qt::CaseInsensitive);
    QString timeFormat = (longTime.contains(QLatin1String("hh")) || longTime.contains(QLatin1String("HH")))
                             ? QStringLiteral("hh")
                             : QStringLiteral("h");
    if (!twelveHour)
        timeFormat = timeFormat.toUpper();
    timeFormat += separator + QStringLiteral("mm") + separator + QStringLiteral("ss");
    if (twelveHour)
        timeFormat += QStringLiteral(" AP");
    return FormatSettings(locale.dateFormat(QLocale::ShortFormat), timeFormat, locale.amText(), locale.pmText());
}

const FormatSettings& FormatSettings::current()
{
    return processSettings();
}

void FormatSettings::setCurrent(const FormatSettings& settings)
{
    processSettings() = settings;
}

const FormatSettings& FormatSettings::fileDefault()
{
    static const FormatSettings settings(DefaultFileDate, DefaultFileTime);
    return settings;
}

const FormatSettings& FormatSettings::files()
{
    return fileSettings();
}

void FormatSettings::setFiles(const FormatSettings& settings)
{
    fileSettings() = settings;
}

// The same system-wide settings that hold the database login, so that the
// program and the service, whatever their locales, agree.
FormatSettings FormatSettings::fromSystemSettings()
{
    QSettings settings(QSettings::SystemScope, QStringLiteral("Quellmark"), QStringLiteral("Torvane"));
    settings.beginGroup(QStringLiteral("Settings"));
    const QString date = settings.value(QStringLiteral("FileDateFormat")).toString().trimmed();
    const QString time = settings.value(QStringLiteral("FileTimeFormat")).toString().trimmed();
    return FormatSettings(isDateFormat(date) ? date : QString(DefaultFileDate),
                          isTimeFormat(time) ? time : QString(DefaultFileTime));
}

QString FormatSettings::formatTime(double value) const
{
    const DateTimeValue::TimeParts t = DateTimeValue::decodeTime(value);
    return number(t.hour, true) + m_timeSeparator + number(t.minute, true) + m_timeSeparator + number(t.second, true);
}

QString FormatSettings::formatLongTime(double value) const
{
    const DateTimeValue::TimeParts t = DateTimeValue::decodeTime(value);
    int hour = t.hour;
    if (m_twelveHour)
        hour = hour % 12 == 0 ? 12 : hour % 12;
    QString text =
        number(hour, m_padHour) + m_timeSeparator + number(t.minute, true) + m_timeSeparator + number(t.second, true);
    if (m_twelveHour)
        text += u' ' + (t.hour < 12 ? m_amText : m_pmText);
    return text;
}

QString FormatSettings::formatDate(double value) const
{
    const std::optional<QDate> date = DateTimeValue::decodeDate(value);
    if (!date)
        return {};
    const QString day = number(date->day(), m_padDay);
    const QString month = number(date->month(), m_padMonth);
    const QString year = number(date->year(), true, 4);
    const QString& sep = m_dateSeparator;
    switch (m_dateOrder) {
    case DateOrder::DayMonthYear:
        return day + sep + month + sep + year;
    case DateOrder::YearMonthDay:
        return year + sep + month + sep + day;
    case DateOrder::MonthDayYear:
        break;
    }
    return month + sep + day + sep + year;
}

QString FormatSettings::formatDateTime(double value) const
{
    QString date = formatDate(value);
    if (DateTimeValue::timeOfDay(value) == 0.0)
        return date;
    return date + u' ' + formatLongTime(value);
}

std::optional<double> FormatSettings::parseTime(QStringView text) const
{
    QStringView rest = text.trimmed();
    int meridiem = 0; // 1 before noon, 2 after
    const auto takeSuffix = [&rest](QStringView suffix) {
        if (suffix.isEmpty() || !rest.endsWith(suffix, Qt::CaseInsensitive))
            return false;
        rest = rest.chopped(suffix.size()).trimmed();
        return true;
    };
    if (takeSuffix(m_amText) || takeSuffix(u"AM"))
        meridiem = 1;
    else if (takeSuffix(m_pmText) || takeSuffix(u"PM"))
        meridiem = 2;

    qsizetype pos = 0;
    const std::optional<int> hour = readNumber(rest, pos, 2);
    if (!hour || !readText(rest, pos, m_timeSeparator))
        return std::nullopt;
    const std::optional<int> minute = readNumber(rest, pos, 2);
    if (!minute)
        return std::nullopt;
    std::optional<int> second = 0;
    if (pos < rest.size()) {
        if (!readText(rest, pos, m_timeSeparator))
            return std::nullopt;
        second = readNumber(rest, pos, 2);
    }
    if (!second || pos != rest.size() || *minute > 59 || *second > 59)
        return std::nullopt;

    int h = *hour;
    if (meridiem != 0) {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = h % 12 + (meridiem == 2 ? 12 : 0);
    } else if (h > 23) {
        return std::nullopt;
    }
    return DateTimeValue::encodeTime(h, *minute, *second);
}

std::optional<double> FormatSettings::parseDateTime(QStringView text) const
{
    const QStringView trimmed = text.trimmed();
    qsizetype pos = 0;
    int fields[3] = {};
    qsizetype widths[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && !readText(trimmed, pos, m_dateSeparator))
            return std::nullopt;
        const qsizetype start = pos;
        const std::optional<int> field = readNumber(trimmed, pos, 4);
        if (!field)
            return std::nullopt;
        fields[i] = *field;
        widths[i] = pos - start;
    }
    int year = 0, month = 0, day = 0;
    switch (m_dateOrder) {
    case DateOrder::MonthDayYear:
        month = fields[0], day = fields[1], year = fields[2];
        break;
    case DateOrder::DayMonthYear:
        day = fields[0], month = fields[1], year = fields[2];
        break;
    case DateOrder::YearMonthDay:
        year = fields[0], month = fields[1], day = fields[2];
        break;
    }
    const int yearField = m_dateOrder == DateOrder::YearMonthDay ? 0 : 2;
    if (widths[yearField] <= 2) // a two-digit year: 50..99 is the 1900s, 00..49 the 2000s
        year += year < 50 ? 2000 : 1900;
    const std::optional<double> date = DateTimeValue::encodeDate(QDate(year, month, day));
    if (!date)
        return std::nullopt;

    const QStringView timeText = trimmed.mid(pos);
    if (timeText.isEmpty())
        return date;
    if (!timeText.front().isSpace())
        return std::nullopt;
    const std::optional<double> time = parseTime(timeText);
    if (!time)
        return std::nullopt;
    return *date < 0 ? *date - *time : *date + *time;
}
