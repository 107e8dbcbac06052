#include "platform/JournalLog.h"

#include <QString>
#include <QtGlobal>

#include <systemd/sd-journal.h>
#include <syslog.h>
#include <unistd.h>

#include <cstdio>

namespace linecal {
namespace {

QtMessageHandler previousHandler = nullptr;

int priorityOf(QtMsgType type) {
    switch (type) {
        case QtDebugMsg: return LOG_DEBUG;
        case QtInfoMsg: return LOG_INFO;
        case QtWarningMsg: return LOG_WARNING;
        case QtCriticalMsg: return LOG_CRIT;
        case QtFatalMsg: return LOG_ALERT;
    }
    return LOG_INFO;
}

void toJournal(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const QByteArray text = message.toUtf8();
    const char* category = context.category ? context.category : "default";
    const int sent = sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%d", priorityOf(type),
                                     "SYSLOG_IDENTIFIER=linecal-app", "QT_CATEGORY=%s", category, nullptr);
    if (sent < 0 || isatty(STDERR_FILENO)) previousHandler(type, context, message);
}

}  // namespace

void routeLogToJournal() {
    // The journal listens on this socket; without it every line would only be dropped.
    if (access("/run/systemd/journal/socket", W_OK) != 0) return;
    previousHandler = qInstallMessageHandler(toJournal);
}

}  // namespace linecal
