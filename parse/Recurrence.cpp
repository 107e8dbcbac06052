#include "parse/Recurrence.h"

#include "parse/CivilDays.h"
#include "parse/DateContext.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

namespace linecal {
namespace {

const char* kWeekdayCodes[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};

std::string frequencyName(Recurrence::Frequency f) {
    switch (f) {
        case Recurrence::Frequency::Daily:
            return "DAILY";
        case Recurrence::Frequency::Weekly:
            return "WEEKLY";
        case Recurrence::Frequency::Monthly:
            return "MONTHLY";
        case Recurrence::Frequency::Yearly:
            return "YEARLY";
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

// The days of a rule, one period (a day, a week, a month, a year) after another, on
// the proleptic Gregorian calendar: libical's iterator gives the same days (the tests
// compare the two) but takes tens of microseconds a step, too slow for a keystroke.
class Expander {
public:
    Expander(const Recurrence& rule, long long startDay) : rule_(rule), start_(startDay) {
        civilFromDays(startDay, year_, month_, day_);
        if (rule.until)
            until_ = daysFromCivil(rule.until->year, static_cast<unsigned>(rule.until->month),
                                   static_cast<unsigned>(rule.until->day));
    }

    // Calls `visit` with each day on or after the start, in order, until it returns false,
    // the series ends, or a bounded number of periods has passed.
    template <typename Visit>
    void run(Visit visit) const {
        int emitted = 0;
        for (long long period = 0; period < kPeriods; ++period) {
            for (long long day : daysOf(period)) {
                if (day < start_) continue;
                if (until_ && day > *until_) return;
                if (rule_.count && emitted >= *rule_.count) return;
                ++emitted;
                if (!visit(day)) return;
            }
        }
    }

private:
    static constexpr long long kPeriods = 5000;

    static int monthLength(long long y, unsigned m) {
        static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        return m == 2 && leap ? 29 : lengths[m - 1];
    }
    // 0 = Monday .. 6 = Sunday, the week starting on Monday.
    static int mondayIndex(long long days) { return static_cast<int>(((days + 3) % 7 + 7) % 7); }
    static int mondayIndexOf(int weekday) { return (weekday + 5) % 7; }  // from 1 = Sunday .. 7 = Saturday

    std::vector<long long> daysOf(long long period) const {
        using F = Recurrence::Frequency;
        const long long step = period * std::max(rule_.interval, 1);
        std::vector<long long> days;
        switch (rule_.frequency) {
            case F::Daily:
                days.push_back(start_ + step);
                break;
            case F::Weekly: {
                const long long monday = start_ - mondayIndex(start_) + 7 * step;
                if (rule_.byDay.empty()) days.push_back(monday + mondayIndex(start_));
                for (const auto& w : rule_.byDay) days.push_back(monday + mondayIndexOf(w.day));
                break;
            }
            case F::Monthly: {
                const long long index = year_ * 12 + (month_ - 1) + step;
                monthDays(floorDiv(index, 12), static_cast<unsigned>(index - floorDiv(index, 12) * 12 + 1), days);
                break;
            }
            case F::Yearly: {
                const long long y = year_ + step;
                if (rule_.byMonth.empty()) {
                    if (static_cast<int>(day_) <= monthLength(y, month_))
                        days.push_back(daysFromCivil(y, month_, day_));
                }
                for (int m : rule_.byMonth) monthDays(y, static_cast<unsigned>(m), days);
                break;
            }
        }
        std::sort(days.begin(), days.end());
        days.erase(std::unique(days.begin(), days.end()), days.end());
        return days;
    }

    // The days a rule names in one month: its days of the month, or its weekdays (the n-th,
    // the last, or every one), or else the start's own day.
    void monthDays(long long y, unsigned m, std::vector<long long>& days) const {
        const int length = monthLength(y, m);
        const long long first = daysFromCivil(y, m, 1);
        for (int d : rule_.byMonthDay) {
            const int day = d < 0 ? length + 1 + d : d;
            if (day >= 1 && day <= length) days.push_back(first + day - 1);
        }
        for (const auto& w : rule_.byDay) {
            const int firstOffset = (mondayIndexOf(w.day) - mondayIndex(first) + 7) % 7;
            const long long last = first + length - 1;
            const int lastOffset = (mondayIndex(last) - mondayIndexOf(w.day) + 7) % 7;
            if (w.ordinal > 0) {
                const long long day = first + firstOffset + 7 * (w.ordinal - 1);
                if (day <= last) days.push_back(day);
            } else if (w.ordinal < 0) {
                const long long day = last - lastOffset - 7 * (-w.ordinal - 1);
                if (day >= first) days.push_back(day);
            } else {
                for (long long day = first + firstOffset; day <= last; day += 7) days.push_back(day);
            }
        }
        if (rule_.byMonthDay.empty() && rule_.byDay.empty() && static_cast<int>(day_) <= length)
            days.push_back(first + day_ - 1);
    }

    const Recurrence& rule_;
    long long start_;
    long long year_;
    unsigned month_, day_;
    std::optional<long long> until_;
};

long long localDay(Date d) {
    const DateFields f = DateContext::current().fields(d.seconds);
    return daysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day));
}

// The occurrence on `day` at the start's wall-clock time (all-day items are held at noon).
Date onDay(long long day, Date start, bool allDay) {
    long long y;
    unsigned m, d;
    civilFromDays(day, y, m, d);
    const DateFields f = DateContext::current().fields(start.seconds);
    return Date{DateContext::current().fromFields(static_cast<int>(y), static_cast<int>(m), static_cast<int>(d),
                                                  allDay ? 12 : f.hour, allDay ? 0 : f.minute)};
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
    Expander(rule, localDay(start)).run([&](long long day) {
        out.push_back(onDay(day, start, allDay));
        return out.size() < max;
    });
    return out;
}

std::optional<Date> firstOccurrence(const Recurrence& rule, Date from, bool allDay) {
    // A rule that names no days takes them from its start: any day is on it.
    if (rule.byDay.empty() && rule.byMonthDay.empty() && rule.byMonth.empty()) return from;
    // Every step of the rule, from `from` on; the interval then counts from the day found.
    Recurrence every = rule;
    every.interval = 1;
    every.count.reset();
    every.until.reset();
    std::optional<Date> found;
    Expander(every, localDay(from)).run([&](long long day) {
        found = onDay(day, from, allDay);
        return false;
    });
    return found;
}

int occurrencesBefore(const Recurrence& rule, Date start, bool allDay, Date end) {
    Recurrence open = rule;
    open.count.reset();
    int n = 0;
    Expander(open, localDay(start)).run([&](long long day) {
        if (onDay(day, start, allDay).seconds >= end.seconds) return false;
        ++n;
        return true;
    });
    return n;
}

}  // namespace linecal
