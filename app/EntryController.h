// The entry dialog's controller: opening and closing, the live preview, saving (on a worker
// thread for a server), the help box, and the calendar program the dialog saves for.
#pragma once

#include "app/AppServices.h"
#include "platform/WindowActivation.h"
#include "prefs/Preferences.h"

#include <QObject>

#include <memory>
#include <optional>
#include <thread>

namespace linecal {

class EntryDialog;

class EntryController : public QObject {
    Q_OBJECT
public:
    EntryController(const AppServices& services, Preferences& prefs, QObject* parent = nullptr);
    ~EntryController() override;

    EntryDialog* dialog() const { return dialog_.get(); }

    void showDialog(const Activation& activation = {});
    void hideDialog();
    bool isDialogOpen() const;
    void controlTextDidChange();
    std::unique_ptr<CalendarItem> currentItem() const;
    // Saves the current item; `exactlyCommand` tells that only Ctrl was held, which also shows
    // the item in the calendar program. True when it was saved.
    bool addEvent(bool exactlyCommand);
    void clickHelpButton();
    // The entry's other reading, offered under the preview: taking it rewrites the entry so that it
    // reads that way (and, for a numeric date, takes that order for the next ones); giving it back
    // restores the entry and the order as they were.
    void takeOtherReading();
    void giveBackOtherReading();
    // Shows or hides the help box and stores the choice.
    void showHelp(bool show);
    // The help box as a returning start left it.
    void restoreHelp();
    // The notice's button: the damaged settings file goes aside and settings are stored again.
    void startFreshSettings();
    // Makes sure the store has a calendar; why not is kept for the next failed save.
    void prepareStore();
    // The user's own addresses, for e-mail alarms.
    void setUserEmails(const QStringList& emails);
    // Waits for a save under way, whose outcome still reaches the log.
    void finishPendingSave();

    // ---- the calendar program
    void updateDefaultCalendar();
    void launchCal();
    const QString& calendarProgramName() const { return calAppName_; }
    bool hasCalendarProgram() const { return calApp_.has_value(); }
    const QString& lastEventName() const { return lastEventName_; }
    const QString& lastCalendarName() const { return lastCalendarName_; }

signals:
    void pulse(const QColor& color, int count);
    // Something the user should know and no window shows (a calendar program that did not start).
    void notice(const QString& message);
    // The default calendar program was looked up again.
    void calendarProgramChanged();

private:
    ItemSettings itemSettings() const;
    void findEventInBusyCal(const QUrl& address);
    bool showInDesktopCalendar();
    void rememberLastItem(const CalendarItem& item);
    void showSaveFailure(const StoreError& error, const CalendarItem& item);
    void saveInBackground(std::shared_ptr<CalendarItem> item, bool exactlyCommand);
    void finishSave(bool saved, const CalendarItem& item, const StoreError& error, bool exactlyCommand);

    const AppServices& services_;
    Preferences& prefs_;
    std::unique_ptr<EntryDialog> dialog_;
    QStringList emails_;
    std::optional<StoreError> storeProblem_;  // why the store has no calendar, while it has none
    bool settingsDamageSaid_ = false;         // the dialog has shown why settings are not stored
    std::thread saver_;                       // the save to a server under way, if any
    // A save whose outcome was unknown: saving the same text again reuses its identifier, so a
    // copy that did reach the server is found instead of doubled.
    struct UnconfirmedSave {
        QString text;
        icu::UnicodeString uid;
    };
    std::optional<UnconfirmedSave> unconfirmed_;
    // The other reading on offer for the text in the field, and what taking it replaced.
    struct Offered {
        Choice choice;
        QString text;
    };
    std::optional<Offered> offered_;
    struct Taken {
        QString before, after;
        bool orderFlipped;
    };
    std::optional<Taken> taken_;

    QString calAppName_ = QStringLiteral("Calendar");
    std::optional<CalendarApp> calApp_;
    QString lastEventName_, lastCalendarName_;
    std::optional<Date> lastEventDate_;
    QString lastDesktopSource_;  // the desktop's calendar holding the last item, when it is an event there
};

}  // namespace linecal
