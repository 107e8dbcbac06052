#include "parse/ParseEntry.h"

#include "parse/DateContext.h"
#include "parse/DateHelpers.h"
#include "parse/MatchHints.h"
#include "parse/ParseState.h"
#include "parse/Patterns.h"
#include "parse/TextHelpers.h"
#include "parse/everyday/Everyday.h"

#include <unicode/uchar.h>

#include <chrono>

namespace linecal {
namespace {

// Space, tab and the other space separators; line breaks are not trimmed here.
void trimBlanks(icu::UnicodeString& s) {
    int32_t end = s.length();
    while (end > 0 && u_isblank(s.char32At(end - 1))) end = s.moveIndex32(end, -1);
    int32_t start = 0;
    while (start < end && u_isblank(s.char32At(start))) start = s.moveIndex32(start, 1);
    s.retainBetween(start, end);
}

void stripConnectors(icu::UnicodeString& text) {
    static const icu::UnicodeString trailing[] = {u" on", u" in", u" at", u" from", u" for", u" through", u" to", u" -"};
    static const icu::UnicodeString leading[] = {u"on ", u"in ", u"at ", u"from ", u"for ", u"through ", u"to ", u"- "};
    // Ten passes each; within a pass the text is not trimmed again, so a connector
    // bared by an earlier removal waits for the next pass unless it comes later in the
    // list. A pass that removes nothing leaves a text the next passes cannot change.
    for (int pass = 0; pass < 10; ++pass) {
        trimBlanks(text);
        bool removed = false;
        for (const auto& c : trailing) {
            if (text.length() >= c.length() && text.compare(text.length() - c.length(), c.length(), c) == 0) {
                text.truncate(text.length() - c.length());
                removed = true;
            }
        }
        if (!removed) break;
    }
    for (int pass = 0; pass < 10; ++pass) {
        trimBlanks(text);
        bool removed = false;
        for (const auto& c : leading) {
            if (text.startsWith(c)) {
                text.remove(0, c.length());
                removed = true;
            }
        }
        if (!removed) break;
    }
    text = ZQtrim(text);
}

void readLocation(ParseState& st) {
    if (!st.present.has(u't')) return;
    auto g = st.firstMatch(patterns::location(), hints::literalStart(st.workingText, {u" at "}));
    if (!g || g->size() < 2) return;
    st.record.location = (*g)[1];
    st.cut((*g)[0]);
}

}  // namespace

Date currentDate() {
    using namespace std::chrono;
    return Date{duration<double>(system_clock::now().time_since_epoch()).count()};
}

ParsedEntry parseEntry(const icu::UnicodeString& text, Date now) {
    DateContext::Pin pinned;
    ParseState st;
    st.now = now;
    st.present = AsciiPresent(text);
    st.workingText = icu::UnicodeString(text.length() + 32, 0, 0);  // room for the wrapping spaces
    st.workingText.append(u' ').append(text).append(u' ');
    readTaskWord(st);
    readAlarmMarkers(st);
    readCalendarTag(st);
    everyday::readRanges(st);
    everyday::keepWords(st);
    readExplicitDates(st);
    everyday::readHolidays(st);
    everyday::readDaysAroundToday(st);
    everyday::readDayOfMonth(st);
    everyday::readPeriods(st);
    readTimes(st);
    everyday::readPartsOfDay(st);
    readWeekdays(st);
    readToday(st);
    readTomorrow(st);
    readDuration(st);
    readRelativeOffset(st);
    everyday::readAmountsInWords(st);
    readPlusOffset(st);
    resolveDates(st);
    everyday::restoreKeptWords(st);
    stripConnectors(st.workingText);
    readLocation(st);
    st.record.title = ZQtrim(st.workingText);
    return std::move(st.record);
}

ParsedEntry parseEntry(const icu::UnicodeString& text) { return parseEntry(text, currentDate()); }

}  // namespace linecal
