#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// The regional date and time settings that the settings files use. The
// process-wide instance comes from the system locale and can be replaced by
// tests. The short date format always carries a four-digit year.
class FormatSettings
{
public:
    enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

    // Qt format strings, for example "M/d/yyyy" and "h:mm:ss AP". Only their
    // numeric fields, field order, separators and 12/24-hour clock are used.
    FormatSettings(const QString& shortDateFormat, const QString& longTimeFormat,
                   const QString& amText = QStringLiteral("AM"), const QString& pmText = QStringLiteral("PM"));

    static FormatSettings fromLocale(const QLocale& locale);
    static const FormatSettings& current();
    static void setCurrent(const FormatSettings& settings);

    QString dateSeparator() const { return m_dateSeparator; }
    QString timeSeparator() const { return m_timeSeparator; }
    DateOrder dateOrder() const { return m_dateOrder; }

    // "hh:nn:ss" of the value's time of day, with the time separator.
    QString formatTime(double value) const;
    // Hour, minute and an optional second separated by the time separator,
    // optionally followed by the AM or PM text; the time of day, or nothing.
    std::optional<double> parseTime(QStringView text) const;

    // Short date, a blank and the long time; the time is left out when it is
    // exactly midnight.
    QString formatDateTime(double value) const;
    QString formatDate(double value) const;
    // The long time form, e.g. "2:37:22 PM" or "14:37:22".
    QString formatLongTime(double value) const;
    // A date in the short date's field order, optionally followed by blanks
    // and a time as parseTime reads it.
    std::optional<double> parseDateTime(QStringView text) const;

private:
    QString m_dateSeparator;
    QString m_timeSeparator;
    DateOrder m_dateOrder = DateOrder::MonthDayYear;
    bool m_padDay = false;
    bool m_padMonth = false;
    bool m_padHour = false;
    bool m_twelveHour = false;
    QString m_amText;
    QString m_pmText;
};
