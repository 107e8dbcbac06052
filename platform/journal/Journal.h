// One log line into the systemd journal, with the Qt category it was logged under, for the
// desktop program and the command line alike.
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace linecal {

// False when no journal took the line (a container, a plain chroot): the caller decides
// whether standard error should have it instead.
bool sendToJournal(QtMsgType type, const char* category, const QByteArray& text, const char* identifier);

}  // namespace linecal
