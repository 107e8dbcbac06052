#include "parse/Alternatives.h"

#include "parse/ParseEntry.h"

#include <unicode/uchar.h>

namespace linecal {
namespace {

bool isWordChar(const icu::UnicodeString& s, int32_t i) { return i >= 0 && i < s.length() && u_isalnum(s.char32At(i)); }

// Every occurrence standing as words of its own, as the phases cut them.
bool replaceWords(icu::UnicodeString& text, const icu::UnicodeString& typed, const icu::UnicodeString& instead) {
    bool replaced = false;
    for (int32_t at = text.indexOf(typed); at >= 0 && !typed.isEmpty(); at = text.indexOf(typed, at)) {
        const int32_t end = at + typed.length();
        if (isWordChar(text, at - 1) || isWordChar(text, end)) {
            at = end;
            continue;
        }
        text.replace(at, typed.length(), instead);
        at += instead.length();
        replaced = true;
    }
    return replaced;
}

bool readsAlike(const ParsedEntry& a, const ParsedEntry& b) {
    return a.fromDate == b.fromDate && a.toDate == b.toDate && a.allDay == b.allDay && a.title == b.title;
}

constexpr Choice kChoices[] = {Choice::DateOrder, Choice::NextWeekday, Choice::WeekdayToday, Choice::DotTime,
                               Choice::PassedDate};

}  // namespace

std::string_view choiceName(Choice choice) {
    switch (choice) {
        case Choice::DateOrder:
            return "date-order";
        case Choice::NextWeekday:
            return "next-weekday";
        case Choice::WeekdayToday:
            return "weekday-today";
        case Choice::DotTime:
            return "dot-time";
        case Choice::PassedDate:
            return "passed-date";
    }
    return "";
}

std::vector<Alternative> alternativesOf(const icu::UnicodeString& text, const ParsedEntry& record, Date now,
                                        const ParseOptions& options, std::size_t most) {
    std::vector<Alternative> out;
    if (record.choices.empty()) return out;
    for (Choice choice : kChoices) {
        if (out.size() >= most) break;
        icu::UnicodeString rewritten(text);
        bool changed = false;
        // Both dates of a line flip together ("5/12 to 6/12").
        for (const ChoiceMade& made : record.choices)
            if (made.choice == choice) changed = replaceWords(rewritten, made.typed, made.instead) || changed;
        if (!changed) continue;
        ParsedEntry other = parseEntry(rewritten, now, options);
        if (readsAlike(other, record)) continue;
        out.push_back({choice, std::move(rewritten), std::move(other)});
    }
    return out;
}

}  // namespace linecal
