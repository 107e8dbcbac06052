#include "platform/CalendarApps.h"

#include "platform/GioApps.h"

#include <QDesktopServices>
#include <QProcess>

namespace linecal {

std::optional<CalendarApp> XdgCalendarApps::defaultApp() {
    auto info = gio::defaultAppForType("text/calendar");
    if (!info) return std::nullopt;
    return CalendarApp{QString::fromStdString(info->id), QString::fromStdString(info->name)};
}

bool XdgCalendarApps::launch(const CalendarApp& app, QString* error) {
    std::string message;
    if (gio::launchApp(app.desktopId.toStdString(), &message)) return true;
    if (error) *error = QString::fromStdString(message);
    return false;
}

bool XdgCalendarApps::openUrl(const QUrl& url, QString* error) {
    if (QDesktopServices::openUrl(url)) return true;
    if (error) *error = QStringLiteral("no program opens %1 addresses").arg(url.scheme());
    return false;
}

bool XdgCalendarApps::run(const QStringList& command, QString* error) {
    if (!command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1))) return true;
    if (error) *error = QStringLiteral("%1 could not be started").arg(command.value(0));
    return false;
}

std::optional<QStringList> commandShowingEvent(const CalendarApp& app, const QString& sourceUid,
                                               const QString& itemUid) {
    if (app.desktopId != QLatin1String("org.gnome.Calendar.desktop") || sourceUid.isEmpty() || itemUid.isEmpty())
        return std::nullopt;
    return QStringList{QStringLiteral("gnome-calendar"), QStringLiteral("--uuid"), sourceUid + u':' + itemUid};
}

bool MemoryCalendarApps::launch(const CalendarApp& app, QString* error) {
    launched.push_back(app.desktopId);
    if (!succeed && error) *error = QStringLiteral("it could not be started");
    return succeed;
}

bool MemoryCalendarApps::openUrl(const QUrl& url, QString* error) {
    opened.push_back(url);
    if (!succeed && error) *error = QStringLiteral("no program opens it");
    return succeed;
}

bool MemoryCalendarApps::run(const QStringList& command, QString* error) {
    ran.push_back(command);
    if (!runs && error) *error = QStringLiteral("%1 could not be started").arg(command.value(0));
    return runs;
}

}  // namespace linecal
