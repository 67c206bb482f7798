#include "TimePreview.h"

#include "calc/TimeExpression.h"
#include "platform/DateTimeValue.h"
#include "platform/FormatSettings.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

constexpr qint64 MinutesPerDay = qint64(24) * 60;

// "2 d 3 h 20 min" with the parts that are not zero; "0 min" for nothing.
QString spanText(qint64 minutes)
{
    QStringList parts;
    if (const qint64 days = minutes / MinutesPerDay)
        parts.append(QCoreApplication::translate("TimePreview", "%1 d").arg(days));
    if (const qint64 hours = minutes / 60 % 24)
        parts.append(QCoreApplication::translate("TimePreview", "%1 h").arg(hours));
    if (const qint64 rest = minutes % 60; rest || parts.isEmpty())
        parts.append(QCoreApplication::translate("TimePreview", "%1 min").arg(rest));
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
    return QCoreApplication::translate("TimePreview", "= %1")
        .arg(format.formatDate(value) + u' ' + format.formatLongTime(value));
}

QString RangeLengthText(qint32 start, qint32 stop)
{
    // Time values count every day as 86400 s, as the service does.
    const qint64 seconds = qint64(stop) - start;
    if (seconds < 0)
        return QCoreApplication::translate("TimePreview", "Stop is before start");
    const qint64 days = seconds / SecondsPerDay;
    const qint64 rest = seconds % SecondsPerDay;
    QString time = QStringLiteral("%1:%2:%3")
                       .arg(rest / 3600)
                       .arg(rest / 60 % 60, 2, 10, QLatin1Char('0'))
                       .arg(rest % 60, 2, 10, QLatin1Char('0'));
    if (days == 0)
        return time;
    if (days == 1)
        return QCoreApplication::translate("TimePreview", "1 day %1").arg(time);
    return QCoreApplication::translate("TimePreview", "%1 days %2").arg(days).arg(time);
}

QString TimeUntilText(const QDateTime& now, const QDateTime& when)
{
    const qint64 seconds = now.secsTo(when);
    if (seconds > -60 && seconds < 60)
        return QCoreApplication::translate("TimePreview", "now");
    // A wait is rounded up, so that "in 1 min" never means it is already due.
    if (seconds > 0)
        return QCoreApplication::translate("TimePreview", "in %1").arg(spanText((seconds + 59) / 60));
    return QCoreApplication::translate("TimePreview", "%1 ago").arg(spanText(-seconds / 60));
}
