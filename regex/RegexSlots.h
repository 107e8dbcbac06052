// The compiled-pattern cache: 23 direct-mapped slots, each holding a compiled
// pattern and the string it is pointed at, and the two conversion buffers for
// strings without UTF-16 storage of their own. Guarded by the cache lock.
#pragma once

#include "regex/RegexFailures.h"

#include <atomic>
#include <climits>
#include <memory>
#include <vector>

namespace linecal::rx::detail {

inline constexpr std::size_t kSlotCount = 23;
inline constexpr std::int64_t kFixedBufferUnits = 2048;
inline constexpr std::int64_t kIntMax = INT32_MAX;

struct Slot {
    icu::UnicodeString regexString;
    const void* regexIdentity = nullptr;  // the caller's pattern object seen last
    std::uint32_t options = 0;
    URegularExpression* icuRegex = nullptr;
    std::int64_t captureCount = -1;

    const void* setToString = nullptr;
    std::uint64_t setToHash = 0;
    std::int64_t setToLength = 0;
    bool needsConversion = false;
    const UChar* setToUniChar = nullptr;
    Range setToRange = kNotFoundRange;
    Range lastFindRange = kNotFoundRange;
    Range lastMatchRange = kNotFoundRange;
};

struct ConversionBuffer {
    const void* string = nullptr;
    std::uint64_t hash = 0;
    std::int64_t length = 0;
    UChar* uniChar = nullptr;
    std::size_t capacityBytes = 0;
};

extern UChar gFixedStorage[kFixedBufferUnits];

struct CacheState {
    Slot slots[kSlotCount];
    // Patterns kept compiled outside the slots (keepRegexCompiled), found by address; each
    // one's slot is allocated once and never moves.
    std::vector<std::unique_ptr<Slot>> resident;
    Slot* lastCacheSlot = nullptr;
    ConversionBuffer fixedBuffer{nullptr, 0, 0, gFixedStorage, sizeof gFixedStorage};
    ConversionBuffer dynamicBuffer;
};

// Never destroyed: other threads may still be inside an operation at exit.
CacheState& cacheState();

extern std::atomic<std::uint64_t> gCompileCount;
extern std::atomic<std::int32_t> gTimeLimit;
// Gives the slot's matcher the service's current time limit.
void applyTimeLimit(Slot& slot, Failures& failures);

std::size_t slotIndex(const icu::UnicodeString& regex);
// Forgets the string a slot is pointed at; ICU is pointed at an empty text,
// unless the caller points it at the next text straight away.
void clearSetString(Slot& slot, bool pointAtEmpty = true);
void clearSlot(CacheState& cache, Slot& slot);
// The slot holding the compiled pattern, compiling it there when needed; null
// when the pattern does not compile (error filled in) or is too long (raised).
Slot* getCachedRegex(CacheState& cache, const OpRequest& q, Failures& failures);

// Points the slot at the caller's text and range, handing ICU only what changed.
bool setCacheSlotToString(CacheState& cache, Slot& slot, const Text& text, std::int64_t length, std::uint64_t hash,
                          Range range, Failures& failures);
// Forgets a string wherever a slot or a conversion buffer holds it.
void flushLocked(CacheState& cache, const void* identity, std::int64_t length, std::uint64_t hash);

}  // namespace linecal::rx::detail
