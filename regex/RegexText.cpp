// Pointing a slot at the string to search: its own UTF-16 storage when it has
// some, else a copy in the conversion buffer of its size class, kept for the
// next operation on the same unchanged string.
#include "regex/RegexSlots.h"

#include "regex/RegexLock.h"

#include <cstdlib>

namespace linecal::rx {
namespace detail {
namespace {

bool sameString(const void* identity, std::int64_t length, std::uint64_t hash, const void* otherIdentity,
                std::int64_t otherLength, std::uint64_t otherHash) {
    return identity && identity == otherIdentity && length == otherLength && hash == otherHash;
}

}  // namespace

bool setCacheSlotToString(CacheState& cache, Slot& slot, const Text& text, std::int64_t length, std::uint64_t hash,
                          Range range, Failures& failures) {
    const void* identity = text.identity();
    if (!sameString(slot.setToString, slot.setToLength, slot.setToHash, identity, length, hash)) {
        // ICU gets the new text below; only a failure before that must leave it the empty one.
        clearSetString(slot, false);
        slot.setToString = identity;
        slot.setToHash = hash;
        slot.setToLength = length;
    }

    const UChar* uniChar = text.directUtf16();
    slot.needsConversion = uniChar == nullptr;
    if (slot.needsConversion) {
        ConversionBuffer& buffer = length >= kFixedBufferUnits ? cache.dynamicBuffer : cache.fixedBuffer;
        if (!sameString(buffer.string, buffer.length, buffer.hash, identity, length, hash) || !buffer.uniChar) {
            buffer.string = nullptr;
            const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(UChar);
            if (&buffer == &cache.dynamicBuffer && buffer.capacityBytes < bytes) {
                void* grown = std::realloc(buffer.uniChar, bytes);
                if (!grown) {
                    std::free(buffer.uniChar);
                    buffer.uniChar = nullptr;
                    buffer.capacityBytes = 0;
                }
                buffer.uniChar = static_cast<UChar*>(grown);
                buffer.capacityBytes = grown ? bytes : 0;
            }
            if (!buffer.uniChar) clearSetString(slot);
            RX_CHECK(failures, buffer.uniChar != nullptr && "Failed to set up UTF16 buffer.", false);
            text.copyUtf16(buffer.uniChar);
            buffer.string = identity;
            buffer.hash = hash;
            buffer.length = length;
            slot.setToRange = kNotFoundRange;
        }
        uniChar = buffer.uniChar;
    }
    // A moved buffer (a string that reallocated, a regrown conversion buffer)
    // must be handed to ICU again even when the content is unchanged.
    if (uniChar != slot.setToUniChar) {
        slot.setToUniChar = uniChar;
        slot.setToRange = kNotFoundRange;
    }
    if (range == slot.setToRange) return true;

    slot.lastFindRange = slot.lastMatchRange = kNotFoundRange;
    slot.setToRange = range;
    UErrorCode status = U_ZERO_ERROR;
    uregex_setText(slot.icuRegex, uniChar + range.location, static_cast<int32_t>(range.length), &status);
    if (U_FAILURE(status)) {
        clearSetString(slot);
        failures.raiseICU(status);
        return false;
    }
    return true;
}

void flushLocked(CacheState& cache, const void* identity, std::int64_t length, std::uint64_t hash) {
    auto matches = [&](const void* string, std::int64_t len, std::uint64_t h) {
        return string && (string == identity || (len == length && h == hash));
    };
    for (Slot& slot : cache.slots) {
        if (matches(slot.setToString, slot.setToLength, slot.setToHash)) clearSetString(slot);
    }
    for (auto& slot : cache.resident) {
        if (matches(slot->setToString, slot->setToLength, slot->setToHash)) clearSetString(*slot);
    }
    ConversionBuffer& buffer = length >= kFixedBufferUnits ? cache.dynamicBuffer : cache.fixedBuffer;
    if (matches(buffer.string, buffer.length, buffer.hash)) buffer.string = nullptr;
}

}  // namespace detail

void flushCachedRegexData(const Text& s) {
    if (s.isNull()) return;
    const std::int64_t length = s.length();
    const std::uint64_t hash = length < detail::kIntMax ? s.contentHash() : 0;
    detail::CacheLock lock;
    detail::flushLocked(detail::cacheState(), s.identity(), length, hash);
    lock.unlock();
}

}  // namespace linecal::rx
