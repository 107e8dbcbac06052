// The number words and unit words that amounts in words are made of.
#include "parse/everyday/EverydayText.h"

#include <unicode/locid.h>

#include <algorithm>
#include <array>
#include <vector>
#include <utility>

namespace linecal::everyday {
namespace {

using Entry = std::pair<std::u16string_view, int>;

constexpr std::array<Entry, 28> kNumberWords{{
    {u"a", 1},          {u"an", 1},        {u"one", 1},         {u"two", 2},       {u"three", 3},    {u"four", 4},
    {u"five", 5},       {u"six", 6},       {u"seven", 7},       {u"eight", 8},     {u"nine", 9},     {u"ten", 10},
    {u"eleven", 11},    {u"twelve", 12},   {u"thirteen", 13},   {u"fourteen", 14}, {u"fifteen", 15}, {u"sixteen", 16},
    {u"seventeen", 17}, {u"eighteen", 18}, {u"nineteen", 19},   {u"twenty", 20},   {u"thirty", 30},  {u"forty", 40},
    {u"fifty", 50},     {u"sixty", 60},    {u"a couple of", 2}, {u"a few", 3},
}};

constexpr std::array<Entry, 16> kUnitWords{{
    {u"min", 60},
    {u"mins", 60},
    {u"minute", 60},
    {u"minutes", 60},
    {u"hr", 3600},
    {u"hrs", 3600},
    {u"hour", 3600},
    {u"hours", 3600},
    {u"day", 86400},
    {u"days", 86400},
    {u"week", 604800},
    {u"weeks", 604800},
    {u"fortnight", 1209600},
    {u"fortnights", 1209600},
    {u"sec", 1},
    {u"seconds", 1},
}};

icu::UnicodeString lowerCase(const icu::UnicodeString& text) {
    icu::UnicodeString lower(text);
    return lower.toLower(icu::Locale::getRoot());
}

int lookUp(const icu::UnicodeString& text, const auto& table) {
    const icu::UnicodeString lower = lowerCase(text);
    const std::u16string_view s(lower.getBuffer(), static_cast<std::size_t>(lower.length()));
    for (const auto& [word, value] : table)
        if (s == word) return value;
    return 0;
}

}  // namespace

std::optional<int> numberValue(const icu::UnicodeString& text) {
    if (text.isEmpty()) return std::nullopt;
    int digits = 0;
    long value = 0;
    for (; digits < text.length() && text[digits] >= u'0' && text[digits] <= u'9' && value < 100000; ++digits)
        value = value * 10 + (text[digits] - u'0');
    if (digits == text.length()) return static_cast<int>(value);
    if (digits > 0) return std::nullopt;
    if (int n = lookUp(text, kNumberWords)) return n;
    return std::nullopt;
}

namespace {

icu::UnicodeString alternation(const auto& table) {
    std::vector<std::u16string_view> words;
    for (const auto& entry : table) words.push_back(entry.first);
    std::sort(words.begin(), words.end(), [](auto a, auto b) { return a.size() > b.size(); });
    icu::UnicodeString out;
    for (std::u16string_view w : words) {
        if (!out.isEmpty()) out.append(u'|');
        out.append(w.data(), static_cast<int32_t>(w.size()));
    }
    return out;
}

}  // namespace

const icu::UnicodeString& numberWordsPattern() {
    static const icu::UnicodeString pattern = alternation(kNumberWords);
    return pattern;
}

const icu::UnicodeString& unitWordsPattern() {
    static const icu::UnicodeString pattern = alternation(kUnitWords);
    return pattern;
}

int unitWordSeconds(const icu::UnicodeString& text) { return lookUp(text, kUnitWords); }

}  // namespace linecal::everyday
