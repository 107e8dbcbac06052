// The desktop program's log lines: Qt's logging category "linecal.app", which reaches the
// journal when the session started the program.
#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcApp)
