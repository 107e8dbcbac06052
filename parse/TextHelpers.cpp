#include "parse/TextHelpers.h"

#include "parse/Patterns.h"
#include "regex/RegexService.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <cstring>
#include <string_view>
#include <vector>

namespace linecal {

namespace {

// The plain search compares the needle afresh at every position. For the short
// needles of the connectors that is fastest; a long recognised text (a
// calendar tag over a whole pasted line) could make it quadratic, so needles
// past this length go through Knuth-Morris-Pratt, linear in both lengths.
constexpr int32_t kLongNeedle = 64;

class NeedleSearch {
public:
    NeedleSearch(const char16_t* haystack, int32_t length, const char16_t* needle, int32_t needleLength)
        : hay_(haystack), n_(length), needle_(needle), m_(needleLength) {
        if (m_ <= kLongNeedle) return;
        failure_.assign(static_cast<std::size_t>(m_), 0);
        for (int32_t i = 1, k = 0; i < m_; ++i) {
            while (k > 0 && needle_[i] != needle_[k]) k = failure_[static_cast<std::size_t>(k - 1)];
            if (needle_[i] == needle_[k]) ++k;
            failure_[static_cast<std::size_t>(i)] = k;
        }
    }
    // The first occurrence at or after `from`, or -1. Only the haystack from
    // `from` on is read, so what lies before may be rewritten meanwhile.
    int32_t find(int32_t from) const {
        if (failure_.empty()) {
            // The parser's needles all begin with a space; their last unit tells more.
            const std::size_t middle = m_ > 2 ? static_cast<std::size_t>(m_ - 2) * sizeof(char16_t) : 0;
            const char16_t first = needle_[0], last = needle_[m_ - 1];
            for (int32_t i = from; i + m_ <= n_; ++i)
                if (hay_[i] == first && hay_[i + m_ - 1] == last && std::memcmp(hay_ + i + 1, needle_ + 1, middle) == 0)
                    return i;
            return -1;
        }
        for (int32_t i = from, k = 0; i < n_; ++i) {
            while (k > 0 && hay_[i] != needle_[k]) k = failure_[static_cast<std::size_t>(k - 1)];
            if (hay_[i] == needle_[k] && ++k == m_) return i - m_ + 1;
        }
        return -1;
    }

private:
    const char16_t* hay_;
    int32_t n_;
    const char16_t* needle_;
    int32_t m_;
    std::vector<int32_t> failure_;
};

}  // namespace

int replaceOccurrences(icu::UnicodeString& s, const icu::UnicodeString& from, const icu::UnicodeString& to) {
    if (from.isEmpty() || from.length() > s.length()) return 0;
    NeedleSearch search(s.getBuffer(), s.length(), from.getBuffer(), from.length());
    int32_t pos = search.find(0);
    if (pos < 0) return 0;
    // Build the result in one pass: replacing in place would move the tail once
    // per occurrence, which is quadratic on long text.
    icu::UnicodeString out(s.length() + 32, 0, 0);
    int count = 0;
    int32_t copied = 0;
    for (; pos >= 0; pos = search.find(copied)) {
        out.append(s, copied, pos - copied).append(to);
        copied = pos + from.length();
        ++count;
    }
    out.append(s, copied, s.length() - copied);
    s = std::move(out);
    return count;
}

int32_t cutOccurrences(char16_t* text, int32_t length, const char16_t* needle, int32_t needleLength) {
    if (needleLength == 0 || needleLength > length) return length;
    NeedleSearch search(text, length, needle, needleLength);
    int32_t written = 0, read = 0;
    for (int32_t pos = search.find(0); pos >= 0; pos = search.find(read)) {
        // The writing end never passes the reading end: each cut leaves one unit for at least one.
        std::memmove(text + written, text + read, static_cast<std::size_t>(pos - read) * sizeof(char16_t));
        written += pos - read;
        text[written++] = u' ';
        read = pos + needleLength;
    }
    if (read == 0) return length;
    std::memmove(text + written, text + read, static_cast<std::size_t>(length - read) * sizeof(char16_t));
    return written + length - read;
}

namespace {

// ICU may give up on pathological text; these helpers never fail, so that reads as no match.
rx::Range firstRange(const icu::UnicodeString& s, const icu::UnicodeString& pattern) {
    try {
        return rx::rangeOfRegex(s, pattern);
    } catch (const rx::RegexException&) {
        return rx::kNotFoundRange;
    }
}

// A run of k spaces after the passes that replace four, then three, then two
// spaces by one, each left to right without overlap: how the title was always
// tidied, so a run of 17 spaces still leaves two.
int32_t collapsedRun(int32_t k) {
    k = k / 4 + k % 4;
    k = k / 3 + k % 3;
    return k / 2 + k % 2;
}

bool isAtAt(const char16_t* p, int32_t i, int32_t n) {
    return i + 5 <= n && p[i] == u'a' && p[i + 1] == u't' && p[i + 2] == u' ' && p[i + 3] == u'a' && p[i + 4] == u't';
}

}  // namespace

bool isWhiteSpace(char16_t c) {
    if (c < 0x80) return c == u' ' || (c >= 0x09 && c <= 0x0D);
    return u_isUWhiteSpace(c);  // White_Space holds no supplementary code point
}

void trimWhiteSpace(icu::UnicodeString& s) {
    const char16_t* p = s.getBuffer();
    int32_t start = 0, end = s.length();
    while (end > start && isWhiteSpace(p[end - 1])) --end;
    while (start < end && isWhiteSpace(p[start])) ++start;
    if (start > 0 || end < s.length()) s.retainBetween(start, end);
}

void tidyInPlace(icu::UnicodeString& s) {
    const int32_t n = s.length();
    if (n == 0) return;
    char16_t* p = s.getBuffer(n);  // keeps the text; everything below only shortens it
    int32_t w = 0;
    for (int32_t i = 0; i < n;) {
        if (p[i] != u' ') {
            p[w++] = p[i++];
            continue;
        }
        int32_t j = i;
        while (j < n && p[j] == u' ') ++j;
        for (int32_t k = collapsedRun(j - i); k > 0; --k) p[w++] = u' ';
        i = j;
    }
    int32_t kept = 0;
    for (int32_t i = 0; i < w;) {
        if (isAtAt(p, i, w)) {
            p[kept++] = u'a';
            p[kept++] = u't';
            i += 5;
        } else {
            p[kept++] = p[i++];
        }
    }
    int32_t start = 0, end = kept;
    while (end > start && isWhiteSpace(p[end - 1])) --end;
    while (start < end && isWhiteSpace(p[start])) ++start;
    if (start > 0) std::memmove(p, p + start, static_cast<std::size_t>(end - start) * sizeof(char16_t));
    s.releaseBuffer(end - start);
}

icu::UnicodeString ZQtrim(const icu::UnicodeString& input) {
    icu::UnicodeString s(input);
    tidyInPlace(s);
    return s;
}

namespace {

bool contains(const icu::UnicodeString& s, std::u16string_view part) {
    return s.indexOf(part.data(), static_cast<int32_t>(part.size()), 0) >= 0;
}

// Every match of the compact-time pattern begins with a space and three ASCII digits.
bool hasSpaceThenThreeDigits(const icu::UnicodeString& s) {
    const char16_t* p = s.getBuffer();
    auto digit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    for (int32_t i = 0, n = s.length(); i + 3 < n; ++i)
        if (p[i] == u' ' && digit(p[i + 1]) && digit(p[i + 2]) && digit(p[i + 3])) return true;
    return false;
}

// Puts a colon before the minute digits of a run such as 430 or 1130. The run is
// located rather than counted from the text's length, so that "430 pm" becomes
// "4:30 pm" and not "43:0 pm".
void insertMinuteColon(icu::UnicodeString& s) {
    int32_t digits = 0;
    while (digits < s.length() && s[digits] >= u'0' && s[digits] <= u'9') ++digits;
    if (digits == 3 || digits == 4) {
        s.insert(digits - 2, u':');
    } else if (s.length() == 3 || s.length() == 4) {
        s.insert(s.length() - 2, u':');
    } else if (s.length() == 5 || s.length() == 6) {
        s.insert(s.length() - 4, u':');
    }
}

}  // namespace

void toLowerRoot(icu::UnicodeString& s) { changeCaseRoot(s, false); }
void toUpperRoot(icu::UnicodeString& s) { changeCaseRoot(s, true); }

void changeCaseRoot(icu::UnicodeString& s, bool upper) {
    const char16_t* p = s.getBuffer();
    const int32_t n = s.length();
    int32_t i = 0;
    while (i < n && p[i] < 0x80) ++i;
    if (i < n) {  // beyond ASCII the root locale's full mappings apply
        upper ? s.toUpper(icu::Locale::getRoot()) : s.toLower(icu::Locale::getRoot());
        return;
    }
    const char16_t from = upper ? u'a' : u'A', to = upper ? u'z' : u'Z';
    for (i = 0; i < n && !(p[i] >= from && p[i] <= to); ++i) {
    }
    if (i == n) return;
    char16_t* w = s.getBuffer(n);
    for (; i < n; ++i)
        if (w[i] >= from && w[i] <= to) w[i] ^= 0x20;
    s.releaseBuffer(n);
}

icu::UnicodeString naturalTimeString(const icu::UnicodeString& input) {
    icu::UnicodeString s(input);
    toLowerRoot(s);
    replaceOccurrences(s, icu::UnicodeString(u"."), icu::UnicodeString(u":"));
    s.append(u"  ");
    if (contains(s, u"a ") && !contains(s, u"am "))
        replaceOccurrences(s, icu::UnicodeString(u"a "), icu::UnicodeString(u"am "));
    if (contains(s, u"p ") && !contains(s, u"pm "))
        replaceOccurrences(s, icu::UnicodeString(u"p "), icu::UnicodeString(u"pm "));
    if (!hasSpaceThenThreeDigits(s) || !firstRange(s, patterns::compactTime()).found()) return s;
    trimWhiteSpace(s);
    insertMinuteColon(s);
    return s;
}

std::optional<std::string> stringByURIEncoding(const icu::UnicodeString& s) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strToUTF8(nullptr, 0, &needed, s.getBuffer(), s.length(), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    status = U_ZERO_ERROR;
    u_strToUTF8(utf8.data(), needed, nullptr, s.getBuffer(), s.length(), &status);
    if (U_FAILURE(status)) return std::nullopt;  // a lone surrogate cannot be encoded
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size() * 3);
    for (unsigned char c : utf8) {
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '.' || c == '_' || c == '~';
        if (unreserved) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

const char* stringWithBool(bool value) { return value ? "Yes" : "No"; }

}  // namespace linecal
