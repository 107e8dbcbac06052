#include "parse/TextHelpers.h"

#include "parse/MatchHints.h"
#include "parse/Patterns.h"
#include "regex/RegexService.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <vector>

namespace linecal {

namespace {

// ICU's search compares the needle afresh at every position. For the short
// needles of the connectors that is fastest; a long recognised text (a
// calendar tag over a whole pasted line) could make it quadratic, so needles
// past this length go through Knuth-Morris-Pratt, linear in both lengths.
constexpr int32_t kLongNeedle = 64;

class NeedleSearch {
public:
    NeedleSearch(const icu::UnicodeString& haystack, const icu::UnicodeString& needle)
        : hay_(haystack), needle_(needle) {
        if (needle.length() <= kLongNeedle) return;
        const char16_t* p = needle.getBuffer();
        failure_.assign(static_cast<std::size_t>(needle.length()), 0);
        for (int32_t i = 1, k = 0; i < needle.length(); ++i) {
            while (k > 0 && p[i] != p[k]) k = failure_[static_cast<std::size_t>(k - 1)];
            if (p[i] == p[k]) ++k;
            failure_[static_cast<std::size_t>(i)] = k;
        }
    }
    // The first occurrence at or after `from`, or -1.
    int32_t find(int32_t from) const {
        if (failure_.empty()) return hay_.indexOf(needle_, from);
        const char16_t* h = hay_.getBuffer();
        const char16_t* p = needle_.getBuffer();
        const int32_t m = needle_.length();
        for (int32_t i = from, k = 0; i < hay_.length(); ++i) {
            while (k > 0 && h[i] != p[k]) k = failure_[static_cast<std::size_t>(k - 1)];
            if (h[i] == p[k] && ++k == m) return i - m + 1;
        }
        return -1;
    }

private:
    const icu::UnicodeString& hay_;
    const icu::UnicodeString& needle_;
    std::vector<int32_t> failure_;
};

}  // namespace

int replaceOccurrences(icu::UnicodeString& s, const icu::UnicodeString& from, const icu::UnicodeString& to) {
    if (from.isEmpty() || from.length() > s.length()) return 0;
    NeedleSearch search(s, from);
    int32_t pos = search.find(0);
    if (pos < 0) return 0;
    // Build the result in one pass: replacing in place would move the tail once
    // per occurrence, which is quadratic on long text. The room to spare takes
    // the spaces the parser's phases put around the text without reallocating.
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

namespace {

// ICU may give up on pathological text; these helpers never fail, so that reads as no match.
rx::Range firstRange(const icu::UnicodeString& s, const icu::UnicodeString& pattern) {
    try {
        return rx::rangeOfRegex(s, pattern);
    } catch (const rx::RegexException&) {
        return rx::kNotFoundRange;
    }
}

void removeRange(icu::UnicodeString& s, const rx::Range& r) {
    if (r.found() && r.length > 0) s.remove(static_cast<int32_t>(r.location), static_cast<int32_t>(r.length));
}

// Generous on purpose: a false yes only costs a regex run.
bool mayBeSpace(UChar32 c) {
    return c < 0x21 || u_isUWhiteSpace(c) || u_isspace(c) || (U_GET_GC_MASK(c) & U_GC_Z_MASK) != 0;
}

// When the text does not begin (end) with white space, the first match of the
// leading (trailing) pattern is empty and removes nothing, so the engine is spared.
void trimWithPatterns(icu::UnicodeString& s) {
    if (!s.isEmpty() && mayBeSpace(s.char32At(s.length() - 1)))
        removeRange(s, firstRange(s, patterns::trailingSpace()));
    if (!s.isEmpty() && mayBeSpace(s.char32At(0))) removeRange(s, firstRange(s, patterns::leadingSpace()));
}

}  // namespace

icu::UnicodeString ZQtrim(const icu::UnicodeString& input) {
    icu::UnicodeString s(input);
    static const icu::UnicodeString one(u" ");
    for (const char16_t* run : {u"    ", u"   ", u"  "}) replaceOccurrences(s, icu::UnicodeString(run), one);
    replaceOccurrences(s, icu::UnicodeString(u"at at"), icu::UnicodeString(u"at"));
    trimWithPatterns(s);
    return s;
}

namespace {

bool contains(const icu::UnicodeString& s, const char16_t* part) { return s.indexOf(icu::UnicodeString(part)) >= 0; }

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

icu::UnicodeString naturalTimeString(const icu::UnicodeString& input) {
    icu::UnicodeString s(input);
    s.toLower(icu::Locale::getRoot());
    replaceOccurrences(s, icu::UnicodeString(u"."), icu::UnicodeString(u":"));
    s.append(u"  ");
    if (contains(s, u"a ") && !contains(s, u"am ")) replaceOccurrences(s, icu::UnicodeString(u"a "), icu::UnicodeString(u"am "));
    if (contains(s, u"p ") && !contains(s, u"pm ")) replaceOccurrences(s, icu::UnicodeString(u"p "), icu::UnicodeString(u"pm "));
    if (!hints::hasDigit(s) || !firstRange(s, patterns::compactTime()).found()) return s;
    trimWithPatterns(s);
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
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                          c == '-' || c == '.' || c == '_' || c == '~';
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
