#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The start and stop time texts that the operator types or picks: a relative
// keyword such as "Yesterday", or a date and time written month first,
// "mm/dd/yyyy hh:mm:ss". The windows keep the text as entered; what a keyword
// means in time is up to EvaluateTimeExpression.

// What one window offers and accepts in its time fields.
struct TTimeKeywordSet
{
    QStringList listed;   // the drop-down list, in mixed case and in order
    QStringList accepted; // the keywords the check accepts when typed
    QString message;      // what the window says about a text it rejects
};

// The setup editor's start field: 23 keywords, all of them listed and accepted.
const TTimeKeywordSet& SetupTimeKeywords();

// The interactive calculation window's start and stop fields: 15 keywords
// listed, and "Last Hour" accepted on top of them when typed.
const TTimeKeywordSet& ReCalcTimeKeywords();

// The fields hold at most the length of "mm/dd/yyyy hh:mm:ss".
inline constexpr int TimeTextMaxLength = 19;

// The text of a time-of-day field ("hh:nn:ss", from the value's time of
// day) and its reading: the fields' masks hold a ":" whatever the regional
// settings say. Nothing for a text that is no time of day.
QString TimeFieldText(double value);
std::optional<double> ReadTimeField(const QString& text);

// Reads "month/day/year", optionally followed by blanks and "hours:minutes"
// or "hours:minutes:seconds" (with AM or PM allowed), month first whatever
// the regional settings. Surrounding blanks are ignored. All three date
// fields are needed; a year of one or two digits means 2000..2049 for 0..49
// and 1950..1999 for 50..99. Returns the day count (day 0 is 30 December
// 1899), or nothing for a text that is not such a date.
std::optional<double> ReadMonthFirstDateTime(QStringView text);

// True for an empty text, for one of the set's accepted keywords in any case
// of the letters a-z (compared whole, blanks included), and for a date that
// ReadMonthFirstDateTime reads as 1 January 1900 00:00:00 or later.
bool IsValidTimeText(const QString& text, const TTimeKeywordSet& keywords);
