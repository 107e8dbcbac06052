// The everyday phrases' patterns outnumber the free slots of the regex service's cache, and
// one line may run several of them: each is kept compiled by the service for the life of the
// process (keepRegexCompiled), so none pushes out another or a core phase's pattern.
#pragma once

#include <unicode/unistr.h>

namespace linecal::everyday {

// The pattern, held where it never moves or dies, and kept compiled by the regex service.
const icu::UnicodeString& kept(icu::UnicodeString pattern);
// The same for a pattern searched in the lower-cased text (firstFoldedMatch): its
// case-insensitive groups become plain ones, which ICU matches far faster.
const icu::UnicodeString& keptFolded(icu::UnicodeString pattern);

}  // namespace linecal::everyday
