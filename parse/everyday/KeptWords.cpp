// Words that must reach the title as typed, whatever the date and time phases
// would make of them: a numeric group that gives no date ("Call 555-1234"), a
// number with a unit of measure ("Buy 2.5 kg flour"). Each is swapped for one
// stand-in character that no phase reads, and put back before the title is
// made. The connectors "by", "due" and "before" are swapped too, and come back
// only when the word after them was not read as a date or time.
#include "parse/DateContext.h"
#include "parse/NaturalDate.h"
#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"

#include <algorithm>
#include <vector>

namespace linecal::everyday {
namespace {

constexpr char16_t kFirstStandIn = 0xE000;
constexpr std::size_t kMostKept = 0x100;

bool isStandIn(char16_t c) { return c >= kFirstStandIn && c < kFirstStandIn + kMostKept; }

// The numeric alternative of the date patterns, as one word.
const icu::UnicodeString& numericGroup() {
    static const icu::UnicodeString& p = kept(uR"((?<= )[0-9]{1,4}[-/.][0-9]{1,4}[-/.]?[0-9]{0,4}(?= ))");
    return p;
}
const icu::UnicodeString& amountWithUnit() {
    static const icu::UnicodeString& p =
        kept(uR"((?<= )[0-9]+(?:[.,][0-9]+)? ?(?i:kg|lbs?|oz|km|mi|ml|g|m|l|%|x)(?= ))");
    return p;
}
const icu::UnicodeString& connector() {
    static const icu::UnicodeString& p = kept(uR"((?<= )(?i:by|due|(?<!(?i:day) )before)(?= [^ ]))");
    return p;
}

struct Found {
    int32_t start, length;
    icu::UnicodeString follower;
};

// "for 10.45 minutes" and "in 5 m" are amounts the duration and offset phases read.
bool afterAmountWord(const icu::UnicodeString& text, int32_t start) {
    return (start >= 5 && text.compare(start - 5, 5, u" for ") == 0) ||
           (start >= 4 && text.compare(start - 4, 4, u" in ") == 0);
}

bool readsAsDate(const ParseState& st, const icu::UnicodeString& group) {
    return dateWithNaturalLanguageString(group, st.now, st.dateOrder()).has_value();
}

// Every match in one pass of the engine (a search per match would start over
// on the whole text each time); their places are found in order from the texts.
template <typename Keep>
void collect(const ParseState& st, const icu::UnicodeString& pattern, std::vector<Found>& into, Keep keep) {
    const icu::UnicodeString& text = st.workingText();
    std::optional<std::vector<rx::Strings>> matches;
    try {
        matches = rx::arrayOfCaptureComponentsMatchedByRegex(rx::UnicodeText(text), pattern);
    } catch (const rx::RegexException&) {
        return;  // ICU gave up: nothing is kept
    }
    if (!matches) return;
    int32_t from = 0;
    std::size_t looked = 0;
    for (const rx::Strings& groups : *matches) {
        if (groups.empty() || groups[0].isEmpty() || ++looked > kMostKept) return;
        // Every pattern here has a space before and after its match.
        const int32_t length = groups[0].length();
        int32_t start = text.indexOf(groups[0], from);
        while (start > 0 &&
               (text[start - 1] != u' ' || start + length >= text.length() || text[start + length] != u' '))
            start = text.indexOf(groups[0], start + 1);
        if (start <= 0) return;
        if (!afterAmountWord(text, start)) {
            if (auto follower = keep(groups[0], start + length)) into.push_back({start, length, *follower});
        }
        from = start + length;
    }
}

icu::UnicodeString nextWord(const icu::UnicodeString& text, int32_t at) {
    while (at < text.length() && text[at] == u' ') ++at;
    int32_t end = at;
    while (end < text.length() && text[end] != u' ') ++end;
    return icu::UnicodeString(text, at, end - at);
}

}  // namespace

void keepWords(ParseState& st) {
    st.wrap();
    const icu::UnicodeString& text = st.workingText();
    for (int32_t i = 0; i < text.length(); ++i)
        if (isStandIn(text[i])) return;  // the user's own text holds such characters: keep nothing
    std::vector<Found> found;
    if (st.candidates.digit && hasDigitSeparatorDigit(text)) {
        collect(st, numericGroup(), found, [&](const icu::UnicodeString& w, int32_t) {
            return readsAsDate(st, w) ? std::nullopt : std::optional<icu::UnicodeString>(u"");
        });
    }
    if (st.candidates.digit && hasDigitThenUnitLetter(text)) {
        collect(st, amountWithUnit(), found,
                [](const icu::UnicodeString&, int32_t) { return std::optional<icu::UnicodeString>(u""); });
    }
    static const WordList kConnectors{u"by", u"due", u"before"};
    if (mentions(st, kConnectors)) {
        collect(st, connector(), found, [&](const icu::UnicodeString&, int32_t end) {
            return std::optional<icu::UnicodeString>(nextWord(text, end));
        });
    }
    if (found.empty()) return;
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.start < b.start; });
    icu::UnicodeString masked(text.length(), 0, 0);
    int32_t copied = 0;
    for (const Found& f : found) {
        if (f.start < copied || st.keptWords.size() >= kMostKept) continue;  // overlaps what is kept
        masked.append(text, copied, f.start - copied);
        masked.append(static_cast<char16_t>(kFirstStandIn + st.keptWords.size()));
        st.keptWords.push_back({icu::UnicodeString(text, f.start, f.length), f.follower});
        copied = f.start + f.length;
    }
    masked.append(text, copied, text.length() - copied);
    st.working.assign(masked, kWrapsLeft);
}

bool keepUnreadDate(ParseState& st, const icu::UnicodeString& dateText) {
    const icu::UnicodeString& text = st.workingText();
    if (st.keptWords.size() >= kMostKept) return false;
    for (int32_t i = 0; i < text.length(); ++i)
        if (isStandIn(text[i]) && st.keptWords.empty()) return false;  // the user's own, as keepWords found
    int32_t from = 0, to = dateText.length();
    while (from < to && dateText[from] == u' ') ++from;
    while (to > from && dateText[to - 1] == u' ') --to;
    const int32_t at = text.indexOf(dateText);
    if (from == to || at < 0) return false;
    icu::UnicodeString masked(text);
    masked.replace(at + from, to - from, static_cast<char16_t>(kFirstStandIn + st.keptWords.size()));
    st.keptWords.push_back({icu::UnicodeString(dateText, from, to - from), u""});
    // A month name makes it meant as a date; a number group may be anything ("in 222.5").
    const icu::UnicodeString& kept = st.keptWords.back().text;
    bool named = false;
    for (int32_t i = 0; i < kept.length() && !named; ++i) named = (kept[i] | 0x20) >= u'a' && (kept[i] | 0x20) <= u'z';
    if (named) st.record.notDates.push_back(kept);
    st.working.assign(masked, kWrapsLeft);
    return true;
}

void restoreKeptWords(ParseState& st) {
    if (st.keptWords.empty()) return;
    auto keptAt = [&](const icu::UnicodeString& t, int32_t i) -> const ParseState::KeptWord* {
        if (!isStandIn(t[i]) || static_cast<std::size_t>(t[i] - kFirstStandIn) >= st.keptWords.size()) return nullptr;
        return &st.keptWords[t[i] - kFirstStandIn];
    };
    // First the kept words; then the connectors, right to left, so that each
    // sees whether the connector after it stays.
    icu::UnicodeString text(st.workingText().length() + 64, 0, 0);
    for (int32_t i = 0; i < st.workingText().length(); ++i) {
        const ParseState::KeptWord* kept = keptAt(st.workingText(), i);
        if (kept && kept->follower.isEmpty()) {
            text.append(kept->text);
        } else {
            text.append(st.workingText()[i]);
        }
    }
    std::vector<int32_t> connectors;
    for (int32_t i = 0; i < text.length(); ++i)
        if (keptAt(text, i)) connectors.push_back(i);
    std::vector<bool> stays(connectors.size());
    for (std::size_t k = connectors.size(); k-- > 0;) {
        int32_t at = connectors[k] + 1;
        std::size_t next = k + 1;
        // Skip the connectors after this one that go.
        for (;;) {
            while (at < text.length() && text[at] == u' ') ++at;
            if (next < connectors.size() && connectors[next] == at && !stays[next]) {
                ++at;
                ++next;
                continue;
            }
            break;
        }
        const icu::UnicodeString& follower = keptAt(text, connectors[k])->follower;
        const icu::UnicodeString following =
            next < connectors.size() && connectors[next] == at ? keptAt(text, at)->text : nextWord(text, at);
        stays[k] = following == follower;
    }
    icu::UnicodeString out(text.length() + 32, 0, 0);
    int32_t copied = 0;
    for (std::size_t k = 0; k < connectors.size(); ++k) {
        out.append(text, copied, connectors[k] - copied);
        if (stays[k]) out.append(keptAt(text, connectors[k])->text);
        copied = connectors[k] + 1;
    }
    out.append(text, copied, text.length() - copied);
    st.working.assign(out, kWrapsLeft);
}

}  // namespace linecal::everyday
