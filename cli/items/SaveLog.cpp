#include "cli/items/SaveLog.h"

#include "platform/journal/Journal.h"

#include <QLoggingCategory>

#include <cstdio>

namespace linecal::cli {
namespace {

Q_LOGGING_CATEGORY(lcSaves, "linecal.cli")

bool gVerbose = false;
QtMessageHandler gPrevious = nullptr;

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!context.category || qstrcmp(context.category, lcSaves().categoryName()) != 0) {
        if (gPrevious) gPrevious(type, context, message);
        return;
    }
    const QByteArray text = message.toUtf8();
    // Without a journal (a container, a plain chroot) the record goes nowhere, as syslog would.
    sendToJournal(type, context.category, text, "linecal");
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
