#include "platform/JournalLog.h"

#include "platform/journal/Journal.h"

#include <QString>
#include <QtGlobal>

#include <unistd.h>

namespace linecal {
namespace {

QtMessageHandler previousHandler = nullptr;

void toJournal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const bool sent = sendToJournal(type, context.category, message.toUtf8(), "linecal-app");
    if (!sent || isatty(STDERR_FILENO)) previousHandler(type, context, message);
}

}  // namespace

void routeLogToJournal() {
    // The journal listens on this socket; without it every line would only be dropped.
    if (access("/run/systemd/journal/socket", W_OK) != 0) return;
    previousHandler = qInstallMessageHandler(toJournal);
}

}  // namespace linecal
