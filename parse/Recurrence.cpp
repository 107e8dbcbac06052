#include "parse/Recurrence.h"

#include "parse/DateContext.h"

#include <libical/ical.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace linecal {
namespace {

const char* kWeekdayCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

std::string frequencyName(Recurrence::Frequency f) {
    switch (f) {
        case Recurrence::Frequency::Daily: return "DAILY";
        case Recurrence::Frequency::Weekly: return "WEEKLY";
        case Recurrence::Frequency::Monthly: return "MONTHLY";
        case Recurrence::Frequency::Yearly: return "YEARLY";
    }
    return "DAILY";
}

template <typename T, typename Show>
std::string joined(const std::vector<T>& values, Show show) {
    std::string out;
    for (const T& v : values) {
        if (!out.empty()) out += ',';
        out += show(v);
    }
    return out;
}

// The end of the last day, 23:59:59 local, as UTC fields.
std::string utcEndOfDay(const Recurrence::Day& d) {
    const double local = DateContext::current().fromFields(d.year, d.month, d.day, 23, 59) + 59;
    using namespace std::chrono;
    const sys_seconds t{seconds{static_cast<long long>(local)}};
    const year_month_day ymd{floor<days>(t)};
    const hh_mm_ss hms{t - floor<days>(t)};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02u%02uT%02d%02d%02dZ", static_cast<int>(ymd.year()),
                  static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()),
                  static_cast<int>(hms.hours().count()), static_cast<int>(hms.minutes().count()),
                  static_cast<int>(hms.seconds().count()));
    return buf;
}

// The rule's words with UNTIL left out: expansion compares it in local time instead.
std::string ruleBody(const Recurrence& r) {
    std::string out = "FREQ=" + frequencyName(r.frequency);
    if (r.interval > 1) out += ";INTERVAL=" + std::to_string(r.interval);
    if (!r.byMonth.empty()) out += ";BYMONTH=" + joined(r.byMonth, [](int m) { return std::to_string(m); });
    if (!r.byMonthDay.empty()) out += ";BYMONTHDAY=" + joined(r.byMonthDay, [](int d) { return std::to_string(d); });
    if (!r.byDay.empty()) {
        out += ";BYDAY=" + joined(r.byDay, [](const Recurrence::Weekday& w) {
            return (w.ordinal ? std::to_string(w.ordinal) : std::string()) + kWeekdayCodes[(w.day + 6) % 7];
        });
    }
    return out;
}

// A day or a floating time. Not icaltime_null_date(): its hour of -1 sends the
// iterator round for ever.
icaltimetype blank(bool allDay) {
    icaltimetype t = icaltime_null_time();
    t.is_date = allDay ? 1 : 0;
    return t;
}

icaltimetype wallTime(Date d, bool allDay) {
    const DateFields f = DateContext::current().fields(d.seconds);
    icaltimetype t = blank(allDay);
    t.year = f.year;
    t.month = f.month;
    t.day = f.day;
    if (!allDay) {
        t.hour = f.hour;
        t.minute = f.minute;
    }
    return t;
}

Date fromWallTime(const icaltimetype& t, bool allDay) {
    return Date{DateContext::current().fromFields(t.year, t.month, t.day, allDay ? 12 : t.hour, allDay ? 0 : t.minute)};
}

struct IteratorDeleter {
    void operator()(icalrecur_iterator* it) const { icalrecur_iterator_free(it); }
};

// Walks the rule from `start` in wall-clock time, until `visit` says stop.
template <typename Visit>
void walk(const Recurrence& rule, Date start, bool allDay, Visit visit) {
    icalrecurrencetype rec = icalrecurrencetype_from_string(ruleBody(rule).c_str());
    if (rec.freq == ICAL_NO_RECURRENCE) return;
    rec.week_start = ICAL_MONDAY_WEEKDAY;
    if (rule.count) rec.count = *rule.count;
    if (rule.until) {
        icaltimetype until = blank(allDay);
        until.year = rule.until->year;
        until.month = rule.until->month;
        until.day = rule.until->day;
        if (!allDay) {
            until.hour = 23;
            until.minute = 59;
            until.second = 59;
        }
        rec.until = until;
    }
    std::unique_ptr<icalrecur_iterator, IteratorDeleter> it(icalrecur_iterator_new(rec, wallTime(start, allDay)));
    if (!it) return;
    // A rule that matches nothing for ever ("every 31st of February") must not spin.
    for (int steps = 0; steps < 5000; ++steps) {
        const icaltimetype next = icalrecur_iterator_next(it.get());
        if (icaltime_is_null_time(next)) return;
        if (!visit(fromWallTime(next, allDay))) return;
    }
}

}  // namespace

std::string rruleText(const Recurrence& rule, bool allDay) {
    std::string out = ruleBody(rule);
    if (rule.until) {
        char day[16];
        std::snprintf(day, sizeof day, "%04d%02d%02d", rule.until->year, rule.until->month, rule.until->day);
        out += ";UNTIL=" + (allDay ? std::string(day) : utcEndOfDay(*rule.until));
    }
    if (rule.count) out += ";COUNT=" + std::to_string(*rule.count);
    return out + ";WKST=MO";
}

std::vector<Date> occurrences(const Recurrence& rule, Date start, bool allDay, std::size_t max) {
    std::vector<Date> out;
    if (max == 0) return out;
    walk(rule, start, allDay, [&](Date d) {
        out.push_back(d);
        return out.size() < max;
    });
    return out;
}

std::optional<Date> firstOccurrence(const Recurrence& rule, Date from, bool allDay) {
    // A rule that names no days takes them from its start: any day is on it.
    if (rule.byDay.empty() && rule.byMonthDay.empty() && rule.byMonth.empty()) return from;
    // Walked with every step of the rule and from a day well before `from`, so that
    // `from` itself counts when it is on the rule; the interval counts from the day found.
    Recurrence every = rule;
    every.interval = 1;
    every.count.reset();
    every.until.reset();
    const DateFields f = DateContext::current().fields(from.seconds);
    const int back = rule.frequency == Recurrence::Frequency::Yearly ? 366
                     : rule.frequency == Recurrence::Frequency::Monthly ? 31 : 7;
    const Date early{DateContext::current().fromFields(f.year, f.month, f.day - back, allDay ? 12 : f.hour,
                                                       allDay ? 0 : f.minute)};
    std::optional<Date> found;
    int seen = 0;
    walk(every, early, allDay, [&](Date d) {
        // The walk's own start is not on the rule unless the rule says so.
        if (seen++ == 0 && d.seconds == early.seconds) return true;
        if (d.seconds >= from.seconds) {
            found = d;
            return false;
        }
        return true;
    });
    return found;
}

int occurrencesBefore(const Recurrence& rule, Date start, bool allDay, Date end) {
    Recurrence open = rule;
    open.count.reset();
    int n = 0;
    walk(open, start, allDay, [&](Date d) {
        if (d.seconds >= end.seconds) return false;
        ++n;
        return true;
    });
    return n;
}

}  // namespace linecal
