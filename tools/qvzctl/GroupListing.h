#pragma once

#include "config/DataDef.h"

#include <QDateTime>
#include <QJsonObject>
#include <QStringList>

// What `qvzctl groups` and `qvzctl show` print of a group: the JSON objects
// (field names that scripts rely on; see the manual page) and the text.
// Positions count from 1, as an administrator counts the list.
namespace GroupListing {

QJsonObject summary(const TZizaVureGroupItem& group, int pairCount, int position, const QDateTime& now);
// One tab-separated line: position, name, enabled, function, interval,
// start text, what it means now, number of pairs.
QString summaryLine(const QJsonObject& summary);

QJsonObject detail(const TZizaVureGroupItem& group, int position, const QDateTime& now);
QStringList detailLines(const QJsonObject& detail);

// What a start text means at `now`: "Yesterday = 12/08/2026 00:00:00";
// empty for an empty text, and a note for one that the setup editor refuses.
QString startMeaning(const QString& startText, const QDateTime& now);

} // namespace GroupListing
