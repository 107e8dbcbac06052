#include "regex/RegexSlots.h"

#include "regex/RegexLock.h"

#include <cstring>

namespace linecal::rx {
namespace detail {
namespace {

// FNV-1a picks the slot. With its standard offset basis the parser's eighteen
// fixed patterns share slots in several pairs, and a shared slot means two
// recompilations on every keystroke; so does every other common string hash we
// tried (ICU's, FNV-1, djb2, CRC-32). This salt is the smallest that gives each
// of them a slot of its own. A new parser pattern may need a new salt: the regex
// tests say so.
constexpr std::uint64_t kSlotHashBasis = kFnvOffsetBasis ^ 16816U;

// ICU is pointed at this when a slot lets go of its string, so it never holds a
// pointer into storage that may be freed.
const UChar kEmptyUniChar[1] = {0};

}  // namespace

UChar gFixedStorage[kFixedBufferUnits];
std::atomic<std::uint64_t> gCompileCount{0};
std::atomic<std::int32_t> gTimeLimit{0};

void applyTimeLimit(Slot& slot, Failures& failures) {
    UErrorCode status = U_ZERO_ERROR;
    const std::int32_t limit = gTimeLimit.load(std::memory_order_relaxed);
    if (uregex_getTimeLimit(slot.icuRegex, &status) != limit) uregex_setTimeLimit(slot.icuRegex, limit, &status);
    if (U_FAILURE(status)) failures.raiseICU(status);
}

CacheState& cacheState() {
    static CacheState* state = new CacheState;
    return *state;
}

std::size_t slotIndex(const icu::UnicodeString& regex) {
    return static_cast<std::size_t>(fnv1a64(regex.getBuffer(), regex.length(), kSlotHashBasis) % kSlotCount);
}

void clearSetString(Slot& slot, bool pointAtEmpty) {
    if (slot.icuRegex && pointAtEmpty) {
        UErrorCode status = U_ZERO_ERROR;
        uregex_setText(slot.icuRegex, kEmptyUniChar, 0, &status);
    }
    slot.setToString = nullptr;
    slot.setToHash = 0;
    slot.setToLength = 0;
    slot.needsConversion = false;
    slot.setToUniChar = nullptr;
    slot.setToRange = slot.lastFindRange = slot.lastMatchRange = kNotFoundRange;
}

void clearSlot(CacheState& cache, Slot& slot) {
    clearSetString(slot);
    if (slot.icuRegex) uregex_close(slot.icuRegex);
    slot.icuRegex = nullptr;
    slot.captureCount = -1;
    slot.regexString.remove();
    slot.regexIdentity = nullptr;
    slot.options = 0;
    if (cache.lastCacheSlot == &slot) cache.lastCacheSlot = nullptr;
}

namespace {

// The slot's copy shares the caller's buffer (ICU copies long strings by
// reference, and a shared buffer is copied before it is changed), so the same
// buffer means the same content without comparing hundreds of units.
bool samePattern(const Slot& slot, const icu::UnicodeString& regex) {
    return (slot.regexString.getBuffer() == regex.getBuffer() && slot.regexString.length() == regex.length()) ||
           slot.regexString == regex;
}

}  // namespace

// Compiles the slot's pattern in place; false with the error filled in when it does not compile.
bool compileSlot(CacheState& cache, Slot& slot, const OpRequest& q) {
    UParseError parseError;
    std::memset(&parseError, 0, sizeof parseError);
    parseError.line = -1;
    parseError.offset = -1;
    UErrorCode status = U_ZERO_ERROR;
    slot.icuRegex =
        uregex_open(slot.regexString.getBuffer(), slot.regexString.length(), q.options, &parseError, &status);
    gCompileCount.fetch_add(1, std::memory_order_relaxed);
    if (U_SUCCESS(status) && slot.icuRegex) {
        slot.captureCount = uregex_groupCount(slot.icuRegex, &status);
        if (status == U_ZERO_ERROR) cache.lastCacheSlot = &slot;
    }
    if (U_FAILURE(status) || !slot.icuRegex) {
        fillError(q.error, *q.regex, q.options, U_FAILURE(status) ? status : U_INTERNAL_PROGRAM_ERROR, &parseError,
                  "There was an error compiling the regular expression.");
        return false;
    }
    return true;
}

// A kept pattern's own slot, compiled on first use; null when the pattern is not kept.
Slot* residentSlot(CacheState& cache, const OpRequest& q, bool& failed) {
    for (auto& kept : cache.resident) {
        Slot& slot = *kept;
        if (slot.regexIdentity != q.regex || slot.options != q.options) continue;
        if (!slot.icuRegex && !compileSlot(cache, slot, q)) {
            if (slot.icuRegex) uregex_close(slot.icuRegex);
            slot.icuRegex = nullptr;
            failed = true;
            return nullptr;
        }
        cache.lastCacheSlot = &slot;
        return &slot;
    }
    return nullptr;
}

Slot* getCachedRegex(CacheState& cache, const OpRequest& q, Failures& failures) {
    const icu::UnicodeString& regex = *q.regex;
    // Addresses are reused once a string dies, so identity alone proves nothing;
    // the content comparison checks the length first and is cheap for a mismatch.
    if (Slot* last = cache.lastCacheSlot; last && last->options == q.options && last->icuRegex &&
                                          last->regexIdentity == &regex && samePattern(*last, regex)) {
        return last;
    }
    cache.lastCacheSlot = nullptr;
    bool failed = false;
    if (Slot* kept = residentSlot(cache, q, failed)) return kept;
    if (failed) return nullptr;
    // The slot that last saw this very pattern object: a few pointer compares
    // spare hashing a pattern of hundreds of units. Content decides, as below.
    for (Slot& seen : cache.slots) {
        if (seen.regexIdentity == &regex && seen.options == q.options && seen.icuRegex && samePattern(seen, regex)) {
            cache.lastCacheSlot = &seen;
            return &seen;
        }
    }
    Slot& slot = cache.slots[slotIndex(regex)];
    if (slot.options == q.options && slot.icuRegex && samePattern(slot, regex)) {
        slot.regexIdentity = &regex;
        cache.lastCacheSlot = &slot;
        return &slot;
    }
    clearSlot(cache, slot);
    if (regex.length() >= kIntMax) {
        failures.raise(kNSRangeException, "Regex string length exceeds INT_MAX");
        return nullptr;
    }
    slot.regexString = regex;  // ICU copies aliases; shared buffers are copy-on-write
    slot.regexIdentity = &regex;
    slot.options = q.options;
    if (!compileSlot(cache, slot, q)) {
        clearSlot(cache, slot);
        return nullptr;
    }
    return &slot;
}

}  // namespace detail

void clearStringCache() {
    detail::CacheState& cache = detail::cacheState();
    detail::CacheLock lock;
    for (detail::Slot& slot : cache.slots) detail::clearSlot(cache, slot);
    // Kept patterns stay kept; they are compiled again on their next use.
    for (auto& slot : cache.resident) {
        detail::clearSetString(*slot);
        if (slot->icuRegex) uregex_close(slot->icuRegex);
        slot->icuRegex = nullptr;
    }
    cache.lastCacheSlot = nullptr;
    cache.fixedBuffer.string = nullptr;
    std::free(cache.dynamicBuffer.uniChar);
    cache.dynamicBuffer = detail::ConversionBuffer{};
    lock.unlock();
}

std::uint64_t debugRegexCompileCount() { return detail::gCompileCount.load(); }

const icu::UnicodeString& keepRegexCompiled(const icu::UnicodeString& regex, std::uint32_t options) {
    detail::CacheState& cache = detail::cacheState();
    detail::CacheLock lock;
    for (const auto& kept : cache.resident) {
        if (kept->regexIdentity == &regex && kept->options == options) {
            lock.unlock();
            return regex;
        }
    }
    auto slot = std::make_unique<detail::Slot>();
    slot->regexString = regex;
    slot->regexIdentity = &regex;
    slot->options = options;
    cache.resident.push_back(std::move(slot));
    lock.unlock();
    return regex;
}

void setRegexTimeLimit(std::int32_t units) { detail::gTimeLimit.store(units < 0 ? 0 : units); }

std::size_t cacheSlotForRegex(const icu::UnicodeString& regex) { return detail::slotIndex(regex); }

}  // namespace linecal::rx
