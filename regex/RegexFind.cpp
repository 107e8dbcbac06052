#include "regex/RegexMatching.h"

namespace linecal::rx::detail {
namespace {

// Where a continued search picks up after the last match: one unit further
// after an empty match, so that the search makes progress.
std::size_t continuationOf(const Slot& slot) {
    const Range m = slot.lastMatchRange;
    return m.end() + (m.length == 0 && m.end() < slot.setToRange.end() ? 1 : 0);
}

}  // namespace

Range groupRange(const Slot& slot, int group, UErrorCode& status) {
    const int32_t start = uregex_start(slot.icuRegex, group, &status);
    const int32_t end = uregex_end(slot.icuRegex, group, &status);
    if (U_FAILURE(status) || start < 0 || end < start) return kNotFoundRange;
    return Range{static_cast<std::size_t>(start) + slot.setToRange.location, static_cast<std::size_t>(end - start)};
}

bool search(Slot& slot, Range& range, bool advance, UErrorCode& status, Failures& failures) {
    RX_CHECK(failures,
             range.location >= slot.setToRange.location && range.end() <= slot.setToRange.end() &&
                 "range outside setToRange",
             false);
    const Range emptyAtEnd{slot.setToRange.end(), 0};
    bool found;
    if (range == slot.lastFindRange || range == emptyAtEnd) {
        found = slot.lastMatchRange.found() && range != emptyAtEnd;
    } else {
        slot.lastFindRange = range;
        UBool matched;
        if (slot.lastMatchRange.found() && range.location == continuationOf(slot)) {
            matched = uregex_findNext(slot.icuRegex, &status);
        } else {
            matched =
                uregex_find(slot.icuRegex, static_cast<int32_t>(range.location - slot.setToRange.location), &status);
        }
        slot.lastMatchRange = matched && U_SUCCESS(status) ? groupRange(slot, 0, status) : kNotFoundRange;
        found = slot.lastMatchRange.found();
    }
    if (!found || U_FAILURE(status)) {
        slot.lastFindRange = slot.lastMatchRange = kNotFoundRange;
        if (advance) range = Range{range.end(), 0};
        return false;
    }
    if (advance) {
        const std::size_t next = continuationOf(slot);
        const std::size_t step = std::min(next, range.end()) - range.location;
        range.location += step;
        range.length -= step;
    }
    return true;
}

bool findAll(Slot& slot, unsigned code, int capture, std::size_t limit, RangeList& list, Failures& failures) {
    if (slot.setToLength == 0 || slot.setToRange.length == 0) return true;
    UErrorCode status = U_ZERO_ERROR;
    Range searchRange = slot.setToRange;
    std::size_t position = slot.setToRange.location;
    const int groups = static_cast<int>(slot.captureCount);
    for (std::size_t matches = 0; matches < limit; ++matches) {
        RX_CHECK(failures, list.reserveAhead(slot.captureCount, position, slot.setToLength) && "range list too small",
                 false);
        if (!search(slot, searchRange, true, status, failures)) break;
        Range match = slot.lastMatchRange;
        if (code == kSplit && match.length == 0 && match.location == position) {
            if (!search(slot, searchRange, true, status, failures)) break;
            match = slot.lastMatchRange;
        }
        bool ok = true;
        if (code == kCaptureOfEach) {
            ok = list.add(capture == 0 ? match : groupRange(slot, capture, status));
        } else {
            ok = list.add(code == kSplit ? Range{position, match.location - position} : match);
            for (int g = 1; ok && g <= groups; ++g) ok = list.add(groupRange(slot, g, status));
        }
        RX_CHECK(failures, ok && "range list too small", false);
        if (U_FAILURE(status)) break;
        position = match.end();
    }
    if (failures.any()) return false;
    if (U_FAILURE(status)) {
        failures.raiseICU(status);
        return false;
    }
    if (code == kSplit && position < slot.setToRange.end()) {
        RX_CHECK(failures, list.add(Range{position, slot.setToRange.end() - position}) && "range list too small",
                 false);
    }
    return true;
}

icu::UnicodeString substring(const Slot& slot, Range r) {
    if (r.length == 0) return icu::UnicodeString();
    return icu::UnicodeString(slot.setToUniChar + r.location, static_cast<int32_t>(r.length));
}

void makeArray(const Slot& slot, const RangeList& list, bool arrayPerMatch, OpResult& result) {
    if (!arrayPerMatch) {
        result.strings.reserve(list.found());
        for (std::size_t i = 0; i < list.found(); ++i) result.strings.push_back(substring(slot, list[i]));
        return;
    }
    const std::size_t perMatch = static_cast<std::size_t>(slot.captureCount) + 1;
    result.arrays.reserve(list.found() / perMatch);
    for (std::size_t i = 0; i + perMatch <= list.found(); i += perMatch) {
        Strings match;
        match.reserve(perMatch);
        for (std::size_t g = 0; g < perMatch; ++g) match.push_back(substring(slot, list[i + g]));
        result.arrays.push_back(std::move(match));
    }
}
}  // namespace linecal::rx::detail
