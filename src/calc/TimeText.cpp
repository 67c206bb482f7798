#include "TimeText.h"

#include "platform/AsciiText.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"

#include <QCoreApplication>

namespace {

QStringList keywords(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* name : names)
        list.append(QLatin1String(name));
    return list;
}

TTimeKeywordSet makeSetupKeywords()
{
    TTimeKeywordSet set;
    set.listed =
        keywords({"Last Year",    "Last Month",   "Last Week",    "Last 5 Days", "Last 3 Days", "Last 2 Days",
                  "This Year",    "This Month",   "This Week",    "Yesterday",   "Today",       "Last 12 Hours",
                  "Last 6 Hours", "Last 3 Hours", "Last 2 Hours", "Last Hour",   "This Hour",   "Now",
                  "Next Hour",    "Tomorrow",     "Next Week",    "Next Month",  "Next Year"});
    set.accepted = set.listed;
    set.message = QCoreApplication::translate(
        "TimeText", "Error 1505: Invalid date.  Please enter date in the format of mm/dd/yyyy HH:MM:SS.");
    return set;
}

TTimeKeywordSet makeReCalcKeywords()
{
    TTimeKeywordSet set;
    set.listed =
        keywords({"Last Year", "Last Month", "Last Week", "This Year", "This Month", "This Week", "Yesterday", "Today",
                  "This Hour", "Now", "Next Hour", "Tomorrow", "Next Week", "Next Month", "Next Year"});
    // Not offered in the list, but a text typed by hand is still understood.
    set.accepted = set.listed + QStringList{QStringLiteral("Last Hour")};
    set.message = QCoreApplication::translate(
        "TimeText", "Invalid date!  Please enter date in \r\nthe format mm/dd/yyyy HH:MM:SS.");
    return set;
}

// A reader of its own, so that the process-wide regional settings are
// neither consulted nor changed.
const FormatSettings& monthFirstReader()
{
    static const FormatSettings reader(QStringLiteral("M/d/yyyy"), QStringLiteral("H:mm:ss"));
    return reader;
}

bool isAcceptedKeyword(const QString& text, const TTimeKeywordSet& keywords)
{
    const QString upper = AsciiText::upper(text);
    for (const QString& keyword : keywords.accepted) {
        if (upper == AsciiText::upper(keyword))
            return true;
    }
    return false;
}

} // namespace

const TTimeKeywordSet& SetupTimeKeywords()
{
    static const TTimeKeywordSet set = makeSetupKeywords();
    return set;
}

const TTimeKeywordSet& ReCalcTimeKeywords()
{
    static const TTimeKeywordSet set = makeReCalcKeywords();
    return set;
}

std::optional<double> ReadMonthFirstDateTime(QStringView text)
{
    return monthFirstReader().parseDateTime(text);
}

bool IsValidTimeText(const QString& text, const TTimeKeywordSet& keywords)
{
    if (text.isEmpty() || isAcceptedKeyword(text, keywords))
        return true;
    static const double earliest = *DateTimeValue::encodeDate(QDate(1900, 1, 1));
    const std::optional<double> value = ReadMonthFirstDateTime(text);
    return value && *value >= earliest;
}

namespace {

const FormatSettings& timeFieldFormat()
{
    static const FormatSettings format(QStringLiteral("M/d/yyyy"), QStringLiteral("HH:mm:ss"));
    return format;
}

} // namespace

QString TimeFieldText(double value)
{
    return timeFieldFormat().formatTime(value);
}

std::optional<double> ReadTimeField(const QString& text)
{
    return timeFieldFormat().parseTime(text);
}
