#pragma once

#include "config/ConfigHistory.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

// What `qvzctl history` and `qvzctl diff` print of the change history: the
// JSON (field names that scripts rely on; see the manual page) and the text.
namespace HistoryListing {

// With `group`, only that group's changes (its name compared without case).
QJsonObject version(const THistoryVersion& version, const QString& group = {});
// id, time, user@host, program, kind and the groups changed, tab-separated.
QString versionLine(const QJsonObject& version);

// One tab-separated line per field: group, change, field, before, after; a
// group added or erased without fields gets one line of its own.
QStringList changeLines(const QJsonArray& changes);

} // namespace HistoryListing
