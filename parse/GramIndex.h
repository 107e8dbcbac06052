// Which pairs and triples of characters occur in a text, for a quick test that
// a word may occur in it. A yes may be wrong (then the pattern that follows
// finds nothing); a no never is. Built once over a parse's text, it answers the
// everyday phrases' many "does the line mention …" questions without walking the
// line again for each.
#pragma once

#include <cstdint>
#include <string_view>

namespace linecal::hints {

class GramIndex {
public:
    // The text as if a space stood before and after it; A-Z are taken as a-z.
    void build(std::u16string_view text);
    // Whether `word` (lower case) may occur in the text. Triples with a space in
    // the middle are not asked for: a cut that takes out whole words between
    // spaces leaves every other pair and triple as it was, so one index serves
    // the whole parse.
    bool mayContain(std::u16string_view word) const { return mayContain(probe(word)); }
    // What is asked for a word, worked out once for a word asked about often.
    struct Probe {
        std::uint32_t slots[3] = {};
        int count = 0;
    };
    static Probe probe(std::u16string_view word);
    bool mayContain(const Probe& p) const {
        for (int i = 0; i < p.count; ++i)
            if (!has(p.slots[i])) return false;
        return true;
    }

private:
    // 2048 slots, from the three units as one key.
    static std::uint32_t slot(char16_t a, char16_t b, char16_t c) {
        const std::uint64_t key = (std::uint64_t{a} << 32) | (std::uint64_t{b} << 16) | c;
        return static_cast<std::uint32_t>((key * 0x9E3779B97F4A7C15ULL) >> 53);
    }
    bool has(std::uint32_t slot) const { return (bits_[slot >> 6] >> (slot & 63) & 1) != 0; }
    void set(std::uint32_t slot) { bits_[slot >> 6] |= std::uint64_t{1} << (slot & 63); }
    std::uint64_t bits_[32] = {};
};

}  // namespace linecal::hints
