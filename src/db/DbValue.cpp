#include "DbValue.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace DbValue {

namespace {

QString timeText(const QTime& time)
{
    return time.toString(time.msec() == 0 ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm:ss.zzz"));
}

} // namespace

TDbFieldType fieldType(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::QString:
    case QMetaType::QChar:
        return TDbFieldType::String;
    case QMetaType::QDate:
        return TDbFieldType::Date;
    case QMetaType::QTime:
        return TDbFieldType::Time;
    case QMetaType::QDateTime:
        return TDbFieldType::DateTime;
    default:
        return TDbFieldType::Other;
    }
}

QString text(const QVariant& value)
{
    if (value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return timeText(value.toTime());
    case QMetaType::QDateTime: {
        const QDateTime stamp = value.toDateTime();
        return stamp.date().toString(Qt::ISODate) + u' ' + timeText(stamp.time());
    }
    default:
        return value.toString();
    }
}

} // namespace DbValue
