#pragma once

#include <QStringList>

class TZizaVureGroupItem;

// What tells `actual` apart from `expected`, one line per field that differs,
// the expected value first: "Interval: 3 != 6", "entry 2 SensorName: TEMP !=
// RAIN", "entry count: 3 != 4". Empty when the groups are alike. Every field
// that the configuration stores counts, the entries' too, and times compare
// exactly: a caller that allows for a field it knows to differ drops that
// field's line and says why.
//
// Plain Qt Core, without Qt Test, so that the fuzz targets can compile it.
QStringList groupDifferences(const TZizaVureGroupItem& expected, const TZizaVureGroupItem& actual);
