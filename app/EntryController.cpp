// The entry dialog's controller.
#include "app/EntryController.h"

#include "app/DesktopAdvice.h"
#include "app/EntryDialog.h"
#include "items/CurrentItem.h"
#include "items/Descriptions.h"
#include "items/RepetitionWords.h"
#include "parse/DateHelpers.h"
#include "parse/TextHelpers.h"
#include "platform/Logging.h"

#include <QCoreApplication>
#include <QTimer>

namespace linecal {
namespace {

constexpr int kBusyCalDelayMs = 5000;

QString encoded(const QString& text) {
    auto bytes = stringByURIEncoding(toUnicode(text));
    return bytes ? QString::fromStdString(*bytes) : QString();
}

}  // namespace

EntryController::EntryController(const AppServices& services, Preferences& prefs, QObject* parent)
    : QObject(parent), services_(services), prefs_(prefs), dialog_(std::make_unique<EntryDialog>()) {
    connect(dialog_.get(), &EntryDialog::textChanged, this, &EntryController::controlTextDidChange);
    connect(dialog_.get(), &EntryDialog::addRequested, this, &EntryController::addEvent);
    connect(dialog_.get(), &EntryDialog::helpClicked, this, &EntryController::clickHelpButton);
    connect(dialog_.get(), &EntryDialog::closeRequested, this, &EntryController::hideDialog);
    connect(dialog_.get(), &EntryDialog::freshSettingsRequested, this, &EntryController::startFreshSettings);
    connect(dialog_.get(), &EntryDialog::otherReadingTaken, this, &EntryController::takeOtherReading);
    connect(dialog_.get(), &EntryDialog::otherReadingUndone, this, &EntryController::giveBackOtherReading);
    // The order of numeric dates changed in the preferences: the preview reads the entry again.
    connect(&prefs_, &Preferences::changed, this, [this](Setting id) {
        if (id == Setting::NumericDatesOtherOrder && isDialogOpen()) controlTextDidChange();
    });
}

EntryController::~EntryController() {
    if (saver_.joinable()) saver_.join();
}

void EntryController::finishPendingSave() {
    if (!saver_.joinable()) return;
    saver_.join();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void EntryController::setUserEmails(const QStringList& emails) { emails_ = emails; }

bool EntryController::isDialogOpen() const { return dialog_->isVisible(); }

void EntryController::showDialog(const Activation& activation) {
    updateDefaultCalendar();
    if (isDialogOpen()) return;
    services_.store->reload();
    if (services_.store->calendars().empty()) prepareStore();
    controlTextDidChange();
    // Once per run: the user learns why nothing sticks and can mend it, without being told at
    // every opening.
    if (const QString damage = services_.settings->damage(); !damage.isEmpty() && !settingsDamageSaid_) {
        settingsDamageSaid_ = true;
        dialog_->setSettingsNotice(damage.left(1).toUpper() + damage.mid(1) +
                                   QStringLiteral(". linecal uses its default settings and stores no change; the file "
                                                  "stays as it is."));
    }
    // Focusing selects the whole line, so typing replaces the last entry.
    dialog_->focusEntry();
    dialog_->show();
    bringToFront(dialog_->windowHandle(), activation);
    dialog_->activateWindow();
}

void EntryController::hideDialog() {
    dialog_->hide();
    dialog_->setSettingsNotice({});
}

void EntryController::startFreshSettings() {
    QString error;
    if (services_.settings->startFresh(&error)) {
        qCInfo(lcApp, "settings start fresh");
        dialog_->setSettingsNotice({});
        return;
    }
    qCWarning(lcApp, "%s", qUtf8Printable(error));
    dialog_->setSettingsNotice(error.left(1).toUpper() + error.mid(1) +
                               QStringLiteral(". Move the file away yourself, or make its folder writable."));
}

void EntryController::prepareStore() {
    StoreError error;
    if (!services_.prepareStore || services_.prepareStore(&error)) {
        storeProblem_.reset();
        return;
    }
    if (!storeProblem_) {  // said once, not at every opening
        qCWarning(lcApp, "%s %s", qUtf8Printable(toQString(error.message)),
                  qUtf8Printable(toQString(error.recoverySuggestion)));
    }
    storeProblem_ = error;
}

void EntryController::controlTextDidChange() {
    if (dialog_->isSaving()) return;  // the text is fixed and the lines say where it goes
    const QString text = dialog_->text();
    dialog_->setCanAdd(!text.trimmed().isEmpty());
    // Taken back only while the entry still reads as the other reading left it.
    if (taken_ && text != taken_->after) taken_.reset();
    const Date now = services_.now();
    // The dialog offers one other reading: the others are not worked out on every key.
    ItemReadings readings = currentReadings(toUnicode(text), now, itemSettings(), *services_.store, 1);
    const std::unique_ptr<CalendarItem>& item = readings.item;
    offered_.reset();
    if (!readings.others.empty()) {
        const OtherReading& other = readings.others.front();
        offered_ = Offered{other.choice, toQString(other.text)};
    }
    // The title and location give way to the calendar, date and time when the line is too long.
    QString title = item->title ? toQString(*item->title) : QString();
    if (auto* event = dynamic_cast<const Event*>(item.get()); event && event->location)
        title += QStringLiteral(" at ") + toQString(*event->location);
    const qsizetype from = item->calendar ? item->calendar->title.length() + 3 : 0;  // after "[Title] "
    QString alarms = toQString(ZQalarmLine(*item));
    const icu::UnicodeString warning = ZQwarningLine(*item);
    if (warning.isEmpty() && !item->alarms.empty() && prefs_.alarmChoice(emails_).emailUnavailable) {
        alarms += QStringLiteral("; a message, as no e-mail address of yours is known");
    } else if (warning.isEmpty() && item->notRepeated) {
        // A repetition asked for and not made is said in the preview itself, not only over it.
        alarms += QStringLiteral(" · ") + toQString(*item->notRepeated);
    }
    dialog_->setPreview(toQString(ZQeventLine(*item, now)), alarms, from, title.size());
    dialog_->setRepeats(toQString(ZQoccurrencesLine(*item)));
    if (!warning.isEmpty()) dialog_->setWarning(toQString(warning));
    dialog_->setOtherReading(
        readings.others.empty() ? QString() : toQString(ZQotherReadingLine(*readings.others.front().item, *item)));
}

void EntryController::takeOtherReading() {
    if (!offered_ || dialog_->isSaving()) return;
    const Offered offered = *offered_;
    const QString before = dialog_->text();
    // A numeric date read the other way: the user's order from now on.
    const bool flip = offered.choice == Choice::DateOrder;
    if (flip) prefs_.set(Setting::NumericDatesOtherOrder, !prefs_.boolValue(Setting::NumericDatesOtherOrder));
    taken_ = Taken{before, offered.text, flip};
    dialog_->setText(offered.text);  // the preview follows the text's change
}

void EntryController::giveBackOtherReading() {
    if (!taken_ || dialog_->isSaving()) return;
    const Taken taken = *taken_;
    taken_.reset();
    if (taken.orderFlipped)
        prefs_.set(Setting::NumericDatesOtherOrder, !prefs_.boolValue(Setting::NumericDatesOtherOrder));
    dialog_->setText(taken.before);  // the preview follows the text's change
}

ItemSettings EntryController::itemSettings() const {
    return prefs_.itemSettings(*services_.store, {emails_, calAppName_, false});
}

std::unique_ptr<CalendarItem> EntryController::currentItem() const {
    return linecal::currentItem(toUnicode(dialog_->text()), services_.now(), itemSettings(), *services_.store);
}

void EntryController::rememberLastItem(const CalendarItem& item) {
    lastEventName_ = item.title ? toQString(*item.title) : QString();
    if (auto* event = dynamic_cast<const Event*>(&item)) lastEventDate_ = event->startDate;
    else if (auto* task = dynamic_cast<const Task*>(&item)) lastEventDate_ = task->dueDate;
    lastCalendarName_ = item.calendar ? toQString(item.calendar->title) : QString();
    prefs_.set(Setting::LastEventUID, toQString(item.uid));
    prefs_.set(Setting::LastCalendarUID, item.calendar ? toQString(item.calendar->uid) : QString());
    // The desktop's calendars report the source that took the save; a save elsewhere leaves theirs as it was.
    const QString desktop = services_.lastDesktopSource ? services_.lastDesktopSource() : QString();
    const bool there = dynamic_cast<const Event*>(&item) && item.calendar && desktop == toQString(item.calendar->uid);
    lastDesktopSource_ = there ? desktop : QString();
}

void EntryController::showSaveFailure(const StoreError& reported, const CalendarItem& item) {
    // An item without a calendar in a store without calendars: the store's own trouble is what
    // the user can act on, not the missing calendar.
    const StoreError& error = !item.calendar && storeProblem_ ? *storeProblem_ : reported;
    emit pulse(kPulseRed, 1);
    qCWarning(lcApp, "failed to save new event ('%s'): %s", qUtf8Printable(toQString(error.message)),
              qUtf8Printable(toQString(ZQdescription(item, services_.now()))));
    dialog_->setFailure(desktopAdvice(error));
}

bool EntryController::addEvent(bool exactlyCommand) {
    // Return on an empty line does what a click on the disabled button does: nothing; the same
    // while an item is still on its way to a server.
    if (!dialog_->canAdd() || dialog_->isSaving()) return false;
    std::shared_ptr<CalendarItem> item = currentItem();
    if (unconfirmed_ && unconfirmed_->text == dialog_->text()) item->uid = unconfirmed_->uid;
    if (item->calendar && services_.savesOverNetwork && services_.savesOverNetwork(*item)) {
        saveInBackground(std::move(item), exactlyCommand);
        return false;
    }
    StoreError error;
    const bool saved = saveItem(*services_.store, *item, &error);
    finishSave(saved, *item, error, exactlyCommand);
    return saved;
}

void EntryController::saveInBackground(std::shared_ptr<CalendarItem> item, bool exactlyCommand) {
    dialog_->setSaving(QStringLiteral("Saving to %1…").arg(toQString(item->calendar->title)));
    if (saver_.joinable()) saver_.join();  // the last one has delivered its outcome already
    saver_ = std::thread([this, item, exactlyCommand] {
        auto error = std::make_shared<StoreError>();
        const bool saved = saveItem(*services_.store, *item, error.get());
        QMetaObject::invokeMethod(
            this,
            [this, item, error, saved, exactlyCommand] {
                dialog_->endSaving();
                if (!saved && !isDialogOpen()) showDialog();  // closed meanwhile: the entry comes back
                controlTextDidChange();
                finishSave(saved, *item, *error, exactlyCommand);
            },
            Qt::QueuedConnection);
    });
}

void EntryController::finishSave(bool saved, const CalendarItem& item, const StoreError& error, bool exactlyCommand) {
    if (!saved && error.outcomeUnknown) unconfirmed_ = UnconfirmedSave{dialog_->text(), error.uid};
    else unconfirmed_.reset();
    if (saved) {
        rememberLastItem(item);
        emit pulse(kPulseBlue, 1);
        qCInfo(lcApp, "successfully saved new item: %s",
               qUtf8Printable(toQString(ZQdescription(item, services_.now()))));
        if (exactlyCommand) launchCal();
        hideDialog();
    } else {
        showSaveFailure(error, item);
    }
    services_.addUsageEvent(QStringLiteral("Reminders/") + QString::fromUtf8(stringWithBool(saved)));
}

void EntryController::clickHelpButton() {
    const bool wasHidden = !dialog_->isHelpShown();
    showHelp(wasHidden);
    services_.addUsageEvent(QStringLiteral("Help Button/") + QString::fromUtf8(stringWithBool(wasHidden)));
}

void EntryController::restoreHelp() {
    if (prefs_.boolValue(Setting::HideHelp)) showHelp(false);
    else dialog_->setHelpShown(true);
}

void EntryController::showHelp(bool show) {
    dialog_->setHelpShown(show);
    prefs_.set(Setting::HideHelp, !show);
}

void EntryController::updateDefaultCalendar() {
    calApp_ = services_.calendarApps ? services_.calendarApps->defaultApp() : std::nullopt;
    if (!calApp_ || calApp_->name.isEmpty()) calAppName_ = QStringLiteral("Calendar");
    else calAppName_ = calApp_->name;
    dialog_->setCalendarProgram(calAppName_);
    emit calendarProgramChanged();
}

void EntryController::launchCal() {
    QString problem;
    if (calAppName_ == QLatin1String("BusyCal")) {
        const QString date = lastEventDate_ ? QString::fromStdString(busyCalDate(*lastEventDate_)) : QString();
        const QUrl address(QStringLiteral("busycalevent://find/%1/%2/%3")
                               .arg(encoded(lastCalendarName_), encoded(lastEventName_), encoded(date)),
                           QUrl::StrictMode);
        QTimer::singleShot(kBusyCalDelayMs, this, [this, address] { findEventInBusyCal(address); });
    } else if (!calApp_) {
        problem = QStringLiteral(
            "No program is set to open calendar files. Choose one in the desktop's "
            "default applications.");
    } else if (!showInDesktopCalendar()) {
        if (QString why; !services_.calendarApps->launch(*calApp_, &why))
            problem = QStringLiteral("%1 could not be started: %2.").arg(calAppName_, why);
    }
    if (!problem.isEmpty()) {
        qCWarning(lcApp, "%s", qUtf8Printable(problem));
        emit notice(problem);
    }
    services_.addUsageEvent(QStringLiteral("Launch iCal Menu Item/") + calAppName_);
}

// A program that can open on the last event (GNOME Calendar, for an event in the desktop's
// calendars) is asked to; false when it cannot be, and the program is then simply started.
bool EntryController::showInDesktopCalendar() {
    const auto command = commandShowingEvent(*calApp_, lastDesktopSource_,
                                             prefs_.stringValue(Setting::LastEventUID).value_or(QString()));
    if (!command) return false;
    QString why;
    if (services_.calendarApps->run(*command, &why)) return true;
    qCWarning(lcApp, "%s could not show the item (%s); starting it instead", qUtf8Printable(calAppName_),
              qUtf8Printable(why));
    return false;
}

void EntryController::findEventInBusyCal(const QUrl& address) {
    QString why;
    if (!services_.calendarApps->openUrl(address, &why)) {
        const QString problem = QStringLiteral("BusyCal could not show the item: %1.").arg(why);
        qCWarning(lcApp, "%s", qUtf8Printable(problem));
        emit notice(problem);
    }
}

}  // namespace linecal
