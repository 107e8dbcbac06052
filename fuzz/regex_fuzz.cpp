// libFuzzer target for the regex service: the first byte picks options and a
// capture, then the input is split at the first NUL into pattern and subject.
// Run with small inputs and -timeout=1. ICU backtracks exponentially on patterns such as
// "(.+)*x" and loops on a few others, so every match is bounded by the service's time limit: the
// target looks for faults in the service's bookkeeping, not for slow patterns.

#include "regex/RegexService.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace linecal::rx;

namespace {

constexpr std::size_t kMaxPattern = 256;
constexpr std::size_t kMaxSubject = 4096;

// Only the documented misuse may raise; anything else escapes and is reported.
template <typename F>
void guarded(F&& f) {
    try {
        f();
    } catch (const RegexException& e) {
        const std::string& reason = e.reason();
        const bool documented =
            e.name() == ICURegexException || reason.find("The capture argument is not valid.") != std::string::npos;
        if (!documented) throw;
    }
}

void check(bool condition) {
    if (!condition) __builtin_trap();
}

void exercise(const Text& text, const icu::UnicodeString& pattern, std::uint32_t options, int capture) {
    const std::int64_t length = text.length();
    const Range whole{0, static_cast<std::size_t>(length)};
    const Range tail{static_cast<std::size_t>(length / 2), static_cast<std::size_t>(length - length / 2)};
    const icu::UnicodeString replacement("<$0>");
    const std::int64_t groups = captureCountForRegex(pattern, options, nullptr);

    guarded([&] {
        const Range r = rangeOfRegex(text, pattern, options, tail, capture, nullptr);
        check(!r.found() || (r.location >= tail.location && r.end() <= tail.end()));
    });
    guarded([&] {
        auto all = componentsMatchedByRegex(text, pattern, options, whole, capture, nullptr);
        check(all.has_value() == (groups >= 0));
    });
    guarded([&] {
        auto first = captureComponentsMatchedByRegex(text, pattern, options, whole, nullptr);
        check(!first || first->empty() || static_cast<std::int64_t>(first->size()) == groups + 1);
    });
    guarded([&] {
        auto each = arrayOfCaptureComponentsMatchedByRegex(text, pattern, options, tail, nullptr);
        if (each)
            for (const Strings& match : *each) check(static_cast<std::int64_t>(match.size()) == groups + 1);
    });
    guarded([&] {
        auto pieces = componentsSeparatedByRegex(text, pattern, options, whole, nullptr);
        if (pieces) {
            std::int64_t total = 0;
            for (const auto& piece : *pieces) total += piece.length();
            check(total <= length * (groups + 1));
        }
    });
    guarded([&] { stringByReplacingOccurrencesOfRegex(text, pattern, &replacement, options, whole, nullptr); });
    guarded([&] { isMatchedByRegex(text, pattern, options, whole, nullptr); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool bounded = (setRegexTimeLimit(100), true);  // some ten milliseconds a match
    (void)bounded;
    if (size < 1) return 0;
    const std::uint8_t control = data[0];
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t cut = rest.find('\0');
    std::string pattern8 = rest.substr(0, cut);
    std::string subject8 = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    if (pattern8.size() > kMaxPattern || subject8.size() > kMaxSubject) return 0;

    const std::uint32_t flagChoices[] = {0,
                                         UREGEX_CASE_INSENSITIVE,
                                         UREGEX_COMMENTS,
                                         UREGEX_DOTALL,
                                         UREGEX_MULTILINE,
                                         UREGEX_LITERAL,
                                         UREGEX_UWORD,
                                         UREGEX_ERROR_ON_UNKNOWN_ESCAPES};
    const std::uint32_t options = flagChoices[control & 7];
    const int capture = (control >> 3) & 3;

    const icu::UnicodeString pattern = icu::UnicodeString::fromUTF8(pattern8);
    const Utf8Text utf8(subject8);
    const icu::UnicodeString utf16 = icu::UnicodeString::fromUTF8(subject8);
    exercise(utf8, pattern, options, capture);
    exercise(UnicodeText(utf16), pattern, options, capture);

    // Both views hold the same UTF-16 text, so they must agree.
    guarded([&] {
        check(componentsMatchedByRegex(utf8, pattern, options, kWholeRange, 0, nullptr) ==
              componentsMatchedByRegex(UnicodeText(utf16), pattern, options, kWholeRange, 0, nullptr));
    });
    guarded([&] {
        icu::UnicodeString target = utf16;
        const icu::UnicodeString replacement("$0$0");
        const std::size_t count =
            replaceOccurrencesOfRegex(target, pattern, &replacement, options, kWholeRange, nullptr);
        auto copy = stringByReplacingOccurrencesOfRegex(UnicodeText(utf16), pattern, &replacement, options, kWholeRange,
                                                        nullptr);
        check(count == 0 ? target == utf16 : (copy && *copy == target));
    });
    return 0;
}
