// What goes wrong in an operation: the error out-parameter, and the failures
// recorded under the lock and raised (or handed to the assertion handler) once
// it is released.
#pragma once

#include "regex/RegexInternal.h"

#include <unicode/parseerr.h>

#include <cstdio>
#include <optional>

namespace linecal::rx::detail {

extern const char* const kNSInvalidArgumentException;
extern const char* const kNSRangeException;
extern const char* const kNSInternalInconsistencyException;

// The information map of errors and of ICURegexException.
std::map<std::string, InfoValue> errorInfo(const icu::UnicodeString& regex, std::uint32_t options, UErrorCode status,
                                           const UParseError* parseError);
// Fills the caller's error out-parameter, when there is one.
void fillError(RegexError* error, const icu::UnicodeString& regex, std::uint32_t options, UErrorCode status,
               const UParseError* parseError, const char* description);

// What an operation found wrong; raised once the lock is released. Only the
// first failure counts: the operation stops at it.
class Failures {
public:
    explicit Failures(const OpRequest& q) : q_(q) {}

    void raise(const char* name, const std::string& message, std::map<std::string, InfoValue> info = {}) {
        if (exception_ || assertion_) return;
        exception_.emplace(name, formatReason(q_, message), std::move(info));
    }
    void raiseICU(UErrorCode status) {
        char message[160];
        std::snprintf(message, sizeof message, "ICU regular expression error #%d, %s.", static_cast<int>(status),
                      u_errorName(status));
        raise(ICURegexException, message, errorInfo(*q_.regex, q_.options, status, nullptr));
    }
    void assertion(const char* condition, const char* function, int line) {
        if (exception_ || assertion_) return;
        AssertionFailure failure;
        failure.description = std::string("Invalid parameter not satisfying: ") + condition;
        failure.function = function;
        failure.file = "RegexService";
        failure.line = line;
        failure.exceptionName = kNSInternalInconsistencyException;
        assertion_ = std::move(failure);
    }
    bool any() const { return exception_ || assertion_; }

    // Called with the lock released.
    void deliver() {
        if (assertion_) throw RegexException(assertion_->exceptionName, assertion_->description);
        if (exception_) throw *exception_;
    }

    static std::string formatReason(const OpRequest& q, const std::string& message) {
        const char* cls = q.text ? q.text->className() : "UnicodeString";
        return std::string("*** ") + q.kind + "[" + cls + " " + q.opName + "]: " + message;
    }

private:
    const OpRequest& q_;
    std::optional<RegexException> exception_;
    std::optional<AssertionFailure> assertion_;
};

#define RX_CHECK(failures, condition, ...)                        \
    do {                                                          \
        if (!(condition)) {                                       \
            (failures).assertion(#condition, __func__, __LINE__); \
            return __VA_ARGS__;                                   \
        }                                                         \
    } while (0)
}  // namespace linecal::rx::detail
