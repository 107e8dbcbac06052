// A failure the user can act on, handed back as a result: what went wrong and what to do about
// it. Stores, the settings and the command line report such failures this way; a programming
// error or a bad argument on the command line is an exception instead (see docs/ARCHITECTURE.md).
#pragma once

#include <unicode/unistr.h>

#include <utility>

namespace linecal {

struct Problem {
    Problem() = default;
    Problem(icu::UnicodeString what, icu::UnicodeString toDo)
        : message(std::move(what)), recoverySuggestion(std::move(toDo)) {}

    icu::UnicodeString message;             // what went wrong
    icu::UnicodeString recoverySuggestion;  // what the user can do about it, worded for the terminal
};

}  // namespace linecal
