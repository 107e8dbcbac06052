// The entry dialog's operations: opening and closing, the live preview, saving, the help box.
#include "app/AppDelegate.h"

#include "app/DesktopAdvice.h"

#include "app/EntryDialog.h"
#include "app/ZQButton.h"
#include "items/CurrentItem.h"
#include "items/Descriptions.h"
#include "items/RepetitionWords.h"
#include "parse/TextHelpers.h"
#include "platform/Logging.h"
#include "prefs/Settings.h"

#include <QLineEdit>
#include <QToolButton>

namespace linecal {

bool AppDelegate::isDialogOpen() const { return dialog_->isVisible(); }

void AppDelegate::showDialog(const Activation& activation) {
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
    dialog_->titleField->setFocus(Qt::OtherFocusReason);
    dialog_->titleField->selectAll();
    dialog_->show();
    bringToFront(dialog_->windowHandle(), activation);
    dialog_->activateWindow();
}

void AppDelegate::hideDialog() {
    dialog_->hide();
    dialog_->setSettingsNotice({});
}

void AppDelegate::startFreshSettings() {
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

void AppDelegate::prepareStore() {
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

void AppDelegate::controlTextDidChange() {
    if (dialog_->isSaving()) return;  // the text is fixed and the lines say where it goes
    const QString text = dialog_->text();
    dialog_->addButton->setEnabled(!text.trimmed().isEmpty());
    auto item = currentItem();
    const Date now = services_.now();
    // The title and location give way to the calendar, date and time when the line is too long.
    QString title = item->title ? toQString(*item->title) : QString();
    if (auto* event = dynamic_cast<const Event*>(item.get()); event && event->location)
        title += QStringLiteral(" at ") + toQString(*event->location);
    const qsizetype from = item->calendar ? item->calendar->title.length() + 3 : 0;  // after "[Title] "
    dialog_->setPreview(toQString(ZQeventLine(*item, now)), toQString(ZQalarmLine(*item)), from, title.size());
    dialog_->setRepeats(toQString(ZQoccurrencesLine(*item)));
    if (const icu::UnicodeString warning = ZQwarningLine(*item); !warning.isEmpty()) {
        dialog_->setWarning(toQString(warning));
    } else if (!item->alarms.empty() &&
               currentAlarmChoice().emailUnavailable) {
        dialog_->alarmField->setLine(toQString(ZQalarmLine(*item)) +
                                     QStringLiteral("; a message, as no e-mail address of yours is known"));
    } else if (item->notRepeated) {
        // A repetition asked for and not made is said in the preview itself, not only over it.
        dialog_->alarmField->setLine(toQString(ZQalarmLine(*item)) + QStringLiteral(" · ") + toQString(*item->notRepeated));
    }
}

ItemSettings AppDelegate::itemSettings() const {
    return prefs_.itemSettings(*services_.store, {alarmEmails, calAppName, false});
}

std::unique_ptr<CalendarItem> AppDelegate::currentItem() const {
    return linecal::currentItem(toUnicode(dialog_->text()), services_.now(), itemSettings(), *services_.store);
}

void AppDelegate::rememberLastItem(const CalendarItem& item) {
    lastEventName = item.title ? toQString(*item.title) : QString();
    if (auto* event = dynamic_cast<const Event*>(&item)) lastEventDate = event->startDate;
    else if (auto* task = dynamic_cast<const Task*>(&item)) lastEventDate = task->dueDate;
    lastCalendarName = item.calendar ? toQString(item.calendar->title) : QString();
    prefs_.set(Setting::LastEventUID, toQString(item.uid));
    prefs_.set(Setting::LastCalendarUID, item.calendar ? toQString(item.calendar->uid) : QString());
}

void AppDelegate::showSaveFailure(const StoreError& reported, const CalendarItem& item) {
    // An item without a calendar in a store without calendars: the store's own trouble is what
    // the user can act on, not the missing calendar.
    const StoreError& error = !item.calendar && storeProblem_ ? *storeProblem_ : reported;
    pulseIcon(kPulseRed, 1);
    qCWarning(lcApp, "failed to save new event ('%s'): %s", qUtf8Printable(toQString(error.message)),
              qUtf8Printable(toQString(ZQdescription(item, services_.now()))));
    dialog_->setFailure(desktopAdvice(error));
}

bool AppDelegate::addEvent(bool exactlyCommand) {
    // Return on an empty line does what a click on the disabled button does: nothing; the same
    // while an item is still on its way to a server.
    if (!dialog_->addButton->isEnabled() || dialog_->isSaving()) return false;
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

void AppDelegate::saveInBackground(std::shared_ptr<CalendarItem> item, bool exactlyCommand) {
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

void AppDelegate::finishSave(bool saved, const CalendarItem& item, const StoreError& error, bool exactlyCommand) {
    if (!saved && error.outcomeUnknown) unconfirmed_ = UnconfirmedSave{dialog_->text(), error.uid};
    else unconfirmed_.reset();
    if (saved) {
        rememberLastItem(item);
        pulseIcon(kPulseBlue, 1);
        qCInfo(lcApp, "successfully saved new item: %s",
               qUtf8Printable(toQString(ZQdescription(item, services_.now()))));
        if (exactlyCommand) launchCal();
        hideDialog();
    } else {
        showSaveFailure(error, item);
    }
    addUsageEvent(QStringLiteral("Reminders/") + QString::fromUtf8(stringWithBool(saved)));
}

void AppDelegate::clickHelpButton() {
    const bool wasHidden = dialog_->helpBox->isHidden();
    if (wasHidden) showHelp();
    else hideHelp();
    addUsageEvent(QStringLiteral("Help Button/") + QString::fromUtf8(stringWithBool(wasHidden)));
}

void AppDelegate::showHelp() {
    dialog_->helpBox->show();
    toggleHelp(true);
}

void AppDelegate::hideHelp() {
    toggleHelp(false);
    dialog_->helpBox->hide();
}

void AppDelegate::toggleHelp(bool show) {
    const int d = dialog_->helpBox->height() + 14;
    QRect frame = dialog_->geometry();
    // The top edge stays where it is; the dialog grows or shrinks at the bottom. Its height is
    // fixed otherwise: a one-line entry has nothing to gain from a taller window.
    frame.setHeight(frame.height() + (show ? d : -d));
    dialog_->setMinimumHeight(0);
    dialog_->setMaximumHeight(QWIDGETSIZE_MAX);
    dialog_->setGeometry(frame);
    dialog_->setFixedHeight(frame.height());
    dialog_->helpButton->setChecked(show);
    prefs_.set(Setting::HideHelp, !show);
}

}  // namespace linecal
