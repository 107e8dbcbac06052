#include "cli/items/SaveLog.h"

#include <QLoggingCategory>
#include <systemd/sd-journal.h>
#include <syslog.h>

#include <cstdio>

namespace linecal::cli {
namespace {

Q_LOGGING_CATEGORY(lcSaves, "linecal.cli")

bool gVerbose = false;
QtMessageHandler gPrevious = nullptr;

int priorityOf(QtMsgType type) {
    switch (type) {
    case QtDebugMsg: return LOG_DEBUG;
    case QtInfoMsg: return LOG_INFO;
    case QtWarningMsg: return LOG_WARNING;
    case QtCriticalMsg: return LOG_ERR;
    case QtFatalMsg: return LOG_CRIT;
    }
    return LOG_INFO;
}

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!context.category || qstrcmp(context.category, lcSaves().categoryName()) != 0) {
        if (gPrevious) gPrevious(type, context, message);
        return;
    }
    const QByteArray text = message.toUtf8();
    // Without a journal (a container, a plain chroot) the record goes nowhere, as syslog would.
    sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%i", priorityOf(type), "SYSLOG_IDENTIFIER=linecal",
                    "QT_CATEGORY=%s", context.category, nullptr);
    const bool problem = type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg;
    if (gVerbose || problem) std::fprintf(stderr, "%s\n", text.constData());
}

}  // namespace

SaveLog::SaveLog(bool verbose) {
    gVerbose = verbose;
    gPrevious = qInstallMessageHandler(handle);
}

SaveLog::~SaveLog() { qInstallMessageHandler(gPrevious); }

void SaveLog::saved(const std::string& description) {
    qCInfo(lcSaves).noquote() << "successfully saved new item:" << QString::fromStdString(description);
}

void SaveLog::failed(const std::string& storeMessage, const std::string& description) {
    qCWarning(lcSaves).noquote() << QStringLiteral("failed to save new event ('%1'): %2")
                                        .arg(QString::fromStdString(storeMessage), QString::fromStdString(description));
}

}  // namespace linecal::cli
