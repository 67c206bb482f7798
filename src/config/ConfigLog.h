#pragma once

#include <QLoggingCategory>

// Failures of the settings files that the operator is deliberately not shown
// go to this category (see DbLog.h).
Q_DECLARE_LOGGING_CATEGORY(lcConfig)
