#include "parse/everyday/KeptPatterns.h"

#include "regex/RegexService.h"

namespace linecal::everyday {

const icu::UnicodeString& kept(icu::UnicodeString pattern) {
    // Never freed: the service finds a kept pattern by its address for as long as it runs.
    const auto* held = new icu::UnicodeString(std::move(pattern));
    return rx::keepRegexCompiled(*held);
}

const icu::UnicodeString& keptFolded(icu::UnicodeString pattern) {
    pattern.findAndReplace(u"(?i:", u"(?:");
    return kept(std::move(pattern));
}

}  // namespace linecal::everyday
