#include "HistoryListing.h"

#include "platform/AsciiText.h"

namespace HistoryListing {

QJsonObject version(const THistoryVersion& version, const QString& group)
{
    QList<THistoryGroup> groups;
    for (const THistoryGroup& changed : version.groups) {
        if (group.isEmpty() || AsciiText::equalsFolded(changed.name, group))
            groups.append(changed);
    }
    QJsonObject json{{QStringLiteral("id"), version.id},
                     {QStringLiteral("time"), version.time.toString(Qt::ISODate)},
                     {QStringLiteral("user"), version.user},
                     {QStringLiteral("host"), version.host},
                     {QStringLiteral("program"), version.program},
                     {QStringLiteral("kind"), version.kind},
                     {QStringLiteral("groups"), TConfigHistory::toJson(groups)}};
    if (version.restoredFrom > 0)
        json.insert(QStringLiteral("restored_from"), version.restoredFrom);
    return json;
}

QString versionLine(const QJsonObject& version)
{
    QStringList names;
    for (const auto& group : version.value(u"groups").toArray())
        names.append(group.toObject().value(u"name").toString());
    const QDateTime time = QDateTime::fromString(version.value(u"time").toString(), Qt::ISODate).toLocalTime();
    return QStringList{QString::number(version.value(u"id").toInt()),
                       time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                       version.value(u"user").toString() + u'@' + version.value(u"host").toString(),
                       version.value(u"program").toString(),
                       version.value(u"kind").toString(),
                       names.join(QStringLiteral(", "))}
        .join(u'\t');
}

QStringList changeLines(const QJsonArray& changes)
{
    QStringList lines;
    for (const auto& groupValue : changes) {
        const QJsonObject group = groupValue.toObject();
        const QString head = group.value(u"name").toString() + u'\t' + group.value(u"change").toString();
        const QJsonArray fields = group.value(u"fields").toArray();
        if (fields.isEmpty())
            lines.append(head);
        for (const auto& fieldValue : fields) {
            const QJsonObject field = fieldValue.toObject();
            lines.append(QStringList{head, field.value(u"key").toString(), field.value(u"before").toString(),
                                     field.value(u"after").toString()}
                             .join(u'\t'));
        }
    }
    return lines;
}

} // namespace HistoryListing
