#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcApp, "linecal.app", QtInfoMsg)
