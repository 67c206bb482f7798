#pragma once

#include <QDateTime>

// The moment that the start-time tests reckon from, a Tuesday afternoon; a
// window's clock set to it stands still there.
inline QDateTime FixedNow()
{
    return QDateTime(QDate(2026, 12, 8), QTime(14, 37, 22));
}
