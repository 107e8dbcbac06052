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
#include <string_view>

namespace linecal {
namespace {

// Space, tab and the other space separators; line breaks are not trimmed here.
// None lies outside the BMP, so each code unit can be tested on its own.
bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || (c >= 0x80 && u_isblank(c)); }

void stripConnectors(icu::UnicodeString& text) {
    using View = std::u16string_view;
    static constexpr View trailing[] = {u" on", u" in", u" at", u" from", u" for", u" through", u" to", u" -"};
    static constexpr View leading[] = {u"on ", u"in ", u"at ", u"from ", u"for ", u"through ", u"to ", u"- "};
    // The text is narrowed to [start, end) and cut once at the end.
    const char16_t* p = text.getBuffer();
    int32_t start = 0, end = text.length();
    auto trimBlanks = [&] {
        while (end > start && isBlank(p[end - 1])) --end;
        while (start < end && isBlank(p[start])) ++start;
    };
    auto rest = [&] { return View(p + start, static_cast<std::size_t>(end - start)); };
    // Ten passes each; within a pass the text is not trimmed again, so a connector
    // bared by an earlier removal waits for the next pass unless it comes later in the
    // list. A pass that removes nothing leaves a text the next passes cannot change.
    for (int pass = 0; pass < 10; ++pass) {
        trimBlanks();
        bool removed = false;
        for (View c : trailing) {
            if (rest().ends_with(c)) {
                end -= static_cast<int32_t>(c.size());
                removed = true;
            }
        }
        if (!removed) break;
    }
    for (int pass = 0; pass < 10; ++pass) {
        trimBlanks();
        bool removed = false;
        for (View c : leading) {
            if (rest().starts_with(c)) {
                start += static_cast<int32_t>(c.size());
                removed = true;
            }
        }
        if (!removed) break;
    }
    text.retainBetween(start, end);
    tidyInPlace(text);
}

void readLocation(ParseState& st) {
    if (!st.candidates.atWord) return;
    auto g = st.firstMatch(patterns::location(), hints::literalStart(st.workingText(), {u" at "}));
    if (!g || g->size() < 2) return;
    st.record.location = (*g)[1];
    st.cut((*g)[0]);
}

}  // namespace

Date currentDate() {
    using namespace std::chrono;
    return Date{duration<double>(system_clock::now().time_since_epoch()).count()};
}

// The wraps of one parse: one at the start and one before each phase or pass.
constexpr int32_t kWraps = 14;

ParsedEntry parseEntry(const icu::UnicodeString& text, Date now, const ParseOptions& options) {
    DateContext::Pin pinned;
    ParseState st;
    st.now = now;
    st.otherNumericOrder = options.otherNumericOrder;
    st.candidates = hints::scanCandidates(text);
    st.working.assign(text, kWraps);
    st.wrap();
    readTaskWord(st);
    readAlarmMarkers(st);
    readCalendarTag(st);
    everyday::readRepetition(st);
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
    everyday::prepareRepetition(st);
    resolveDates(st);
    noteChoices(st);
    everyday::finishRepetition(st);
    everyday::restoreKeptWords(st);
    icu::UnicodeString rest(st.workingText());
    stripConnectors(rest);
    st.working.assign(rest, 0);
    readLocation(st);
    st.record.title = st.workingText();
    tidyInPlace(st.record.title);
    return std::move(st.record);
}

ParsedEntry parseEntry(const icu::UnicodeString& text) { return parseEntry(text, currentDate()); }

}  // namespace linecal
