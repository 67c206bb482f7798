#include "TimePreview.h"

#include "calc/TimeExpression.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"

#include <QStringList>

namespace {

constexpr qint64 MinutesPerDay = qint64(24) * 60;

// "2 d 3 h 20 min" with the parts that are not zero; "0 min" for nothing.
QString spanText(qint64 minutes)
{
    QStringList parts;
    if (const qint64 days = minutes / MinutesPerDay)
        parts.append(QStringLiteral("%1 d").arg(days));
    if (const qint64 hours = minutes / 60 % 24)
        parts.append(QStringLiteral("%1 h").arg(hours));
    if (const qint64 rest = minutes % 60; rest || parts.isEmpty())
        parts.append(QStringLiteral("%1 min").arg(rest));
    return parts.join(u' ');
}

} // namespace

QDateTime SystemClock()
{
    return QDateTime::currentDateTime();
}

std::optional<qint32> EvaluateTimeText(const QString& text, const TTimeKeywordSet& keywords, const QDateTime& now)
{
    if (!IsValidTimeText(text, keywords))
        return std::nullopt;
    return EvaluateTimeExpression(text, now);
}

QString TimePreviewText(std::optional<qint32> time)
{
    if (!time)
        return {};
    const double value = DateTimeValue::fromDateTime(DateTimeFromTimeValue(*time));
    const FormatSettings& format = FormatSettings::current();
    return QStringLiteral("= ") + format.formatDate(value) + u' ' + format.formatLongTime(value);
}

QString RangeLengthText(qint32 start, qint32 stop)
{
    // Time values count every day as 86400 s, as the service does.
    const qint64 seconds = qint64(stop) - start;
    if (seconds < 0)
        return QStringLiteral("Stop is before start");
    const qint64 days = seconds / SecondsPerDay;
    const qint64 rest = seconds % SecondsPerDay;
    QString time = QStringLiteral("%1:%2:%3")
                       .arg(rest / 3600)
                       .arg(rest / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(rest % 60, 2, 10, QLatin1Char('0'));
    if (days == 0)
        return time;
    return (days == 1 ? QStringLiteral("1 day ") : QStringLiteral("%1 days ").arg(days)) + time;
}

QString TimeUntilText(const QDateTime& now, const QDateTime& when)
{
    const qint64 seconds = now.secsTo(when);
    if (seconds > -60 && seconds < 60)
        return QStringLiteral("now");
    // A wait is rounded up, so that "in 1 min" never means it is already due.
    if (seconds > 0)
        return QStringLiteral("in ") + spanText((seconds + 59) / 60);
    return spanText(-seconds / 60) + QStringLiteral(" ago");
}
