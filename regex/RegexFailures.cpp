#include "regex/RegexFailures.h"

#include "text/Utf8.h"

namespace linecal::rx {
namespace detail {

const char* const kNSInvalidArgumentException = "NSInvalidArgumentException";
const char* const kNSRangeException = "NSRangeException";
const char* const kNSInternalInconsistencyException = "NSInternalInconsistencyException";

std::map<std::string, InfoValue> errorInfo(const icu::UnicodeString& regex, std::uint32_t options, UErrorCode status,
                                           const UParseError* parseError) {
    std::map<std::string, InfoValue> info;
    const std::string name = u_errorName(status);
    info[ICURegexRegexErrorKey] = toUtf8(regex);
    info[ICURegexRegexOptionsErrorKey] = static_cast<std::int64_t>(options);
    info[ICURegexErrorCodeErrorKey] = static_cast<std::int64_t>(status);
    info[ICURegexErrorNameErrorKey] = name;
    if (parseError && parseError->line != -1) {
        const std::string pre = toUtf8(icu::UnicodeString(parseError->preContext));
        const std::string post = toUtf8(icu::UnicodeString(parseError->postContext));
        info[ICURegexLineErrorKey] = static_cast<std::int64_t>(parseError->line);
        info[ICURegexOffsetErrorKey] = static_cast<std::int64_t>(parseError->offset);
        info[ICURegexPreContextErrorKey] = pre;
        info[ICURegexPostContextErrorKey] = post;
        info["NSLocalizedFailureReason"] = "The error " + name + " occurred at line " +
                                           std::to_string(parseError->line) + ", column " +
                                           std::to_string(parseError->offset) + ": " + pre + "<<HERE>>" + post;
    } else {
        info["NSLocalizedFailureReason"] = "The error " + name + " occurred.";
    }
    return info;
}

void fillError(RegexError* error, const icu::UnicodeString& regex, std::uint32_t options, UErrorCode status,
               const UParseError* parseError, const char* description) {
    if (!error) return;
    error->domain = ICURegexErrorDomain;
    error->code = status;
    error->userInfo = errorInfo(regex, options, status, parseError);
    error->userInfo["NSLocalizedDescription"] = std::string(description);
}

}  // namespace detail
}  // namespace linecal::rx
