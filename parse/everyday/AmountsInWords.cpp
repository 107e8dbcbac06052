// Offsets in words, read like the digit forms ("in 3 days" is all day, "in 2
// hours" timed): "in half an hour", "in a minute", "in an hour and a half",
// "in a couple of hours", "in ten days", "an hour from now", "3 days from now".
#include "parse/everyday/Everyday.h"
#include "parse/everyday/EverydayText.h"
#include "parse/everyday/KeptPatterns.h"

namespace linecal::everyday {
namespace {

// Group 1 the amount in words, 2 the unit, 3 "and a half" or empty.
const icu::UnicodeString& inWords() {
    static const icu::UnicodeString& p = keptFolded(icu::UnicodeString(uR"( (?i:in) ((?i:)") + numberWordsPattern() +
                                                    uR"()) ((?i:)" + unitWordsPattern() + uR"()) ((?i:and a half) )?)");
    return p;
}
// Group 1 the amount, 2 the unit.
const icu::UnicodeString& fromNow() {
    static const icu::UnicodeString& p =
        keptFolded(icu::UnicodeString(uR"( ((?i:)") + numberWordsPattern() + uR"()|[0-9]{1,6}) ((?i:)" +
                   unitWordsPattern() + uR"()) (?i:from now) )");
    return p;
}
// Group 1 the unit ("in half an hour", "half a day from now").
const icu::UnicodeString& half() {
    static const icu::UnicodeString& p = keptFolded(icu::UnicodeString(uR"( (?:(?i:in) )?(?i:half an?) ((?i:)") +
                                                    unitWordsPattern() + uR"()) (?:(?i:from now) )?)");
    return p;
}

}  // namespace

void readAmountsInWords(ParseState& st) {
    if (st.offset != 0) return;  // a digit offset was typed: it decides
    st.wrap();
    static const WordList kHalf{u"half a"};
    if (auto g = firstMatchIfMentioned(st, half(), kHalf)) {
        if (const int unit = unitWordSeconds((*g)[1])) {
            st.offset = unit / 2;
            take(st, (*g)[0]);
            return;
        }
    }
    static const WordList kIn{u" in "};
    auto g = firstMatchIfMentioned(st, inWords(), kIn);
    static const WordList kFromNow{u"from now"};
    if (!g) g = firstMatchIfMentioned(st, fromNow(), kFromNow);
    if (!g) return;
    const std::optional<int> n = numberValue((*g)[1]);
    const int unit = unitWordSeconds((*g)[2]);
    if (!n || !unit) return;
    st.offset = static_cast<double>(*n) * unit + (g->size() > 3 && !(*g)[3].isEmpty() ? unit / 2 : 0);
    take(st, (*g)[0]);
}

}  // namespace linecal::everyday
