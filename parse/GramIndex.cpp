#include "parse/GramIndex.h"

namespace linecal::hints {
namespace {

char16_t folded(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// A pair is a triple whose last unit is U+0000: it only shares bits with the
// triples of text holding that character, which costs a wrong yes at worst.
constexpr char16_t kPair = 0;

}  // namespace

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

GramIndex::Probe GramIndex::probe(std::u16string_view word) {
    Probe p;
    if (word.size() == 2) {
        p.slots[p.count++] = slot(word[0], word[1], kPair);
        return p;
    }
    // Three triples tell nearly every absent word; more would only cost time.
    for (std::size_t i = 2; i < word.size() && p.count < 3; ++i)
        if (word[i - 1] != u' ') p.slots[p.count++] = slot(word[i - 2], word[i - 1], word[i]);
    if (p.count > 0 || word.size() < 2) return p;
    p.slots[p.count++] = slot(word[0], word[1], kPair);
    p.slots[p.count++] = slot(word[word.size() - 2], word.back(), kPair);
    return p;
}

}  // namespace linecal::hints
