#include "stores/eds/EdsCalendarStore.h"

#include "stores/ICalendarWriter.h"
#include "stores/NewUID.h"
#include "stores/StoreErrors.h"
#include "stores/UidDuringSave.h"
#include "stores/eds/EdsSaving.h"
#include "stores/eds/EdsSession.h"
#include "text/Utf8.h"

#include <ctime>

namespace linecal::eds {
namespace {

std::string uidOf(ESource* source) {
    const gchar* uid = source ? e_source_get_uid(source) : nullptr;
    return uid ? uid : "";
}

}  // namespace

bool EdsCalendarStore::refresh(StoreError* why) {
    const Deadline deadline(limits_.registry);
    Object<GCancellable> cancellable(g_cancellable_new());
    std::vector<Source> found;
    std::string defaultCalendar, defaultTaskList, problem;
    {
        EdsSession session;
        problem = session.open(deadline, cancellable.get(), false);
        if (problem.empty()) {
            found = listSources(session.registry());
            Object<ESource> calendar(e_source_registry_ref_default_calendar(session.registry()));
            Object<ESource> taskList(e_source_registry_ref_default_task_list(session.registry()));
            defaultCalendar = uidOf(calendar.get());
            defaultTaskList = uidOf(taskList.get());
        }
    }
    std::lock_guard lock(mutex_);
    sources_ = std::move(found);  // a registry gone takes its calendars with it
    defaultCalendar_ = defaultCalendar;
    defaultTaskList_ = defaultTaskList;
    if (!problem.empty()) return fail(why, errors::desktopCalendarsUnreachable(problem));
    return true;
}

std::string EdsCalendarStore::lastSavedSource() const {
    std::lock_guard lock(mutex_);
    return lastSaved_;
}

std::vector<CalendarRef> EdsCalendarStore::calendars() const {
    std::lock_guard lock(mutex_);
    std::vector<CalendarRef> list;
    list.reserve(sources_.size());
    for (const auto& source : sources_) list.push_back(source.calendar);
    return list;
}

const Source* EdsCalendarStore::targetFor(const Source& source, bool tasks) const {
    if (source.tasks == tasks) return &source;
    const std::string& preferred = tasks ? defaultTaskList_ : defaultCalendar_;
    const Source* chosen = nullptr;
    for (const auto& other : sources_) {
        if (other.tasks != tasks || other.account != source.account || !other.calendar->isEditable) continue;
        if (toUtf8(other.calendar->uid) == preferred) return &other;
        // Failing the account's default, the one of the same name (EDS's own "Personal" pair).
        if (!chosen ||
            (other.calendar->title == source.calendar->title && chosen->calendar->title != source.calendar->title))
            chosen = &other;
    }
    return chosen;
}

bool EdsCalendarStore::save(CalendarItem& item, bool tasks, StoreError* error) {
    if (!item.calendar) return fail(error, errors::noCalendar());
    if (!errors::alarmsComplete(item, error)) return false;
    Source target;
    {
        std::lock_guard lock(mutex_);
        const Source* aimed = nullptr;
        for (const auto& source : sources_) {
            if (source.calendar->uid == item.calendar->uid) aimed = &source;
        }
        if (!aimed) return fail(error, errors::calendarGone(item.calendar->title, {}));
        const Source* chosen = targetFor(*aimed, tasks);
        if (!chosen) {
            return fail(error, errors::noCalendarOfKind(item.calendar->title, tasks,
                                                        aimed->calendar->notes.value_or(icu::UnicodeString())));
        }
        target = *chosen;
    }
    const icu::UnicodeString& title = target.calendar->title;
    if (!target.calendar->isEditable) return fail(error, errors::desktopCalendarReadOnly(title));

    const icu::UnicodeString uid = item.uid.isEmpty() ? fromUtf8(newUID()) : item.uid;
    UidDuringSave restore(item, uid);
    const std::string text = toICalendar(item, std::time(nullptr));
    const SaveOutcome outcome = saveComponent(toUtf8(target.calendar->uid), tasks, text, limits_.save);

    using Result = SaveOutcome::Result;
    switch (outcome.result) {
        case Result::Saved:
            break;
        case Result::Unreachable:
            return fail(error, errors::desktopSaveUnreachable(title, outcome.why));
        case Result::Gone:
            return fail(error, errors::calendarGone(title, {}));
        case Result::ReadOnly:
            return fail(error, errors::desktopCalendarReadOnly(title));
        case Result::Duplicate:
            return fail(error, errors::duplicateUID(uid));
        case Result::Refused:
            return fail(error, errors::desktopSaveRefused(title, outcome.why));
        case Result::TimedOut:
            return fail(error, errors::desktopSaveUnfinished(
                                   title, "no answer within " + std::to_string(limits_.save.count() / 1000) + " s",
                                   outcome.sent, uid));
        case Result::Died:
            return fail(error, errors::desktopSaveUnfinished(
                                   title, "the calendar service stopped (" + outcome.why + ")", outcome.sent, uid));
    }
    restore.keep();
    if (!outcome.uid.empty()) item.uid = fromUtf8(outcome.uid);
    item.calendar = target.calendar;  // a to-do aimed at a calendar went to the account's task list
    std::lock_guard lock(mutex_);
    lastSaved_ = toUtf8(target.calendar->uid);
    return true;
}

bool EdsCalendarStore::saveEvent(Event& event, int, StoreError* error) { return save(event, false, error); }
bool EdsCalendarStore::saveTask(Task& task, StoreError* error) { return save(task, true, error); }

}  // namespace linecal::eds

namespace linecal::eds {
namespace {
std::unique_ptr<EdsStore> openStore(const EdsLimits& limits) { return std::make_unique<EdsCalendarStore>(limits); }
}  // namespace
}  // namespace linecal::eds

LINECAL_MODULE_ENTRY const linecal::EdsCalendarModule linecal_eds_calendar_module{{linecal::kEdsCalendarModuleVersion},
                                                                                  linecal::eds::openStore};
