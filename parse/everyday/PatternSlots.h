// The regex service keeps compiled patterns in a few direct-mapped slots, and
// the core phases' patterns each have a slot of their own. A pattern of the
// everyday phases that shared one would make both recompile on every line, so
// each is spelled (with empty groups at its end, which match nothing more) to
// fall into a slot the core leaves free; `lane` spreads them over those slots,
// so that patterns one line may run together seldom share one.
#pragma once

#include <unicode/unistr.h>

namespace linecal::everyday {

icu::UnicodeString steered(icu::UnicodeString pattern, int lane);
// The same for a pattern searched in the lower-cased text (firstFoldedMatch):
// its case-insensitive groups become plain ones, which ICU matches far faster.
icu::UnicodeString steeredFolded(icu::UnicodeString pattern, int lane);

}  // namespace linecal::everyday
