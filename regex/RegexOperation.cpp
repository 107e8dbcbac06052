// The one routine every operation runs through: argument checks, then under
// the cache lock the pattern's slot, the text, and the work its code asks for.
// Nothing is thrown and no handler is called while the lock is held: failures
// are recorded and raised after unlocking.
#include "regex/RegexLock.h"
#include "regex/RegexMatching.h"

namespace linecal::rx::detail {
namespace {

constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();

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
    applyTimeLimit(*slot, failures);

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
                fillError(q.error, *q.regex, q.options, status, nullptr,
                          "The ICU library returned an unexpected error code.");
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
            if (findAll(*slot, code, q.capture, limit, list, failures))
                makeArray(*slot, list, q.op & kArrayPerMatch, result);
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

}  // namespace linecal::rx::detail
