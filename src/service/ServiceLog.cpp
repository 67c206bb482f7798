#include "ServiceLog.h"

Q_LOGGING_CATEGORY(lcService, "qvz.service")
