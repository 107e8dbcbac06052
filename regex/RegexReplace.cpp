#include "regex/RegexMatching.h"

namespace linecal::rx::detail {

// ICU reports an output buffer that is too small only after counting to the end, so the work
// is redone once at the size it asked for.
bool replaceAll(Slot& slot, const icu::UnicodeString& replacement, OpResult& result, Failures& failures) {
    const std::int64_t rangeLength = static_cast<std::int64_t>(slot.setToRange.length);
    const std::int64_t replacementLength = replacement.length();
    std::int64_t capacity = rangeLength + rangeLength / 2 + 2 * replacementLength + 16;
    if (rangeLength >= kIntMax || replacementLength >= kIntMax || capacity >= kIntMax) {
        failures.raise(kNSRangeException, "Replacement string length exceeds INT_MAX.");
        return false;
    }
    // Afterwards ICU stands past the last match; no earlier search result holds.
    slot.lastFindRange = slot.lastMatchRange = kNotFoundRange;

    icu::UnicodeString output;
    for (int attempt = 0; attempt < 2; ++attempt) {
        UChar* buffer = output.getBuffer(static_cast<int32_t>(capacity));
        RX_CHECK(failures, buffer != nullptr && "Failed to set up UTF16 buffer.", false);
        UChar* dest = buffer;
        int32_t destCapacity = static_cast<int32_t>(capacity);
        std::int64_t needed = 0;
        std::size_t count = 0;
        bool overflow = false;
        UErrorCode status = U_ZERO_ERROR;
        auto settle = [&] {
            if (status == U_BUFFER_OVERFLOW_ERROR) overflow = true;
            if (status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING) status = U_ZERO_ERROR;
        };
        uregex_reset(slot.icuRegex, 0, &status);
        while (U_SUCCESS(status) && uregex_findNext(slot.icuRegex, &status)) {
            ++count;
            needed += uregex_appendReplacement(slot.icuRegex, replacement.getBuffer(),
                                               static_cast<int32_t>(replacementLength), &dest, &destCapacity, &status);
            settle();
        }
        if (U_SUCCESS(status)) {
            needed += uregex_appendTail(slot.icuRegex, &dest, &destCapacity, &status);
            settle();
        }
        output.releaseBuffer(overflow || U_FAILURE(status) ? 0 : static_cast<int32_t>(needed));
        if (U_FAILURE(status)) {
            failures.raiseICU(status);
            return false;
        }
        if (needed >= kIntMax) {
            failures.raise(kNSInternalInconsistencyException, "Replaced string length exceeds INT_MAX.");
            return false;
        }
        result.count = count;
        if (!overflow) {
            result.replaced = std::move(output);
            return true;
        }
        capacity = needed + 4;
    }
    failures.assertion("replacement buffer large enough after resizing", __func__, __LINE__);
    return false;
}

}  // namespace linecal::rx::detail
