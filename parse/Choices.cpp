// Where the reading chose between two meanings of what was typed, each choice
// with text that reads the other way and asks for no choice: a date with its
// month's name (and its year when it is not this year's, or has passed), a
// clock time with a colon. A weekday's other day is written as a date alone:
// beside a date, a weekday name wins.
#include "parse/CivilDays.h"
#include "parse/DateContext.h"
#include "parse/DateHelpers.h"
#include "parse/ParseState.h"

#include <array>
#include <string>

namespace linecal {
namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct Days {
    DateContext& ctx;
    DateFields today;
    long long todayNumber;

    explicit Days(Date now) : ctx(DateContext::current()), today(ctx.fields(now.seconds)), todayNumber(number(now)) {}

    long long number(Date d) {
        const DateFields f = ctx.fields(d.seconds);
        return daysFromCivil(f.year, static_cast<unsigned>(f.month), static_cast<unsigned>(f.day));
    }
    // Without its year a day reads as this year's, moved on a year once passed.
    icu::UnicodeString text(Date d) {
        const DateFields f = ctx.fields(d.seconds);
        std::string s;
        s.append(std::to_string(f.day)).append(" ").append(kMonths[static_cast<std::size_t>(f.month - 1)]);
        if (f.year != today.year || number(d) < todayNumber) s.append(" ").append(std::to_string(f.year));
        return icu::UnicodeString::fromUTF8(s);
    }
};

// "next Friday" without its "next" (and the space that may follow it).
icu::UnicodeString withoutNext(const icu::UnicodeString& typed) {
    icu::UnicodeString rest(typed);
    const int32_t at = rest.indexOf(u"next");
    if (at >= 0) rest.remove(at, 4);
    rest.trim();
    return rest;
}

// The words as typed, without the spaces the patterns take in around them.
icu::UnicodeString words(const icu::UnicodeString& matched) {
    icu::UnicodeString w(matched);
    return w.trim();
}

void noteDateChoices(ParseState& st, Days& days) {
    auto& out = st.record.choices;
    const std::optional<ParseState::TypedDate>* typed[] = {st.startDayTyped ? &st.startTyped : nullptr,
                                                           st.endDayTyped ? &st.endTyped : nullptr};
    for (const auto* t : typed) {
        if (!t || !*t || !(*t)->otherOrder) continue;
        Date other = *(*t)->otherOrder;
        if (!(*t)->otherHasYear && days.number(other) < days.todayNumber) other = addOneYear(other);
        out.push_back({Choice::DateOrder, words((*t)->text), days.text(other)});
    }
    for (const auto* t : typed)
        if (t && *t && !(*t)->timeText.empty())
            out.push_back({Choice::DotTime, words((*t)->text), icu::UnicodeString::fromUTF8((*t)->timeText)});
    const std::optional<Date>* unmoved[] = {&st.startBeforeYearMove, &st.endBeforeYearMove};
    for (int k = 0; k < 2; ++k)
        if (*unmoved[k] && typed[k] && *typed[k])
            out.push_back({Choice::PassedDate, words((*typed[k])->text), days.text(**unmoved[k])});
}

void noteWeekdayChoices(ParseState& st, Days& days) {
    // Only while the weekday holds the start: today, tomorrow and offsets replace it.
    if (!st.weekdayTyped || !st.firstWeekday || !st.weekdayBase || st.todayDate || st.offset != 0) return;
    const Date base = *st.weekdayBase;
    const bool baseIsToday = days.number(base) == days.todayNumber;
    auto& out = st.record.choices;
    if (st.weekdayNext) {
        // The reading is a week after the coming day, today included; the other
        // is the first one after today, or the week after that where they agree.
        if (baseIsToday)
            out.push_back({Choice::NextWeekday, words(*st.weekdayTyped), days.text(addOneWeek(addOneWeek(base)))});
        else out.push_back({Choice::NextWeekday, words(*st.weekdayTyped), withoutNext(*st.weekdayTyped)});
    } else if (baseIsToday) {
        const bool movedAWeek = days.number(st.record.fromDate) > days.todayNumber;
        out.push_back({Choice::WeekdayToday, words(*st.weekdayTyped), days.text(movedAWeek ? base : addOneWeek(base))});
    }
}

}  // namespace

void noteChoices(ParseState& st) {
    if (!st.startTyped && !st.weekdayTyped) return;
    Days days(st.now);
    noteDateChoices(st, days);
    noteWeekdayChoices(st, days);
}

}  // namespace linecal
