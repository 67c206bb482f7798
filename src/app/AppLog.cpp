#include "AppLog.h"

Q_LOGGING_CATEGORY(lcApp, "qvz.app")
