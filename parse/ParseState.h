// Working values of one parse; they live for one call only.
#pragma once

#include "parse/GramIndex.h"
#include "parse/MatchHints.h"
#include "parse/ParsedEntry.h"
#include "regex/RegexService.h"

#include <optional>
#include <string>
#include <vector>

namespace linecal {

// A time of day the text does not give. Compared for exact equality: 0 is noon.
inline constexpr double NoTime = 2147483647.0;

// The text the phases read and cut, in one buffer kept for the whole parse.
// The spaces put around it before each phase go into room left at both ends,
// so wrapping moves nothing, and a cut closes the text up in place. text() is
// a read-only view of the current contents; it stays valid until the next
// change.
class WorkingText {
public:
    WorkingText() = default;
    WorkingText(const WorkingText&) = delete;  // the view points into this one's buffer
    WorkingText& operator=(const WorkingText&) = delete;
    // The text, with `wraps` wraps' worth of room at each end.
    void assign(const icu::UnicodeString& text, int32_t wraps);
    const icu::UnicodeString& text() const {
        if (stale_) refreshView();
        return view_;
    }
    void wrap();
    // Replaces every occurrence of the text with one space.
    void cut(const icu::UnicodeString& recognised);
    // Changes whenever the text may hold pairs or triples of characters it did not
    // hold before: a new text, or a cut of something not bounded by spaces.
    std::uint32_t shape() const { return shape_; }

private:
    void makeRoom();
    void refreshView() const {
        view_.setTo(false, buffer_.data() + begin_, end_ - begin_);
        stale_ = false;
    }
    std::u16string buffer_;
    int32_t begin_ = 0, end_ = 0;
    // Pointed at the text again only when asked for after a change.
    mutable icu::UnicodeString view_;
    mutable bool stale_ = true;
    std::uint32_t shape_ = 0;
};

struct ParseState {
    Date now;
    bool otherNumericOrder = false;
    // The letters M, D and Y in the order numeric dates are read: the locale's
    // (DateContext::dateOrder), or with day and month the other way round.
    const std::string& dateOrder() const;
    hints::Candidates candidates;
    ParsedEntry record;
    WorkingText working;
    const icu::UnicodeString& workingText() const { return working.text(); }
    std::optional<Date> startDate, endDate;
    bool startYearGiven = false, endYearGiven = false;  // the explicit date's text named its year
    // The start or end is on a day the line named as a date: a passed time of today stays today.
    bool startDayTyped = false, endDayTyped = false;
    double startTime = NoTime, endTime = NoTime;
    std::optional<Date> firstWeekday, secondWeekday, todayDate, tomorrowDate;
    double duration = 0, offset = 0;
    // Set by the everyday phrases: a start of today that has passed stays
    // today ("this morning"), and words kept out of every phase's sight until
    // the title is made (their stand-ins are characters U+E000 onwards).
    bool passedTodayStays = false;
    struct KeptWord {
        icu::UnicodeString text;
        icu::UnicodeString follower;  // a connector's next word: the connector goes when it does
    };
    std::vector<KeptWord> keptWords;
    // A repetition read, with what it adds: the hour of a part of the day
    // ("nightly"), and a span to count ("for 6 weeks").
    std::optional<Recurrence> repeat;
    int repeatPartHour = -1;
    int repeatSpanDays = 0, repeatSpanMonths = 0;
    // What the choices between two readings need: the explicit dates as typed
    // with their other meanings, the first weekday as typed and its day before
    // "next" added a week, and the days a passed start and end were before they moved a year.
    struct TypedDate {
        icu::UnicodeString text;
        std::optional<Date> otherOrder;
        bool otherHasYear = false;
        std::string timeText;
    };
    std::optional<TypedDate> startTyped, endTyped;
    std::optional<icu::UnicodeString> weekdayTyped;
    std::optional<Date> weekdayBase;  // the named weekday's coming day, today included
    bool weekdayNext = false;
    std::optional<Date> startBeforeYearMove, endBeforeYearMove;

    // One space at each end, before every phase: it lets each pattern, which
    // begins and ends with a space, match at either end and right after a cut.
    void wrap() { working.wrap(); }
    // The groups of the first match (group 0 first) that starts at `from` or
    // later, or nothing without one; a `from` of hints::kNone (a hint proved no
    // match possible) skips the engine.
    std::optional<rx::Strings> firstMatch(const icu::UnicodeString& pattern, int32_t from) const;
    // Only the matched text (group 0), which spares building the other groups.
    std::optional<icu::UnicodeString> firstMatchedText(const icu::UnicodeString& pattern, int32_t from) const;
    // The groups, with the engine shown only the window [start, start + length).
    std::optional<rx::Strings> firstMatchIn(const icu::UnicodeString& pattern, int32_t start, int32_t length) const;
    // Replaces every occurrence of the recognised text with one space.
    void cut(const icu::UnicodeString& recognised) { working.cut(recognised); }
    // The character pairs and triples of the working text, kept across cuts.
    const hints::GramIndex& grams() const;

private:
    mutable std::string swappedOrder_;
    mutable hints::GramIndex grams_;
    mutable std::uint32_t gramsShape_ = 0;
    mutable bool gramsBuilt_ = false;
};

// The groups of the first match in the window [start, start + length) of a
// text, and the range of the first match from `start` to the end; nothing when
// ICU gives up.
std::optional<rx::Strings> firstGroupsIn(const icu::UnicodeString& text, const icu::UnicodeString& pattern,
                                         int32_t start, int32_t length);
rx::Range firstRangeIn(const icu::UnicodeString& text, const icu::UnicodeString& pattern, int32_t start);

// The phases, in the order the pipeline runs them.
void readTaskWord(ParseState& st);
void readAlarmMarkers(ParseState& st);
void readCalendarTag(ParseState& st);
void readExplicitDates(ParseState& st);
void readTimes(ParseState& st);
void readWeekdays(ParseState& st);
void readToday(ParseState& st);
void readTomorrow(ParseState& st);
void readDuration(ParseState& st);
void readRelativeOffset(ParseState& st);
void readPlusOffset(ParseState& st);
void resolveDates(ParseState& st);
// Notes where the reading chose between two meanings (after the dates are resolved).
void noteChoices(ParseState& st);

// Leading decimal digits as a signed 32-bit value, saturating at the largest.
std::int32_t leadingInt(const icu::UnicodeString& digits);
// Decimal digits with an optional fraction after a ".", as the amount patterns
// capture them ("1.5", "90"); digits of any script count.
double decimalValue(const icu::UnicodeString& number);
// Seconds of a unit text, 0 for a text the unit table does not hold.
std::int32_t unitSeconds(const icu::UnicodeString& unit);

}  // namespace linecal
