#pragma once

#include <QLoggingCategory>

// Failures that the operator is deliberately not shown go to this category,
// so that an administrator can find them in the program's log (journal or
// stderr; QT_LOGGING_RULES="qvz.db.warning=false" silences them).
Q_DECLARE_LOGGING_CATEGORY(lcDb)
