#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// Date and time forms. Two uses are kept apart: the windows show the
// operator's own regional forms (current(), from the system locale), while the
// files shared with the service use one form for every process, whatever its
// locale (files()). Both can be replaced by tests. The short date format
// always carries a four-digit year.
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

    // The forms that the shared files have always held: month first,
    // "12/30/1899" and "00:00:00".
    static const FormatSettings& fileDefault();
    // The forms of the shared files: fileDefault(), unless the system-wide
    // settings name others under [Settings] ("FileDateFormat" and
    // "FileTimeFormat", Qt format strings such as "dd.MM.yyyy" and "HH.mm.ss").
    // Read once per process.
    static const FormatSettings& files();
    static void setFiles(const FormatSettings& settings);
    static FormatSettings fromSystemSettings();

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
