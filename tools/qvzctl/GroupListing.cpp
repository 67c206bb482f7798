#include "GroupListing.h"

#include "calc/TimePreview.h"
#include "calc/TimeText.h"
#include "platform/FormatSettings.h"

#include <QCoreApplication>
#include <QHash>
#include <QJsonArray>

#include <array>

namespace {

// In the order of the interval kinds; stable words for scripts.
constexpr std::array<const char*, 7> IntervalWords = {"hour",   "6 hours", "12 hours",  "daily",
                                                      "weekly", "monthly", "as entered"};

QString intervalWord(quint8 kind)
{
    return kind < IntervalWords.size() ? QString::fromLatin1(IntervalWords[kind]) : QString::number(kind);
}

// A group of its own interval shows it: "as entered 1:30:00".
QString intervalText(const TZizaVureGroupItem& group)
{
    const QString word = intervalWord(group.TypeInterval);
    return UsesOwnInterval(group.TypeInterval) ? word + u' ' + TimeFieldText(group.Interval) : word;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

QJsonArray pairsOf(const TZizaVureGroupItem& group)
{
    QJsonArray pairs;
    for (const auto& pair : group.StationSensors)
        pairs.append(
            QJsonObject{{QStringLiteral("station"), pair->StationId},
                        {QStringLiteral("sensor"), pair->SensorName},
                        {QStringLiteral("label"), pair->POLLDataLabel},
                        {QStringLiteral("alt_label"), pair->POLLAltLabel},
                        {QStringLiteral("updated"), FormatSettings::current().formatDateTime(pair->POLLUpdate)}});
    return pairs;
}

QString evaluatedStart(const QString& startText, const QDateTime& now)
{
    if (startText.trimmed().isEmpty())
        return {};
    const std::optional<qint32> time = EvaluateTimeText(startText, SetupTimeKeywords(), now);
    if (!time)
        return QCoreApplication::translate("GroupListing", "%1 (not a start the setup editor accepts)").arg(startText);
    return startText + u' ' + TimePreviewText(time);
}

} // namespace

namespace GroupListing {

// Groups mostly share a few start texts: each is evaluated once.
QString startMeaning(const QString& startText, const QDateTime& now)
{
    static QHash<QString, QString> known;
    static QDateTime knownAt;
    if (knownAt != now) {
        known.clear();
        knownAt = now;
    }
    auto it = known.find(startText);
    if (it == known.end())
        it = known.insert(startText, evaluatedStart(startText, now));
    return *it;
}

QJsonObject summary(const TZizaVureGroupItem& group, int pairCount, int position, const QDateTime& now)
{
    return {{QStringLiteral("position"), position},
            {QStringLiteral("name"), group.GroupName},
            {QStringLiteral("enabled"), group.Enabled},
            {QStringLiteral("function"), group.FuncName},
            {QStringLiteral("interval"), intervalText(group)},
            {QStringLiteral("start"), group.StartFrom},
            {QStringLiteral("start_means"), startMeaning(group.StartFrom, now)},
            {QStringLiteral("pairs"), pairCount}};
}

QString summaryLine(const QJsonObject& summary)
{
    return QStringList{QString::number(summary.value(u"position").toInt()),
                       summary.value(u"name").toString(),
                       yesNo(summary.value(u"enabled").toBool()),
                       summary.value(u"function").toString(),
                       summary.value(u"interval").toString(),
                       summary.value(u"start").toString(),
                       summary.value(u"start_means").toString(),
                       QString::number(summary.value(u"pairs").toInt())}
        .join(u'\t');
}

QJsonObject detail(const TZizaVureGroupItem& group, int position, const QDateTime& now)
{
    QJsonObject fields = summary(group, int(group.StationSensors.size()), position, now);
    fields.insert(QStringLiteral("index"), group.PPGIndex);
    fields.insert(QStringLiteral("interval_type"), intervalWord(group.TypeInterval));
    fields.insert(QStringLiteral("interval"), TimeFieldText(group.Interval));
    fields.insert(QStringLiteral("base_time"), TimeFieldText(group.BaseTime));
    fields.insert(QStringLiteral("process_time"), TimeFieldText(group.ProcTime));
    fields.insert(QStringLiteral("description"), group.Description);
    fields.insert(QStringLiteral("purpose"), group.Purpose);
    fields.insert(QStringLiteral("data_type"), int(group.DataType));
    fields.insert(QStringLiteral("parameter"), group.Parameter);
    fields.insert(QStringLiteral("time_bound"), group.TimeBound);
    fields.insert(QStringLiteral("filter"), group.Filter);
    fields.insert(QStringLiteral("pairs"), pairsOf(group));
    return fields;
}

// "name: value" lines in a fixed order, then one tab-separated line per
// pair: station.sensor, label, alternate label, last update.
QStringList detailLines(const QJsonObject& detail)
{
    static const char* const names[] = {"position",      "name",        "index",     "enabled",      "function",
                                        "interval_type", "interval",    "base_time", "process_time", "start",
                                        "start_means",   "description", "purpose",   "data_type",    "parameter",
                                        "time_bound",    "filter"};
    QStringList lines;
    for (const char* name : names) {
        const QJsonValue value = detail.value(QLatin1String(name));
        const QString text = value.isBool()     ? yesNo(value.toBool())
                             : value.isDouble() ? QString::number(value.toInteger())
                                                : value.toString();
        lines.append(QLatin1String(name) + QStringLiteral(": ") + text);
    }
    const QJsonArray pairs = detail.value(u"pairs").toArray();
    lines.append(QStringLiteral("pairs: %1").arg(pairs.size()));
    for (const auto& pair : pairs) {
        const QJsonObject fields = pair.toObject();
        lines.append(QStringList{fields.value(u"station").toString() + u'.' + fields.value(u"sensor").toString(),
                                 fields.value(u"label").toString(), fields.value(u"alt_label").toString(),
                                 fields.value(u"updated").toString()}
                         .join(u'\t'));
    }
    return lines;
}

} // namespace GroupListing
