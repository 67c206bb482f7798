#pragma once

#include "calc/TimeText.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

// What the operator's start and stop texts mean now, shown beside the fields:
// the evaluation that the service makes of them, so that a wrong keyword or
// offset is seen before the service processes the wrong range.

// The current time, replaceable so that tests can fix it.
using TClock = std::function<QDateTime()>;
QDateTime SystemClock();

// The time value that a text stands for at `now`; nothing for a text that the
// window's check rejects.
std::optional<qint32> EvaluateTimeText(const QString& text, const TTimeKeywordSet& keywords, const QDateTime& now);

// "= " and the time in the operator's short date and long time forms, as in
// "= 12/08/2026 00:00:00"; empty for nothing.
QString TimePreviewText(std::optional<qint32> time);

// The length from start to stop: "3 days 0:00:00", "1 day 6:00:00", "5:00:00"
// under a day; "Stop is before start" when the range runs backwards.
QString RangeLengthText(qint32 start, qint32 stop);

// How long from `now` until `when`, to the minute: "in 3 h 20 min",
// "in 2 d 1 h", "12 min ago"; "now" within a minute either way.
QString TimeUntilText(const QDateTime& now, const QDateTime& when);
