#include "parse/NaturalDate.h"

#include "parse/CivilDays.h"
#include "parse/DateContext.h"
#include "parse/DateHelpers.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace linecal {
namespace {

// ASCII-folded, trimmed copy; anything outside ASCII makes the text unreadable.
std::optional<std::string> asciiLower(const icu::UnicodeString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.length()));
    for (int32_t i = 0; i < text.length(); ++i) {
        char16_t c = text[i];
        if (c > 0x7E) return std::nullopt;
        out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    std::size_t b = out.find_first_not_of(" \t"), e = out.find_last_not_of(" \t");
    if (b == std::string::npos) return std::string();
    return out.substr(b, e - b + 1);
}

struct Cursor {
    std::string_view s;
    std::size_t i = 0;
    bool done() const { return i >= s.size(); }
    bool eat(std::string_view word) {
        if (s.substr(i, word.size()) != word) return false;
        i += word.size();
        return true;
    }
    void skipSpaces() {
        while (i < s.size() && s[i] == ' ') ++i;
    }
    // Up to `max` digits; -1 when none.
    int number(int max, int* count = nullptr) {
        int n = 0, k = 0;
        while (k < max && i < s.size() && s[i] >= '0' && s[i] <= '9') n = n * 10 + (s[i++] - '0'), ++k;
        if (count) *count = k;
        return k ? n : -1;
    }
};

// Longest names first so that "march" is not read as "mar" plus junk.
int monthFromName(Cursor& c) {
    static const std::array<std::string_view, 12> full{"january",   "february", "march",    "april",
                                                       "may",       "june",     "july",     "august",
                                                       "september", "october",  "november", "december"};
    for (int m = 0; m < 12; ++m)
        if (c.eat(full[m])) return m + 1;
    for (int m = 0; m < 12; ++m)
        if (c.eat(full[m].substr(0, 3))) return m + 1;
    return 0;
}

int weekdayFromName(Cursor& c) {  // 1 = Sunday .. 7 = Saturday
    static const std::array<std::string_view, 17> names{"sunday", "sun",       "monday", "mon",      "tuesday", "tues",
                                                        "tue",    "wednesday", "wed",    "thursday", "thurs",   "thur",
                                                        "thu",    "friday",    "fri",    "saturday", "sat"};
    static const std::array<int, 17> days{1, 1, 2, 2, 3, 3, 3, 4, 4, 5, 5, 5, 5, 6, 6, 7, 7};
    for (std::size_t k = 0; k < names.size(); ++k)
        if (c.eat(names[k])) return days[k];
    return 0;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

std::optional<Date> dayAtNoon(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
    return Date{DateContext::current().fromFields(year, month, day, 12, 0)};
}

void eatOrdinalSuffix(Cursor& c) {
    for (std::string_view suffix : {"st", "nd", "rd", "th"})
        if (c.eat(suffix)) return;
}

// "may 5", "5th may", and with a year: "march 3 2012", "april 14, 2012", "14 april 2012".
std::optional<Date> readMonthNameDate(std::string_view s, int year, bool* yearGiven) {
    Cursor c{s};
    int month = monthFromName(c), day = -1;
    if (month) {
        c.skipSpaces();
        day = c.number(2);
        eatOrdinalSuffix(c);
        c.eat(",");
    } else {
        day = c.number(2);
        eatOrdinalSuffix(c);
        c.skipSpaces();
        month = monthFromName(c);
    }
    c.skipSpaces();
    int digits = 0;
    if (!c.done()) {
        const int typed = c.number(4, &digits);
        if (digits != 4) return std::nullopt;
        year = typed;
        *yearGiven = true;
    }
    if (!month || day < 0 || !c.done()) return std::nullopt;
    return dayAtNoon(year, month, day);
}

int expandYear(int y, int digits, int nowYear) {
    if (digits == 4) return y;
    if (digits != 2) return -1;
    // Two-digit years fall in the century window around the current year.
    int candidate = nowYear / 100 * 100 + y;
    if (candidate > nowYear + 50) candidate -= 100;
    if (candidate < nowYear - 49) candidate += 100;
    return candidate;
}

std::optional<Date> readNumericDate(std::string_view s, std::string_view ordering, int nowYear, bool* yearGiven) {
    std::vector<std::pair<int, int>> parts;  // value, digit count
    Cursor c{s};
    while (!c.done()) {
        int digits = 0, value = c.number(4, &digits);
        if (value < 0) return std::nullopt;
        parts.emplace_back(value, digits);
        if (c.done()) break;
        if (s[c.i] != '/' && s[c.i] != '-' && s[c.i] != '.') return std::nullopt;
        ++c.i;
    }
    if (parts.size() < 2 || parts.size() > 3) return std::nullopt;
    std::string order;
    for (char ch : ordering)
        if ((ch == 'M' || ch == 'D' || ch == 'Y') && order.find(ch) == std::string::npos) order += ch;
    if (order.size() != 3) order = "MDY";
    if (parts.size() == 2) {
        order.erase(order.find('Y'), 1);
    } else if (parts[0].second == 4) {
        order = "YMD";  // a leading four-digit year is unambiguous whatever the locale
    }
    int year = nowYear, month = 0, day = 0;
    *yearGiven = parts.size() == 3;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        auto [value, digits] = parts[k];
        if (order[k] == 'M') month = value;
        if (order[k] == 'D') day = value;
        if (order[k] == 'Y') year = expandYear(value, digits, nowYear);
    }
    if (year < 1) return std::nullopt;
    // A full date impossible in the locale's order but possible in the other
    // ("24.12.2026", "31/12/2026" typed with month-first dates) was written in
    // the other. Shorter groups are left alone: "14.05" may be a time.
    if (parts.size() == 3 && order != "YMD" && (month > 12 || day > daysInMonth(year, std::clamp(month, 1, 12))))
        if (auto other = dayAtNoon(year, day, month)) return other;
    return dayAtNoon(year, month, day);
}

std::optional<Date> readWeekday(std::string_view s, Date now) {
    Cursor c{s};
    if (c.eat("next")) c.skipSpaces();  // the parser adds the week itself
    int weekday = weekdayFromName(c);
    if (!weekday || !c.done()) return std::nullopt;
    DateContext& ctx = DateContext::current();
    int ahead = (weekday - ctx.weekday(now.seconds) + 7) % 7;  // today's own weekday means today
    DateFields f = ctx.fields(now.seconds);
    return Date{ctx.fromFields(f.year, f.month, f.day + ahead, 12, 0)};
}

// Fixed offsets of the US zone abbreviations, in hours; the letter T may be left off.
std::optional<int> zoneOffset(std::string_view zone) {
    if (zone.size() == 3 && zone[2] != 't') return std::nullopt;
    if (zone.size() < 2 || zone.size() > 3) return std::nullopt;
    int base = 0;
    switch (zone[0]) {
        case 'e':
            base = -5;
            break;
        case 'c':
            base = -6;
            break;
        case 'm':
            base = -7;
            break;
        case 'p':
            base = -8;
            break;
        default:
            return std::nullopt;
    }
    if (zone[1] == 'd') return base + 1;
    if (zone[1] == 's') return base;
    return std::nullopt;
}

std::optional<Date> readTime(std::string_view s, Date now) {
    Cursor c{s};
    int hour = -1, minute = 0, second = 0;
    bool twelveHour = false, pm = false;
    if (c.eat("noon")) {
        hour = 12;
    } else {
        int digits = 0;
        hour = c.number(4, &digits);
        if (hour < 0) return std::nullopt;
        if (digits >= 3) {  // 430 or 1630: hour and minute written together
            minute = hour % 100;
            hour /= 100;
        } else if (c.eat(":")) {
            minute = c.number(2, &digits);
            if (digits != 2) return std::nullopt;
            if (c.eat(":")) {
                second = c.number(2, &digits);
                if (digits != 2) return std::nullopt;
            }
        }
        c.skipSpaces();
        if (c.eat("am") || c.eat("a")) {
            twelveHour = true;
        } else if (c.eat("pm") || c.eat("p")) {
            twelveHour = pm = true;
        }
    }
    c.skipSpaces();
    std::optional<int> offsetHours;
    if (!c.done()) {
        offsetHours = zoneOffset(c.s.substr(c.i));
        if (!offsetHours) return std::nullopt;
    }
    if (minute > 59 || second > 59) return std::nullopt;
    if (twelveHour) {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (pm ? 12 : 0);
    } else if (hour > 23) {
        return std::nullopt;
    }
    DateContext& ctx = DateContext::current();
    DateFields today = ctx.fields(now.seconds);
    if (offsetHours) {
        double days = static_cast<double>(
            daysFromCivil(today.year, static_cast<unsigned>(today.month), static_cast<unsigned>(today.day)));
        return Date{days * 86400 + hour * 3600 + minute * 60 + second - *offsetHours * 3600};
    }
    return Date{ctx.fromFields(today.year, today.month, today.day, hour, minute) + second};
}

std::optional<Date> readAnyDate(const icu::UnicodeString& text, Date now, std::string_view ordering, bool& yearGiven) {
    std::optional<std::string> folded = asciiLower(text);
    if (!folded || folded->empty()) return std::nullopt;
    const std::string& s = *folded;
    if (s == "today") return now;
    if (s == "tomorrow") return addOneDay(noon(now));
    const int nowYear = DateContext::current().fields(now.seconds).year;
    if (s.front() >= '0' && s.front() <= '9') {
        if (auto d = readNumericDate(s, ordering, nowYear, &yearGiven)) return d;
        yearGiven = false;
        if (auto d = readTime(s, now)) return d;
        return readMonthNameDate(s, nowYear, &yearGiven);
    }
    if (auto d = readWeekday(s, now)) return d;
    if (auto d = readMonthNameDate(s, nowYear, &yearGiven)) return d;
    yearGiven = false;
    return readTime(s, now);
}

}  // namespace

std::optional<Date> dateWithNaturalLanguageString(const icu::UnicodeString& text, Date now, std::string_view ordering,
                                                  bool* yearGiven) {
    bool typedYear = false;
    std::optional<Date> d = readAnyDate(text, now, ordering, typedYear);
    if (yearGiven) *yearGiven = d && typedYear;
    return d;
}

NumericDateDoubt numericDateDoubt(const icu::UnicodeString& text, Date now, std::string_view ordering) {
    NumericDateDoubt doubt;
    std::optional<std::string> folded = asciiLower(text);
    if (!folded || folded->empty() || folded->size() > 10) return doubt;
    const std::string& s = *folded;
    int parts[3] = {}, digits[3] = {}, count = 0;
    Cursor c{s};
    while (!c.done() && count < 3) {
        parts[count] = c.number(4, &digits[count]);
        if (parts[count] < 0) return doubt;
        ++count;
        if (c.done()) break;
        if (s[c.i] != '/' && s[c.i] != '-' && s[c.i] != '.') return doubt;
        ++c.i;
    }
    if (!c.done() || count < 2) return doubt;
    const bool clockLike = count == 2 && s.size() == static_cast<std::size_t>(digits[0] + 3) &&
                           s[static_cast<std::size_t>(digits[0])] == '.' && digits[1] == 2;
    if (clockLike && parts[0] <= 23 && parts[1] <= 59)
        doubt.timeText = (parts[0] < 10 ? "0" : "") + std::to_string(parts[0]) + ":" + s.substr(s.size() - 2);
    const bool eitherWay = digits[0] <= 2 && parts[0] >= 1 && parts[0] <= 12 && parts[1] >= 1 && parts[1] <= 12;
    if (eitherWay && parts[0] != parts[1]) {
        std::string swapped(ordering.empty() ? std::string_view("MDY") : ordering);
        for (char& ch : swapped) ch = ch == 'M' ? 'D' : ch == 'D' ? 'M' : ch;
        doubt.otherOrder =
            readNumericDate(s, swapped, DateContext::current().fields(now.seconds).year, &doubt.yearGiven);
    }
    return doubt;
}

}  // namespace linecal
