#include "stores/ICalendarWriter.h"

#include "text/Utf8.h"

#include <libical/ical.h>
#include <unicode/gregocal.h>
#include <unicode/timezone.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <stdexcept>

namespace linecal {
namespace {

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

// The user's zone as libical knows it, under the name khal, todoman and others accept.
class LocalZone {
public:
    LocalZone() {
        std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
        icu::UnicodeString id, canonical;
        zone->getID(id);
        UErrorCode status = U_ZERO_ERROR;
        UBool isSystem = false;
        icu::TimeZone::getCanonicalID(id, canonical, isSystem, status);
        for (const auto& candidate : {id, canonical}) {
            std::string name = toUtf8(candidate);
            if (name.empty() || name == "UTC" || name.starts_with("Etc/") || name == "GMT") continue;
            if (icaltimezone* builtin = icaltimezone_get_builtin_timezone(name.c_str())) {
                builtin_ = builtin;
                name_ = name;
                break;
            }
        }
    }

    bool isUTC() const { return builtin_ == nullptr; }
    const std::string& name() const { return name_; }

    // Wall-clock time of `t` in this zone, floating (the TZID parameter names the zone).
    icaltimetype wallTime(std::time_t t) const {
        if (isUTC()) return icaltime_from_timet_with_zone(t, 0, icaltimezone_get_utc_timezone());
        icaltimetype local = icaltime_from_timet_with_zone(t, 0, builtin_);
        local.zone = nullptr;
        return local;
    }

    Component vtimezone() const {
        Component vtz(icalcomponent_new_clone(icaltimezone_get_component(builtin_)));
        icaltimetype from = icaltime_from_timet_with_zone(0, 0, icaltimezone_get_utc_timezone());
        icaltimezone_truncate_vtimezone(vtz.get(), from, icaltime_null_time(), 0);
        if (icalproperty* tzid = icalcomponent_get_first_property(vtz.get(), ICAL_TZID_PROPERTY)) {
            icalproperty_set_tzid(tzid, name_.c_str());
        }
        // The location property repeats the name libical decorated; readers need only TZID.
        while (icalproperty* loc = icalcomponent_get_first_property(vtz.get(), ICAL_LOCATION_PROPERTY)) {
            icalcomponent_remove_property(vtz.get(), loc);
            icalproperty_free(loc);
        }
        return vtz;
    }

private:
    icaltimezone* builtin_ = nullptr;
    std::string name_;
};

std::time_t seconds(Date date) { return static_cast<std::time_t>(std::floor(date.seconds)); }

icalproperty* timed(icalproperty* prop, const LocalZone& zone) {
    if (!zone.isUTC()) icalproperty_add_parameter(prop, icalparameter_new_tzid(zone.name().c_str()));
    return prop;
}

// The local calendar day of `date` in ICU's default zone, the zone the preview shows it in.
icaltimetype localDay(Date date, int plusDays) {
    UErrorCode status = U_ZERO_ERROR;
    icu::GregorianCalendar calendar(status);
    calendar.setTime(date.seconds * 1000.0, status);
    calendar.add(UCAL_DATE, plusDays, status);
    icaltimetype day = icaltime_null_date();
    day.year = calendar.get(UCAL_YEAR, status);
    if (calendar.get(UCAL_ERA, status) == 0) day.year = 1 - day.year;
    day.month = calendar.get(UCAL_MONTH, status) + 1;
    day.day = calendar.get(UCAL_DATE, status);
    if (U_FAILURE(status)) throw std::runtime_error("cannot compute a calendar day");
    return day;
}

// The rule as the file states it; its UNTIL is a date for an all-day series, else UTC.
// Written as text: libical's own writer leaves out WKST=MO, which every rule here states.
void addRule(icalcomponent* body, const CalendarItem& item, bool allDay) {
    if (!item.recurrence) return;
    const std::string text = rruleText(*item.recurrence, allDay);
    if (icalrecurrencetype_from_string(text.c_str()).freq == ICAL_NO_RECURRENCE) return;
    icalproperty* rule = icalproperty_new(ICAL_X_PROPERTY);
    icalproperty_set_x_name(rule, "RRULE");
    icalproperty_set_x(rule, text.c_str());
    icalcomponent_add_property(body, rule);
}

void addAlarms(icalcomponent* parent, const CalendarItem& item, bool relatedToEnd) {
    const std::string title = item.title ? toUtf8(*item.title) : std::string();
    const std::string text = title.empty() ? std::string("Reminder") : title;
    for (const auto& alarm : item.alarms) {
        if (!alarm) continue;
        icalcomponent* valarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
        double trigger = std::clamp(std::round(alarm->relativeTrigger), double(INT_MIN), double(INT_MAX));
        icalproperty* prop = icalproperty_new_trigger(icaltriggertype_from_int(static_cast<int>(trigger)));
        if (relatedToEnd) icalproperty_add_parameter(prop, icalparameter_new_related(ICAL_RELATED_END));
        icalcomponent_add_property(valarm, prop);
        switch (alarm->action.value_or(AlarmAction::Display)) {
            case AlarmAction::Display:
                icalcomponent_add_property(valarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
                icalcomponent_add_property(valarm, icalproperty_new_description(text.c_str()));
                break;
            case AlarmAction::Sound: {
                icalcomponent_add_property(valarm, icalproperty_new_action(ICAL_ACTION_AUDIO));
                if (alarm->sound && !alarm->sound->isEmpty()) {
                    std::string sound = toUtf8(*alarm->sound);
                    // A bare name is a sound of the desktop's sound theme.
                    std::string url = sound.find(':') != std::string::npos ? sound
                                      : sound.starts_with('/')
                                          ? "file://" + sound
                                          : "file:///usr/share/sounds/freedesktop/stereo/" + sound + ".oga";
                    icalattach* attach = icalattach_new_from_url(url.c_str());
                    icalcomponent_add_property(valarm, icalproperty_new_attach(attach));
                    icalattach_unref(attach);
                }
                break;
            }
            case AlarmAction::Email: {
                icalcomponent_add_property(valarm, icalproperty_new_action(ICAL_ACTION_EMAIL));
                icalcomponent_add_property(valarm, icalproperty_new_summary(text.c_str()));
                icalcomponent_add_property(valarm, icalproperty_new_description(text.c_str()));
                std::string address = alarm->emailAddress ? toUtf8(*alarm->emailAddress) : std::string();
                icalcomponent_add_property(valarm, icalproperty_new_attendee(("mailto:" + address).c_str()));
                break;
            }
        }
        icalcomponent_add_component(parent, valarm);
    }
}

}  // namespace

std::string toICalendar(const CalendarItem& item, std::time_t stamp) {
    const LocalZone zone;
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//linecal//linecal//EN"));

    const auto* event = dynamic_cast<const Event*>(&item);
    const auto* task = dynamic_cast<const Task*>(&item);
    if (!event && !task) throw std::invalid_argument("neither an event nor a task");

    icalcomponent* body = icalcomponent_new(event ? ICAL_VEVENT_COMPONENT : ICAL_VTODO_COMPONENT);
    icalcomponent_add_property(body, icalproperty_new_uid(toUtf8(item.uid).c_str()));
    icaltimetype utcStamp = icaltime_from_timet_with_zone(stamp, 0, icaltimezone_get_utc_timezone());
    icalcomponent_add_property(body, icalproperty_new_dtstamp(utcStamp));
    icalcomponent_add_property(body, icalproperty_new_created(utcStamp));
    if (item.title) icalcomponent_add_property(body, icalproperty_new_summary(toUtf8(*item.title).c_str()));

    bool usesZone = false;
    if (event) {
        if (event->location) {
            icalcomponent_add_property(body, icalproperty_new_location(toUtf8(*event->location).c_str()));
        }
        if (event->startDate) {
            Date end = event->endDate.value_or(*event->startDate);
            if (event->isAllDay) {
                icalcomponent_add_property(body, icalproperty_new_dtstart(localDay(*event->startDate, 0)));
                icalcomponent_add_property(body, icalproperty_new_dtend(localDay(end, 1)));
            } else {
                icalcomponent_add_property(
                    body, timed(icalproperty_new_dtstart(zone.wallTime(seconds(*event->startDate))), zone));
                // DTEND must come after DTSTART; a zero duration says "no time at all" in a way
                // readers do not replace with a default length.
                if (seconds(end) > seconds(*event->startDate)) {
                    icalcomponent_add_property(body, timed(icalproperty_new_dtend(zone.wallTime(seconds(end))), zone));
                } else {
                    icalcomponent_add_property(body, icalproperty_new_duration(icaldurationtype_from_int(0)));
                }
                usesZone = true;
            }
        }
        addRule(body, item, event->isAllDay);
        addAlarms(body, item, false);
    } else {
        icalcomponent_add_property(body, icalproperty_new_status(ICAL_STATUS_NEEDSACTION));
        if (task->dueDate) {
            icalcomponent_add_property(body, timed(icalproperty_new_due(zone.wallTime(seconds(*task->dueDate))), zone));
            usesZone = true;
            addRule(body, item, false);
            // A to-do's only date is its due date, so its alarms are counted from there.
            addAlarms(body, item, true);
        }
    }

    if (usesZone && !zone.isUTC()) icalcomponent_add_component(calendar.get(), zone.vtimezone().release());
    icalcomponent_add_component(calendar.get(), body);

    char* text = icalcomponent_as_ical_string_r(calendar.get());
    std::string result(text);
    free(text);
    return result;
}

}  // namespace linecal
