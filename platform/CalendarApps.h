// The calendar program the user has chosen for calendar files: its name, starting it, and
// opening addresses through the desktop.
#pragma once

#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace linecal {

struct CalendarApp {
    QString desktopId;  // e.g. "org.gnome.Calendar.desktop"
    QString name;       // its desktop entry's Name, as the user's language has it
};

class CalendarApps {
public:
    virtual ~CalendarApps() = default;
    // The desktop's default application for text/calendar, looked up afresh.
    virtual std::optional<CalendarApp> defaultApp() = 0;
    // Starts the application through its desktop entry, with no file to open. False with a
    // message when it cannot be started: the cause, which the entry controller words into its notice.
    virtual bool launch(const CalendarApp& app, QString* error) = 0;
    // Hands the address to the desktop's handler for its scheme.
    virtual bool openUrl(const QUrl& url, QString* error) = 0;
};

// The freedesktop.org rules (mimeapps.list, desktop entries under the XDG data folders).
class XdgCalendarApps : public CalendarApps {
public:
    std::optional<CalendarApp> defaultApp() override;
    bool launch(const CalendarApp& app, QString* error) override;
    bool openUrl(const QUrl& url, QString* error) override;
};

// A fixed answer, recording what was asked; for tests.
class MemoryCalendarApps : public CalendarApps {
public:
    std::optional<CalendarApp> defaultApp() override { return app; }
    bool launch(const CalendarApp& launched, QString* error) override;
    bool openUrl(const QUrl& url, QString* error) override;

    std::optional<CalendarApp> app;
    bool succeed = true;
    std::vector<QString> launched;
    std::vector<QUrl> opened;
};

}  // namespace linecal
