// Entry lines built to make a parser slow: each repeats a worst case of one
// phase (or of the cutting all phases share) up to a requested length. Every
// line must parse in time linear in its length.
#pragma once

#include <unicode/unistr.h>

#include <array>
#include <cstdint>

namespace linecal::bench {

struct AdversarialShape {
    const char* name;
    const char16_t* head;    // once at the start
    const char16_t* repeat;  // repeated to the length
    const char16_t* tail;    // once at the end
};

inline constexpr std::array<AdversarialShape, 33> kAdversarialShapes{{
    {"open_tags", u"x", u" [a", u""},
    {"close_runs", u"x [", u"]x", u""},
    {"tag_then_close_runs", u"x [a", u"]x ]", u"x"},
    {"alternating_brackets", u"x", u" [ ]", u" y"},
    {"double_open", u"x", u" [[", u""},
    {"open_tags_then_line_with_tag", u"x", u" [", u"\n [a] "},
    {"many_tags", u"x", u" [a] [b]x", u""},
    {"numeric_dates", u"x", u" 5/12", u""},
    {"month_dates", u"x", u" May 5", u""},
    {"dates_with_year", u"x", u" March 3, 2012", u""},
    {"decimal_amounts", u"x", u" for 1.5 hours in 2.5 days", u""},
    {"times", u"x", u" 4pm 10:30am EST", u""},
    {"for_words", u"x", u" for", u" 2 hours"},
    {"for_digits", u"x for ", u"1", u""},
    {"for_tabs", u"x for 1", u"\t", u"x"},
    {"in_digits", u"x in ", u"2", u".5"},
    {"plus_digits", u"x +", u"9", u""},
    {"weekdays", u"x", u" next Mon", u""},
    {"alarms", u"x", u" @15m", u""},
    {"alarm_digits", u"x @", u"1", u""},
    {"at_words", u"x", u" at", u" y"},
    {"at_at", u"x", u"at at ", u"y"},
    {"task_words", u"x", u" todo", u""},
    {"spaces", u"x", u" ", u"y"},
    {"tabs_and_spaces", u"x", u"\t \u00a0", u"y"},
    {"line_breaks", u"x", u" [a\n", u"] "},
    {"noon_zones", u"x", u" noon PST", u""},
    {"today_tomorrow", u"x", u" today tomorrow", u""},
    {"brackets_and_dates", u"x", u" [5/12 4pm", u" ]"},
    {"plain_words", u"x", u" lunch", u""},
    {"weekday_lists", u"x every", u" mon,", u" and fri"},
    {"every_words", u"x", u" every", u" day until 6/30"},
    {"repeat_ends", u"x every Monday", u" until 6/30 10 times", u""},
}};

// The shape repeated to at least `units` UTF-16 code units.
inline icu::UnicodeString adversarialLine(const AdversarialShape& shape, int32_t units) {
    icu::UnicodeString line(shape.head);
    const icu::UnicodeString repeat(shape.repeat);
    while (line.length() < units) line += repeat;
    line += shape.tail;
    return line;
}

}  // namespace linecal::bench
