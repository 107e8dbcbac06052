#include "parse/everyday/PatternSlots.h"

#include "parse/Patterns.h"
#include "regex/RegexSlots.h"

#include <vector>

namespace linecal::everyday {
namespace {

std::vector<std::size_t> freeSlots() {
    std::vector<bool> used(rx::detail::kSlotCount, false);
    for (const icu::UnicodeString* p :
         {&patterns::taskWord(), &patterns::alarmMarker(), &patterns::calendarTag(), &patterns::monthFirstDate(),
          &patterns::dayFirstDate(), &patterns::timeOfDay(), &patterns::weekday(), &patterns::today(),
          &patterns::tomorrow(), &patterns::duration(), &patterns::relativeOffset(), &patterns::amountPoint(),
          &patterns::yearComma(), &patterns::plusOffset(), &patterns::location(), &patterns::trailingSpace(),
          &patterns::leadingSpace(), &patterns::compactTime()})
        used[rx::detail::slotIndex(*p)] = true;
    std::vector<std::size_t> free;
    for (std::size_t i = 0; i < used.size(); ++i)
        if (!used[i]) free.push_back(i);
    return free;
}

}  // namespace

icu::UnicodeString steered(icu::UnicodeString pattern, int lane) {
    static const std::vector<std::size_t> free = freeSlots();
    if (free.empty()) return pattern;
    const std::size_t target = free[static_cast<std::size_t>(lane) % free.size()];
    const icu::UnicodeString plain(pattern);
    // Each empty group moves the hash; a few dozen tries find any slot.
    for (int tries = 0; tries < 1000 && rx::detail::slotIndex(pattern) != target; ++tries) pattern.append(u"(?:)");
    return rx::detail::slotIndex(pattern) == target ? pattern : plain;
}

icu::UnicodeString steeredFolded(icu::UnicodeString pattern, int lane) {
    pattern.findAndReplace(u"(?i:", u"(?:");
    return steered(std::move(pattern), lane);
}

}  // namespace linecal::everyday
