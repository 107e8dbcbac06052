// The calendar program: its name in the dialog and the menu, and showing the last saved item.
#include "app/AppDelegate.h"

#include "app/ZQButton.h"
#include "app/EntryDialog.h"
#include "parse/DateHelpers.h"
#include "parse/TextHelpers.h"
#include "platform/Logging.h"
#include "prefs/Settings.h"
#include "prefs/UsageStats.h"

#include <QAction>
#include <QTimer>

namespace linecal {
namespace {

constexpr int kBusyCalDelayMs = 5000;

QString encoded(const QString& text) {
    auto bytes = stringByURIEncoding(toUnicode(text));
    return bytes ? QString::fromStdString(*bytes) : QString();
}

}  // namespace

void AppDelegate::updateDefaultCalendar() {
    calApp = services_.calendarApps ? services_.calendarApps->defaultApp() : std::nullopt;
    if (!calApp || calApp->name.isEmpty()) calAppName = QStringLiteral("Calendar");
    else calAppName = calApp->name;

    dialog_->addButton->setMainTitle(QStringLiteral("Add Event to %1").arg(calAppName));
    dialog_->addButton->setOptionTitle(QStringLiteral("Add and Launch %1").arg(calAppName));
    dialog_->addButton->setToolTip(QStringLiteral("Ctrl+Return to Add and Launch %1").arg(calAppName));
    launchCalItem_->setText(QStringLiteral("Launch %1").arg(calAppName));
    launchCalItem_->setEnabled(calApp.has_value());
}

void AppDelegate::launchCal() {
    QString problem;
    if (calAppName == QLatin1String("BusyCal")) {
        const QString date = lastEventDate ? QString::fromStdString(busyCalDate(*lastEventDate)) : QString();
        const QUrl address(QStringLiteral("busycalevent://find/%1/%2/%3")
                               .arg(encoded(lastCalendarName), encoded(lastEventName), encoded(date)),
                           QUrl::StrictMode);
        QTimer::singleShot(kBusyCalDelayMs, this, [this, address] { findEventInBusyCal(address); });
    } else if (!calApp) {
        problem = QStringLiteral("No program is set to open calendar files. Choose one in the desktop's "
                                 "default applications.");
    } else if (QString why; !services_.calendarApps->launch(*calApp, &why)) {
        problem = QStringLiteral("%1 could not be started: %2.").arg(calAppName, why);
    }
    if (!problem.isEmpty()) {
        qCWarning(lcApp, "%s", qUtf8Printable(problem));
        emit notice(problem);
    }
    addUsageEvent(QStringLiteral("Launch iCal Menu Item/") + calAppName);
}

void AppDelegate::findEventInBusyCal(const QUrl& address) {
    QString why;
    if (!services_.calendarApps->openUrl(address, &why)) {
        const QString problem = QStringLiteral("BusyCal could not show the item: %1.").arg(why);
        qCWarning(lcApp, "%s", qUtf8Printable(problem));
        emit notice(problem);
    }
}

}  // namespace linecal
