// Shared between the public wrappers and the cache; not part of the interface.
#pragma once

#include "regex/RegexService.h"

#include <cstring>

namespace linecal::rx::detail {

// The low four bits select the work; the flags ride above them.
enum OpCode : unsigned {
    kLookupOnly = 0,  // capture count, validity: compile and stop
    kSplit = 1,
    kReplace = 2,
    kFirstRange = 3,
    kCaptureOfEach = 4,
    kAllCaptures = 5,
    kFirstCaptures = 6,
    kOpMask = 15,
    kInPlace = 16,        // with kReplace: rewrite the receiver
    kArrayPerMatch = 32,  // with kAllCaptures: one array per match
};

struct OpRequest {
    const Text* text = nullptr;  // null only for kLookupOnly
    char kind = '-';             // '+' for operations of the class
    const char* opName = "";
    unsigned op = kLookupOnly;
    const icu::UnicodeString* regex = nullptr;
    std::uint32_t options = 0;
    int capture = 0;
    Range range = kWholeRange;
    const icu::UnicodeString* replacement = nullptr;
    RegexError* error = nullptr;
    icu::UnicodeString* inPlaceTarget = nullptr;  // with kInPlace
    bool wantMatchedText = false;                 // with kFirstRange
};

struct OpResult {
    bool compiled = false;
    std::int64_t captureCount = -1;
    Range range = kNotFoundRange;
    Strings strings;
    std::vector<Strings> arrays;
    icu::UnicodeString replaced;
    icu::UnicodeString matchedText;
    std::size_t count = 0;
};

// Runs one operation under the cache lock. Misuse throws RegexException (after
// the lock is released); a pattern that does not compile gives compiled == false.
OpResult performRegexOp(const OpRequest& request);

inline constexpr std::uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
inline constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

// FNV-1a, 64 bits, one step per UTF-16 code unit.
inline std::uint64_t fnv1a64(const UChar* units, std::int64_t count, std::uint64_t basis = kFnvOffsetBasis) {
    std::uint64_t h = basis;
    for (std::int64_t i = 0; i < count; ++i) {
        h ^= static_cast<std::uint16_t>(units[i]);
        h *= kFnvPrime;
    }
    return h;
}

// A text's content hash, eight bytes a step: it is taken for every operation,
// so it must cost little more than reading the text once.
inline std::uint64_t textHash(const UChar* units, std::int64_t count) {
    std::uint64_t h = kFnvOffsetBasis ^ static_cast<std::uint64_t>(count);
    std::int64_t i = 0;
    for (; i + 4 <= count; i += 4) {
        std::uint64_t chunk;
        std::memcpy(&chunk, units + i, sizeof chunk);
        h = (h ^ chunk) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
    }
    for (; i < count; ++i) h = (h ^ static_cast<std::uint16_t>(units[i])) * kFnvPrime;
    return h;
}

}  // namespace linecal::rx::detail
