// The compiled-pattern cache and the one routine every operation runs through.
//
// Everything here is guarded by one spin lock. Nothing is thrown and no handler
// is called while it is held: failures are recorded and raised after unlocking.

#include "regex/RegexInternal.h"

#include <unicode/parseerr.h>
#include <unicode/utypes.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <thread>

namespace linecal::rx {
namespace detail {
namespace {

constexpr std::size_t kSlotCount = 23;
constexpr std::int64_t kFixedBufferUnits = 2048;
constexpr std::size_t kStackRanges = 2048;
constexpr std::int64_t kIntMax = INT32_MAX;
constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

// FNV-1a picks the slot. With its standard offset basis the parser's eighteen
// fixed patterns share slots in several pairs, and a shared slot means two
// recompilations on every keystroke; so does every other common string hash we
// tried (ICU's, FNV-1, djb2, CRC-32). This salt is the smallest that gives each
// of them a slot of its own. A new parser pattern may need a new salt: the regex
// tests say so.
constexpr std::uint64_t kSlotHashBasis = kFnvOffsetBasis ^ 35250U;

// ICU is pointed at this when a slot lets go of its string, so it never holds a
// pointer into storage that may be freed.
const UChar kEmptyUniChar[1] = {0};

const char* const kNSInvalidArgumentException = "NSInvalidArgumentException";
const char* const kNSRangeException = "NSRangeException";
const char* const kNSInternalInconsistencyException = "NSInternalInconsistencyException";

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

UChar gFixedStorage[kFixedBufferUnits];

struct CacheState {
    Slot slots[kSlotCount];
    Slot* lastCacheSlot = nullptr;
    ConversionBuffer fixedBuffer{nullptr, 0, 0, gFixedStorage, sizeof gFixedStorage};
    ConversionBuffer dynamicBuffer;
};

// Never destroyed: other threads may still be inside an operation at exit.
CacheState& cacheState() {
    static CacheState* state = new CacheState;
    return *state;
}

std::atomic_flag gCacheSpinLock;
std::atomic<std::uint64_t> gDebugCacheSpinLockCount{0};
std::atomic<std::uint64_t> gCompileCount{0};
std::atomic<AssertionHandler> gAssertionHandler{nullptr};
std::atomic_flag gLoggedForcedUnlock;
std::atomic_flag gLoggedNotLocked;

void debugCacheSpinLock() { gDebugCacheSpinLockCount.fetch_add(1, std::memory_order_relaxed); }

void logOnce(std::atomic_flag& once, const char* message) {
    if (!once.test_and_set()) std::fprintf(stderr, "%s\n", message);
}

// Taken after the argument checks, released before anything is raised. If an
// exception escapes while the lock is still recorded as held (a Text that throws,
// an allocation failure), the destructor puts things right and says so once.
class CacheLock {
public:
    CacheLock() {
        while (gCacheSpinLock.test_and_set(std::memory_order_acquire)) {
            while (gCacheSpinLock.test(std::memory_order_relaxed)) std::this_thread::yield();
        }
        recordedLocked_ = true;
    }
    CacheLock(const CacheLock&) = delete;
    CacheLock& operator=(const CacheLock&) = delete;
    void unlock() {
        recordedLocked_ = false;
        gCacheSpinLock.clear(std::memory_order_release);
    }
    ~CacheLock() {
        if (!recordedLocked_) return;
        if (gCacheSpinLock.test(std::memory_order_acquire)) {
            gCacheSpinLock.clear(std::memory_order_release);
            logOnce(gLoggedForcedUnlock,
                    "[RegexService] Unusual condition detected: Recorded that cacheSpinLock was locked, but for some "
                    "reason it was not unlocked.  Forcibly unlocking cacheSpinLock. Set a breakpoint at "
                    "debugCacheSpinLock to debug. This warning is only printed once.");
        } else {
            logOnce(gLoggedNotLocked,
                    "[RegexService] Unusual condition detected: Recorded that cacheSpinLock was locked, but for some "
                    "reason it was not unlocked, yet cacheSpinLock is currently not locked? Set a breakpoint at "
                    "debugCacheSpinLock to debug. This warning is only printed once.");
            debugCacheSpinLock();
        }
    }
private:
    bool recordedLocked_ = false;
};

std::string toUtf8(const icu::UnicodeString& s) {
    std::string out;
    s.toUTF8String(out);
    return out;
}

std::map<std::string, InfoValue> errorInfo(const icu::UnicodeString& regex, std::uint32_t options, UErrorCode status,
                                           const UParseError* parseError) {
    std::map<std::string, InfoValue> info;
    const std::string name = u_errorName(status);
    info[ICURegexRegexErrorKey] = toUtf8(regex);
    info[ICURegexRegexOptionsErrorKey] = static_cast<std::int64_t>(options);
    info[ICURegexErrorCodeErrorKey] = static_cast<std::int64_t>(status);
    info[ICURegexErrorNameErrorKey] = name;
    if (parseError && parseError->line != -1) {
        const std::string pre = toUtf8(icu::UnicodeString(parseError->preContext));
        const std::string post = toUtf8(icu::UnicodeString(parseError->postContext));
        info[ICURegexLineErrorKey] = static_cast<std::int64_t>(parseError->line);
        info[ICURegexOffsetErrorKey] = static_cast<std::int64_t>(parseError->offset);
        info[ICURegexPreContextErrorKey] = pre;
        info[ICURegexPostContextErrorKey] = post;
        info["NSLocalizedFailureReason"] = "The error " + name + " occurred at line " +
                                           std::to_string(parseError->line) + ", column " +
                                           std::to_string(parseError->offset) + ": " + pre + "<<HERE>>" + post;
    } else {
        info["NSLocalizedFailureReason"] = "The error " + name + " occurred.";
    }
    return info;
}

void fillError(RegexError* error, const icu::UnicodeString& regex, std::uint32_t options, UErrorCode status,
               const UParseError* parseError, const char* description) {
    if (!error) return;
    error->domain = ICURegexErrorDomain;
    error->code = status;
    error->userInfo = errorInfo(regex, options, status, parseError);
    error->userInfo["NSLocalizedDescription"] = std::string(description);
}

// What an operation found wrong; raised once the lock is released. Only the
// first failure counts: the operation stops at it.
class Failures {
public:
    explicit Failures(const OpRequest& q) : q_(q) {}

    void raise(const char* name, const std::string& message, std::map<std::string, InfoValue> info = {}) {
        if (exception_ || assertion_) return;
        exception_.emplace(name, formatReason(q_, message), std::move(info));
    }
    void raiseICU(UErrorCode status) {
        char message[160];
        std::snprintf(message, sizeof message, "ICU regular expression error #%d, %s.", static_cast<int>(status),
                      u_errorName(status));
        raise(ICURegexException, message, errorInfo(*q_.regex, q_.options, status, nullptr));
    }
    void assertion(const char* condition, const char* function, int line) {
        if (exception_ || assertion_) return;
        AssertionFailure failure;
        failure.description = std::string("Invalid parameter not satisfying: ") + condition;
        failure.function = function;
        failure.file = "RegexService";
        failure.line = line;
        failure.exceptionName = kNSInternalInconsistencyException;
        assertion_ = std::move(failure);
    }
    bool any() const { return exception_ || assertion_; }

    // Called with the lock released. Returns only when the assertion handler does.
    void deliver() {
        if (assertion_) {
            AssertionHandler handler = gAssertionHandler.load();
            if (handler) {
                handler(*assertion_);
                return;
            }
            throw RegexException(assertion_->exceptionName, assertion_->description);
        }
        if (exception_) throw *exception_;
    }

    static std::string formatReason(const OpRequest& q, const std::string& message) {
        const char* cls = q.text ? q.text->className() : "UnicodeString";
        return std::string("*** ") + q.kind + "[" + cls + " " + q.opName + "]: " + message;
    }

private:
    const OpRequest& q_;
    std::optional<RegexException> exception_;
    std::optional<AssertionFailure> assertion_;
};

#define RX_CHECK(failures, condition, ...)                                   \
    do {                                                                      \
        if (!(condition)) {                                                   \
            (failures).assertion(#condition, __func__, __LINE__);             \
            return __VA_ARGS__;                                               \
        }                                                                     \
    } while (0)

std::size_t slotIndex(const icu::UnicodeString& regex) {
    return static_cast<std::size_t>(fnv1a64(regex.getBuffer(), regex.length(), kSlotHashBasis) % kSlotCount);
}

void clearSetString(Slot& slot) {
    if (slot.icuRegex) {
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

Slot* getCachedRegex(CacheState& cache, const OpRequest& q, Failures& failures) {
    const icu::UnicodeString& regex = *q.regex;
    // Addresses are reused once a string dies, so identity alone proves nothing;
    // the content comparison checks the length first and is cheap for a mismatch.
    if (Slot* last = cache.lastCacheSlot; last && last->options == q.options && last->icuRegex &&
                                          last->regexIdentity == &regex && last->regexString == regex) {
        return last;
    }
    cache.lastCacheSlot = nullptr;
    Slot& slot = cache.slots[slotIndex(regex)];
    if (slot.options == q.options && slot.icuRegex && slot.regexString == regex) {
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

    UParseError parseError;
    std::memset(&parseError, 0, sizeof parseError);
    parseError.line = -1;
    parseError.offset = -1;
    UErrorCode status = U_ZERO_ERROR;
    slot.icuRegex = uregex_open(slot.regexString.getBuffer(), slot.regexString.length(), q.options, &parseError, &status);
    gCompileCount.fetch_add(1, std::memory_order_relaxed);
    if (U_SUCCESS(status) && slot.icuRegex) {
        slot.captureCount = uregex_groupCount(slot.icuRegex, &status);
        if (status == U_ZERO_ERROR) cache.lastCacheSlot = &slot;
    }
    if (U_FAILURE(status) || !slot.icuRegex) {
        clearSlot(cache, slot);
        fillError(q.error, regex, q.options, U_FAILURE(status) ? status : U_INTERNAL_PROGRAM_ERROR, &parseError,
                  "There was an error compiling the regular expression.");
        return nullptr;
    }
    return &slot;
}

bool sameString(const void* identity, std::int64_t length, std::uint64_t hash, const void* otherIdentity,
                std::int64_t otherLength, std::uint64_t otherHash) {
    return identity && identity == otherIdentity && length == otherLength && hash == otherHash;
}

// Points the slot at the caller's text and range, handing ICU only what changed.
bool setCacheSlotToString(CacheState& cache, Slot& slot, const Text& text, std::int64_t length, std::uint64_t hash,
                          Range range, Failures& failures) {
    const void* identity = text.identity();
    if (!sameString(slot.setToString, slot.setToLength, slot.setToHash, identity, length, hash)) {
        clearSetString(slot);
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
        slot.setToRange = kNotFoundRange;
        failures.raiseICU(status);
        return false;
    }
    return true;
}

// Where a continued search picks up after the last match: one unit further
// after an empty match, so that the search makes progress.
std::size_t continuationOf(const Slot& slot) {
    const Range m = slot.lastMatchRange;
    return m.end() + (m.length == 0 && m.end() < slot.setToRange.end() ? 1 : 0);
}

Range groupRange(const Slot& slot, int group, UErrorCode& status) {
    const int32_t start = uregex_start(slot.icuRegex, group, &status);
    const int32_t end = uregex_end(slot.icuRegex, group, &status);
    if (U_FAILURE(status) || start < 0 || end < start) return kNotFoundRange;
    return Range{static_cast<std::size_t>(start) + slot.setToRange.location, static_cast<std::size_t>(end - start)};
}

// One search step over `range` (whose end is always the end of setToRange).
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
            matched = uregex_find(slot.icuRegex, static_cast<int32_t>(range.location - slot.setToRange.location),
                                  &status);
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

// The ranges a find-all records: the first 2048 on the stack, more on the heap.
class RangeList {
public:
    RangeList() : data_(reinterpret_cast<Range*>(stack_)), capacity_(kStackRanges) {}
    RangeList(const RangeList&) = delete;
    RangeList& operator=(const RangeList&) = delete;
    ~RangeList() { std::free(heap_); }

    std::size_t found() const { return found_; }
    std::size_t capacity() const { return capacity_; }
    const Range& operator[](std::size_t i) const { return data_[i]; }

    // Regrows ahead of need, guessing the total from the matches per unit so far.
    bool reserveAhead(std::int64_t captureCount, std::size_t position, std::int64_t textLength) {
        const std::int64_t headroom = 4 * captureCount + 12;
        if (static_cast<std::int64_t>(found_) < static_cast<std::int64_t>(capacity_) - headroom) return true;
        const std::size_t grown = capacity_ + capacity_ / 2;
        const float perUnit = static_cast<float>(position + 1) / static_cast<float>(found_ + 1);
        const float estimate = static_cast<float>(textLength) / perUnit;
        const std::size_t guess = estimate < 1e12f ? static_cast<std::size_t>(estimate) : grown;
        const std::size_t newCapacity = (std::max(grown, guess) + grown) / 2 + static_cast<std::size_t>(headroom);
        void* memory = std::realloc(heap_, newCapacity * sizeof(Range));
        if (!memory) return false;
        if (!heap_) std::memcpy(memory, stack_, found_ * sizeof(Range));
        heap_ = static_cast<Range*>(memory);
        data_ = heap_;
        capacity_ = newCapacity;
        return true;
    }
    bool add(Range r) {
        if (found_ >= capacity_) return false;
        data_[found_++] = r;
        return true;
    }

private:
    // Raw storage: Range's member initialisers would otherwise write all 32 KB on
    // every operation, though most find at most a handful of ranges.
    static_assert(std::is_trivially_copyable_v<Range> && std::is_trivially_destructible_v<Range>);
    alignas(Range) unsigned char stack_[kStackRanges * sizeof(Range)];
    Range* heap_ = nullptr;
    Range* data_;
    std::size_t capacity_;
    std::size_t found_ = 0;
};

// Codes 1, 4, 5 and 6. Returns false when the operation failed (already recorded).
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
        RX_CHECK(failures, list.add(Range{position, slot.setToRange.end() - position}) && "range list too small", false);
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

// Code 2: every match of the range replaced by the template. ICU reports an
// output buffer that is too small only after counting to the end, so the work
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

void flushLocked(CacheState& cache, const void* identity, std::int64_t length, std::uint64_t hash) {
    auto matches = [&](const void* string, std::int64_t len, std::uint64_t h) {
        return string && (string == identity || (len == length && h == hash));
    };
    for (Slot& slot : cache.slots) {
        if (matches(slot.setToString, slot.setToLength, slot.setToHash)) clearSetString(slot);
    }
    ConversionBuffer& buffer = length >= kFixedBufferUnits ? cache.dynamicBuffer : cache.fixedBuffer;
    if (matches(buffer.string, buffer.length, buffer.hash)) buffer.string = nullptr;
}

// The body of every operation, with the lock held.
void runLocked(const OpRequest& q, std::int64_t length, std::uint64_t hash, OpResult& result, Failures& failures) {
    CacheState& cache = cacheState();
    const unsigned code = q.op & kOpMask;
    Range range = q.range;
    if (code != kLookupOnly) {
        if (length >= kIntMax) {
            failures.raise(kNSRangeException, "String length exceeds INT_MAX.");
            return;
        }
        const std::size_t len = static_cast<std::size_t>(length);
        if (range.length == std::numeric_limits<std::size_t>::max() && range.location <= len) {
            range.length = len - range.location;
        }
        if (range.location > len || range.length > len - range.location) {
            failures.raise(kNSRangeException, "Range or index out of bounds.");
            return;
        }
    }

    Slot* slot = getCachedRegex(cache, q, failures);
    if (!slot) return;
    RX_CHECK(failures, slot->icuRegex != nullptr);
    result.compiled = true;
    result.captureCount = slot->captureCount;
    if (code == kLookupOnly) return;

    if ((code == kFirstRange || code == kCaptureOfEach) && (q.capture < 0 || q.capture > slot->captureCount)) {
        failures.raise(kNSInvalidArgumentException, "The capture argument is not valid.");
        return;
    }
    if (!setCacheSlotToString(cache, *slot, *q.text, length, hash, range, failures)) return;

    switch (code) {
    case kFirstRange: {
        UErrorCode status = U_ZERO_ERROR;
        Range searchRange = slot->setToRange;
        const bool found = search(*slot, searchRange, false, status, failures);
        if (found && q.capture != 0) result.range = groupRange(*slot, q.capture, status);
        else if (found) result.range = slot->lastMatchRange;
        if (U_FAILURE(status)) {
            result.range = kNotFoundRange;
            failures.raiseICU(status);
        } else if (status < U_ZERO_ERROR && !result.range.found()) {
            fillError(q.error, *q.regex, q.options, status, nullptr, "The ICU library returned an unexpected error code.");
        } else if (q.wantMatchedText && result.range.found()) {
            result.matchedText = substring(*slot, result.range);
        }
        return;
    }
    case kSplit:
    case kCaptureOfEach:
    case kAllCaptures:
    case kFirstCaptures: {
        RangeList list;
        const std::size_t limit = code == kFirstCaptures ? 1 : kUnlimited;
        if (findAll(*slot, code, q.capture, limit, list, failures)) makeArray(*slot, list, q.op & kArrayPerMatch, result);
        return;
    }
    case kReplace: {
        if (!replaceAll(*slot, *q.replacement, result, failures)) return;
        if ((q.op & kInPlace) && result.count > 0 && q.inPlaceTarget) {
            const Range done = slot->setToRange;
            flushLocked(cache, q.text->identity(), length, hash);
            q.inPlaceTarget->replace(static_cast<int32_t>(done.location), static_cast<int32_t>(done.length),
                                     result.replaced);
        }
        return;
    }
    default:
        RX_CHECK(failures, false && "Unknown regexOp code.");
    }
}

}  // namespace

OpResult performRegexOp(const OpRequest& q) {
    if (!q.regex || q.regex->isBogus()) {
        throw RegexException(kNSInvalidArgumentException,
                             Failures::formatReason(q, "The regular expression argument is NULL."));
    }
    const unsigned code = q.op & kOpMask;
    if (code != kLookupOnly && (!q.text || q.text->isNull())) {
        throw RegexException(kNSInternalInconsistencyException,
                             Failures::formatReason(q, "The match string argument is NULL."));
    }
    if (code == kReplace && (!q.replacement || q.replacement->isBogus())) {
        throw RegexException(kNSInvalidArgumentException,
                             Failures::formatReason(q, "The replacement string argument is NULL."));
    }
    // The hash depends only on the caller's text, so it is taken before locking.
    const std::int64_t length = code != kLookupOnly ? q.text->length() : 0;
    const std::uint64_t hash = code != kLookupOnly && length < kIntMax ? q.text->contentHash() : 0;

    Failures failures(q);
    OpResult result;
    {
        CacheLock lock;
        runLocked(q, length, hash, result, failures);
        lock.unlock();
    }
    if (failures.any()) {
        failures.deliver();
        return OpResult{};  // the assertion handler chose to continue
    }
    return result;
}

}  // namespace detail

void clearStringCache() {
    detail::CacheState& cache = detail::cacheState();
    detail::CacheLock lock;
    for (detail::Slot& slot : cache.slots) detail::clearSlot(cache, slot);
    cache.lastCacheSlot = nullptr;
    cache.fixedBuffer.string = nullptr;
    std::free(cache.dynamicBuffer.uniChar);
    cache.dynamicBuffer = detail::ConversionBuffer{};
    lock.unlock();
}

void flushCachedRegexData(const Text& s) {
    if (s.isNull()) return;
    const std::int64_t length = s.length();
    const std::uint64_t hash = length < detail::kIntMax ? s.contentHash() : 0;
    detail::CacheLock lock;
    detail::flushLocked(detail::cacheState(), s.identity(), length, hash);
    lock.unlock();
}

void setAssertionHandler(AssertionHandler handler) { detail::gAssertionHandler.store(handler); }

std::uint64_t debugCacheSpinLockCount() { return detail::gDebugCacheSpinLockCount.load(); }

std::uint64_t debugRegexCompileCount() { return detail::gCompileCount.load(); }

std::size_t cacheSlotForRegex(const icu::UnicodeString& regex) { return detail::slotIndex(regex); }

}  // namespace linecal::rx
