#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

// The kinds of column that callers tell apart: the filter editor quotes the
// values of the first four and writes all others bare.
enum class TDbFieldType { String, Date, Time, DateTime, Other };

namespace DbValue {

TDbFieldType fieldType(QMetaType type);

// A column value as text. Dates and times are written the way SQL literals
// take them on every engine ("2024-03-01", "06:30:00",
// "2024-03-01 06:30:00"), so that a value read here can be quoted back into a
// condition. NULL reads as empty text.
QString text(const QVariant& value);

} // namespace DbValue
