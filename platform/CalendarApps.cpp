#include "platform/CalendarApps.h"

#include "platform/GioApps.h"

#include <QDesktopServices>

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

}  // namespace linecal
