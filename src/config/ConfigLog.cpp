#include "ConfigLog.h"

Q_LOGGING_CATEGORY(lcConfig, "qvz.config")
