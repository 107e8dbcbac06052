#include "items/RepetitionWords.h"

#include "parse/DateContext.h"

#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>

#include <memory>

namespace linecal {
namespace {

const char16_t* const kDayNames[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                     u"Thursday", u"Friday", u"Saturday"};
const char16_t* const kPlaces[] = {u"first", u"second", u"third", u"fourth", u"fifth"};

// "Monday", "Monday and Thursday", "Monday, Tuesday and Friday".
icu::UnicodeString listed(const std::vector<icu::UnicodeString>& items) {
    icu::UnicodeString out;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += i + 1 == items.size() ? u" and " : u", ";
        out += items[i];
    }
    return out;
}

icu::UnicodeString ordinal(int n) {
    const int tens = n % 100, ones = n % 10;
    const char16_t* suffix = tens >= 11 && tens <= 13 ? u"th"
                             : ones == 1              ? u"st"
                             : ones == 2              ? u"nd"
                             : ones == 3              ? u"rd"
                                                      : u"th";
    return icu::UnicodeString(std::to_string(n).c_str(), -1, US_INV) + suffix;
}

icu::UnicodeString every(int interval, const char16_t* unit) {
    if (interval <= 1) return icu::UnicodeString(u"every ") + unit;
    return icu::UnicodeString(u"every ") + icu::UnicodeString(std::to_string(interval).c_str(), -1, US_INV) + u" " +
           unit + u"s";
}

bool sameDays(const Recurrence& r, std::initializer_list<int> days) {
    if (r.byDay.size() != days.size()) return false;
    std::size_t i = 0;
    for (int d : days)
        if (r.byDay[i].ordinal != 0 || r.byDay[i++].day != d) return false;
    return true;
}

icu::UnicodeString placeName(int ordinal) { return ordinal < 0 ? u"last" : kPlaces[std::min(ordinal, 5) - 1]; }

icu::UnicodeString weekdayNames(const Recurrence& r, bool withPlace) {
    std::vector<icu::UnicodeString> names;
    // "the second and fourth Tuesday" when the places share one weekday.
    bool oneDay = withPlace && !r.byDay.empty();
    for (const auto& w : r.byDay) oneDay = oneDay && w.day == r.byDay.front().day && w.ordinal != 0;
    if (oneDay) {
        for (const auto& w : r.byDay) names.push_back(placeName(w.ordinal));
        return listed(names) + u" " + kDayNames[(r.byDay.front().day + 6) % 7];
    }
    for (const auto& w : r.byDay) {
        icu::UnicodeString name;
        if (withPlace && w.ordinal != 0) name = placeName(w.ordinal) + u" ";
        names.push_back(name + kDayNames[(w.day + 6) % 7]);
    }
    return listed(names);
}

// "May 5" in the default locale's own order and month names.
icu::UnicodeString monthAndDay(int month, int day) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::getDefault();
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    if (U_FAILURE(status)) return {};
    const icu::UnicodeString pattern = generator->getBestPattern(u"MMMMd", status);
    icu::SimpleDateFormat format(pattern, locale, status);
    const double at = DateContext::current().fromFields(2000, month, day, 12, 0) * 1000.0;
    icu::UnicodeString out;
    format.format(at, out);
    return U_SUCCESS(status) ? out : icu::UnicodeString();
}

icu::UnicodeString periodWords(const Recurrence& r) {
    using F = Recurrence::Frequency;
    switch (r.frequency) {
        case F::Daily:
            return every(r.interval, u"day");
        case F::Weekly:
            if (r.byDay.empty()) return every(r.interval, u"week");
            if (r.interval <= 1 && sameDays(r, {2, 3, 4, 5, 6})) return u"every weekday";
            if (r.interval <= 1) return icu::UnicodeString(u"every ") + weekdayNames(r, false);
            return every(r.interval, u"week") + u" on " + weekdayNames(r, false);
        case F::Monthly: {
            icu::UnicodeString out = every(r.interval, u"month");
            if (!r.byMonthDay.empty()) {
                std::vector<icu::UnicodeString> days;
                for (int d : r.byMonthDay)
                    days.push_back(d < 0 ? icu::UnicodeString(u"the last day") : u"the " + ordinal(d));
                out += icu::UnicodeString(u" on ") + listed(days);
            } else if (!r.byDay.empty()) {
                out += icu::UnicodeString(u" on the ") + weekdayNames(r, true);
            }
            return out;
        }
        case F::Yearly: {
            icu::UnicodeString out = every(r.interval, u"year");
            if (r.byMonth.size() == 1 && r.byMonthDay.size() == 1)
                out += icu::UnicodeString(u" on ") + monthAndDay(r.byMonth[0], r.byMonthDay[0]);
            return out;
        }
    }
    return {};
}

}  // namespace

icu::UnicodeString repetitionWords(const Recurrence& rule) {
    icu::UnicodeString out = periodWords(rule);
    if (rule.until) {
        const double day =
            DateContext::current().fromFields(rule.until->year, rule.until->month, rule.until->day, 12, 0);
        out += icu::UnicodeString(u" until ") + DateContext::current().formatShort(day, false);
    }
    if (rule.count)
        out += icu::UnicodeString(u", ") + icu::UnicodeString(std::to_string(*rule.count).c_str(), -1, US_INV) +
               (*rule.count == 1 ? u" time" : u" times");
    return out;
}

icu::UnicodeString ZQoccurrencesLine(const CalendarItem& item) {
    if (item.notRepeated) return *item.notRepeated;
    if (!item.recurrence) return {};
    std::optional<Date> start;
    bool allDay = true;
    if (const auto* event = dynamic_cast<const Event*>(&item)) {
        start = event->startDate;
        allDay = event->isAllDay;
    } else if (const auto* task = dynamic_cast<const Task*>(&item)) {
        start = task->dueDate;
        allDay = false;
    }
    if (!start) return {};
    icu::UnicodeString line(u"Next: ");
    const auto days = occurrences(*item.recurrence, *start, allDay, 3);
    for (std::size_t i = 0; i < days.size(); ++i) {
        if (i > 0) line += u"; ";
        line += DateContext::current().formatShort(days[i].seconds, !allDay);
    }
    return line;
}

}  // namespace linecal
