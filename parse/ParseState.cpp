// The text handling every phase shares: wrapping, the first match, cutting.
#include "parse/ParseState.h"

#include "parse/DateContext.h"
#include "parse/MatchHints.h"
#include "parse/TextHelpers.h"

#include <algorithm>

namespace linecal {
namespace {

rx::Range from(int32_t start, int32_t length) {
    return rx::Range{static_cast<std::size_t>(start), static_cast<std::size_t>(length)};
}

}  // namespace

void WorkingText::assign(const icu::UnicodeString& text, int32_t wraps) {
    const int32_t room = wraps + 1;
    buffer_.assign(static_cast<std::size_t>(text.length() + 2 * room), u' ');
    begin_ = room;
    end_ = room + text.length();
    std::copy(text.getBuffer(), text.getBuffer() + text.length(), buffer_.begin() + room);
    stale_ = true;
    ++shape_;
}

void WorkingText::makeRoom() {
    // More wraps than foreseen: recentre the text with fresh room at both ends.
    const int32_t length = end_ - begin_, room = length / 2 + 16;
    std::u16string grown(static_cast<std::size_t>(length + 2 * room), u' ');
    std::copy(buffer_.begin() + begin_, buffer_.begin() + end_, grown.begin() + room);
    buffer_ = std::move(grown);
    begin_ = room;
    end_ = room + length;
}

void WorkingText::wrap() {
    if (begin_ == 0 || end_ == static_cast<int32_t>(buffer_.size())) makeRoom();
    // No pattern takes in more than two of the spaces at either end; past two, another
    // wrap would only give the engine places to try in vain.
    auto space = [&](int32_t i) { return i >= begin_ && i < end_ && buffer_[static_cast<std::size_t>(i)] == u' '; };
    if (!(space(begin_) && space(begin_ + 1))) buffer_[static_cast<std::size_t>(--begin_)] = u' ';
    if (!(space(end_ - 1) && space(end_ - 2))) buffer_[static_cast<std::size_t>(end_++)] = u' ';
    stale_ = true;
}

void WorkingText::cut(const icu::UnicodeString& recognised) {
    end_ = begin_ + cutOccurrences(buffer_.data() + begin_, end_ - begin_, recognised.getBuffer(), recognised.length());
    stale_ = true;
    const int32_t n = recognised.length();
    if (n > 0 && (recognised[0] != u' ' || recognised[n - 1] != u' ')) ++shape_;
}

const hints::GramIndex& ParseState::grams() const {
    if (!gramsBuilt_ || gramsShape_ != working.shape()) {
        const icu::UnicodeString& text = workingText();
        grams_.build(std::u16string_view(text.getBuffer(), static_cast<std::size_t>(text.length())));
        gramsShape_ = working.shape();
        gramsBuilt_ = true;
    }
    return grams_;
}

std::optional<rx::Strings> ParseState::firstMatch(const icu::UnicodeString& pattern, int32_t start) const {
    if (start == hints::kNone) return std::nullopt;
    return firstGroupsIn(workingText(), pattern, start, workingText().length() - start);
}

std::optional<icu::UnicodeString> ParseState::firstMatchedText(const icu::UnicodeString& pattern, int32_t start) const {
    if (start == hints::kNone) return std::nullopt;
    const rx::Range r = firstRangeIn(workingText(), pattern, start);
    if (!r.found()) return std::nullopt;
    return icu::UnicodeString(workingText(), static_cast<int32_t>(r.location), static_cast<int32_t>(r.length));
}

std::optional<rx::Strings> ParseState::firstMatchIn(const icu::UnicodeString& pattern, int32_t start,
                                                    int32_t length) const {
    return firstGroupsIn(workingText(), pattern, start, length);
}

// ICU gives up on pathological text (its match stack is bounded); the parser
// never fails, so the phase simply finds nothing.
std::optional<rx::Strings> firstGroupsIn(const icu::UnicodeString& text, const icu::UnicodeString& pattern,
                                         int32_t start, int32_t length) {
    rx::OptStrings groups;
    try {
        groups = rx::captureComponentsMatchedByRegex(rx::UnicodeText(text), pattern, from(start, length));
    } catch (const rx::RegexException&) {
        return std::nullopt;
    }
    if (!groups || groups->empty()) return std::nullopt;
    return std::move(*groups);
}

rx::Range firstRangeIn(const icu::UnicodeString& text, const icu::UnicodeString& pattern, int32_t start) {
    if (start == hints::kNone) return rx::kNotFoundRange;
    try {
        return rx::rangeOfRegex(rx::UnicodeText(text), pattern, from(start, text.length() - start));
    } catch (const rx::RegexException&) {
        return rx::kNotFoundRange;
    }
}

const std::string& ParseState::dateOrder() const {
    const std::string& order = DateContext::current().dateOrder();
    if (!otherNumericOrder) return order;
    if (swappedOrder_.empty()) {
        swappedOrder_ = order;
        for (char& ch : swappedOrder_) ch = ch == 'M' ? 'D' : ch == 'D' ? 'M' : ch;
    }
    return swappedOrder_;
}

}  // namespace linecal
