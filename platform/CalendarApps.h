// The calendar program the user has chosen for calendar files: its name, starting it, and
// opening addresses through the desktop.
#pragma once

#include <QString>
#include <QStringList>
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
    // Starts the program the command's first word names, with the other words as its arguments,
    // and does not wait for it. False with a message when it cannot be started.
    virtual bool run(const QStringList& command, QString* error) = 0;
};

// The command that opens `app` on one event of the desktop's calendars (EDS), named by the source
// that holds it and its own identifier; none for a program that cannot be asked that way.
// GNOME Calendar can: it names each event "SOURCE:ITEM".
std::optional<QStringList> commandShowingEvent(const CalendarApp& app, const QString& sourceUid,
                                               const QString& itemUid);

// The freedesktop.org rules (mimeapps.list, desktop entries under the XDG data folders).
class XdgCalendarApps : public CalendarApps {
public:
    std::optional<CalendarApp> defaultApp() override;
    bool launch(const CalendarApp& app, QString* error) override;
    bool openUrl(const QUrl& url, QString* error) override;
    bool run(const QStringList& command, QString* error) override;
};

// A fixed answer, recording what was asked; for tests.
class MemoryCalendarApps : public CalendarApps {
public:
    std::optional<CalendarApp> defaultApp() override { return app; }
    bool launch(const CalendarApp& launched, QString* error) override;
    bool openUrl(const QUrl& url, QString* error) override;
    bool run(const QStringList& command, QString* error) override;

    std::optional<CalendarApp> app;
    bool succeed = true;
    bool runs = true;  // whether run() finds its program
    std::vector<QString> launched;
    std::vector<QUrl> opened;
    std::vector<QStringList> ran;
};

}  // namespace linecal
