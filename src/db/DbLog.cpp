#include "DbLog.h"

Q_LOGGING_CATEGORY(lcDb, "qvz.db")
