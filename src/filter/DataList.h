#pragma once

#include "db/DbValue.h"

#include <QStringList>

// The values that the filter editor offers for one column: its distinct
// non-null values as text (distinct without regard to letter case, in the
// order in which the table first holds them) and the column's kind, which
// decides whether a value is quoted in a condition.
struct TDataList
{
    QStringList Values;
    TDbFieldType FieldType = TDbFieldType::Other;
};
