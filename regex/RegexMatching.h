// Searching a slot's text: one search step, finding every match into a range
// list, building the result strings, and replacing matches by a template.
#pragma once

#include "regex/RegexSlots.h"

#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace linecal::rx::detail {

inline constexpr std::size_t kStackRanges = 2048;

Range groupRange(const Slot& slot, int group, UErrorCode& status);
// One search step over `range` (whose end is always the end of setToRange).
bool search(Slot& slot, Range& range, bool advance, UErrorCode& status, Failures& failures);

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
bool findAll(Slot& slot, unsigned code, int capture, std::size_t limit, RangeList& list, Failures& failures);
icu::UnicodeString substring(const Slot& slot, Range r);
void makeArray(const Slot& slot, const RangeList& list, bool arrayPerMatch, OpResult& result);

// Code 2: every match of the slot's range replaced by the template.
bool replaceAll(Slot& slot, const icu::UnicodeString& replacement, OpResult& result, Failures& failures);

}  // namespace linecal::rx::detail
