#include "parse/GramIndex.h"

namespace linecal::hints {
namespace {

char16_t folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// A pair is a triple whose last unit is U+0000: it only shares bits with the
// triples of text holding that character, which costs a wrong yes at worst.
constexpr char16_t kPair = 0;

}  // namespace

std::uint32_t GramIndex::slot(char16_t a, char16_t b, char16_t c) {
    const std::uint64_t key = (std::uint64_t{a} << 32) | (std::uint64_t{b} << 16) | c;
    return static_cast<std::uint32_t>((key * 0x9E3779B97F4A7C15ULL) >> 53);  // 2048 slots
}

void GramIndex::build(std::u16string_view text) {
    for (auto& word : bits_) word = 0;
    char16_t a = u' ', b = u' ';
    auto take = [&](char16_t c) {
        set(slot(b, c, kPair));
        set(slot(a, b, c));
        a = b;
        b = c;
    };
    for (char16_t c : text) take(folded(c));
    take(u' ');
}

bool GramIndex::mayContain(std::u16string_view word) const {
    if (word.size() == 2) return has(slot(word[0], word[1], kPair));
    bool asked = false;
    for (std::size_t i = 2; i < word.size(); ++i) {
        if (word[i - 1] == u' ') continue;
        if (!has(slot(word[i - 2], word[i - 1], word[i]))) return false;
        asked = true;
    }
    if (asked || word.size() < 2) return true;
    return has(slot(word[0], word[1], kPair)) && has(slot(word[word.size() - 2], word.back(), kPair));
}

}  // namespace linecal::hints
