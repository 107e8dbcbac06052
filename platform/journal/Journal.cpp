#include "platform/journal/Journal.h"

#include <systemd/sd-journal.h>
#include <syslog.h>

namespace linecal {
namespace {

int priorityOf(QtMsgType type) {
    switch (type) {
        case QtDebugMsg:
            return LOG_DEBUG;
        case QtInfoMsg:
            return LOG_INFO;
        case QtWarningMsg:
            return LOG_WARNING;
        case QtCriticalMsg:
            return LOG_CRIT;
        case QtFatalMsg:
            return LOG_ALERT;
    }
    return LOG_INFO;
}

}  // namespace

bool sendToJournal(QtMsgType type, const char* category, const QByteArray& text, const char* identifier) {
    return sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%d", priorityOf(type), "SYSLOG_IDENTIFIER=%s",
                           identifier, "QT_CATEGORY=%s", category ? category : "default", nullptr) >= 0;
}

}  // namespace linecal
