// Entries from standard input, one per line, and what a batch answers for a
// line it cannot handle. Shared by every entry command's "-" form.
#pragma once

#include "cli/ExitCodes.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

namespace linecal::cli {

struct InputLine {
    std::size_t number = 0;  // counted from 1 over every line, blank ones too
    std::string text;        // without its "\n" or "\r\n"
};

// Reads whole lines of any length from a file descriptor, skipping blank ones
// (nothing but spaces and tabs). A signal that interrupts the read ends the input.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}
    bool next(InputLine& line);
    std::size_t linesRead() const { return number_; }
    // True when the next line is already read in, so next() will not wait for input.
    bool hasBufferedLine() const { return buffer_.find('\n', start_) != std::string::npos; }

private:
    bool fill();
    int fd_;
    std::string buffer_;
    std::size_t start_ = 0;
    std::size_t number_ = 0;
    bool eof_ = false;
};

// What happened over a batch, and the exit code it ends with.
struct BatchOutcome {
    bool badInput = false;
    bool failedSave = false;
    bool ambiguous = false;  // add --strict refused a line that reads two ways
    // A failed save outweighs a bad line, which outweighs an ambiguous one.
    Outcome outcome() const {
        return failedSave  ? Outcome::Failed
               : badInput  ? Outcome::BadInput
               : ambiguous ? Outcome::Ambiguous
                           : Outcome::Done;
    }
};

// {"line": N, "error": "..."}: the answer in place of a line that failed.
nlohmann::json lineError(std::size_t line, const std::string& message);
// Writes the answer line to standard output and the message to standard error.
void reportBadLine(std::size_t line, const std::string& message);
// One answer line on standard output, buffered (a batch writes many).
void writeAnswer(const std::string& text);
void writeAnswer(const nlohmann::json& object);
// Sends the answers written so far on their way: a reader sees each as soon as it is known, and
// a batch killed later has given every answer it had.
void flushAnswers();

// After SIGINT, SIGTERM or SIGHUP the batch stops at the end of the line in hand.
void stopBatchOnSignals();
bool batchStopRequested();
int batchStopSignal();

}  // namespace linecal::cli
