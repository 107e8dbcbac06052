#include "cli/BatchInput.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace linecal::cli {
namespace {

volatile std::sig_atomic_t gStop = 0;

void onStopSignal(int signal) { gStop = signal; }

bool isBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

// stdout fully buffered in big blocks: a batch of 10,000 answers is a few writes.
FILE* answers() {
    static FILE* out = [] {
        static char buffer[1 << 16];
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
        return stdout;
    }();
    return out;
}

}  // namespace

bool LineReader::fill() {
    if (eof_) return false;
    if (start_ > 0) {
        buffer_.erase(0, start_);
        start_ = 0;
    }
    char chunk[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd_, chunk, sizeof chunk);
        if (n > 0) {
            buffer_.append(chunk, static_cast<std::size_t>(n));
            return true;
        }
        if (n < 0 && errno == EINTR && !gStop) continue;
        eof_ = true;  // end, an error, or a stop signal
        // A line cut short by a stop is not a line the user gave.
        if (n != 0) buffer_.clear();
        return false;
    }
}

bool LineReader::next(InputLine& line) {
    std::size_t searched = start_;
    for (;;) {
        const std::size_t end = buffer_.find('\n', searched);
        if (end != std::string::npos || (eof_ && start_ < buffer_.size())) {
            const std::size_t stop = end == std::string::npos ? buffer_.size() : end;
            line.number = ++number_;
            line.text.assign(buffer_, start_, stop - start_);
            if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
            start_ = end == std::string::npos ? buffer_.size() : end + 1;
            if (isBlank(line.text)) {
                searched = start_;
                continue;
            }
            return true;
        }
        const std::size_t before = buffer_.size() - start_;
        if (!fill()) {
            if (start_ < buffer_.size()) continue;  // a last line without "\n"
            return false;
        }
        searched = start_ + before;
    }
}

nlohmann::json lineError(std::size_t line, const std::string& message) {
    return nlohmann::json{{"line", line}, {"error", message}};
}

void writeAnswer(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), answers());
    std::fputc('\n', answers());
}

void writeAnswer(const nlohmann::json& object) {
    writeAnswer(object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void flushAnswers() { std::fflush(answers()); }

void reportBadLine(std::size_t line, const std::string& message) {
    writeAnswer(lineError(line, message));
    std::fflush(answers());  // keep the answer before the message when both go to one terminal
    std::fprintf(stderr, "linecal: line %zu: %s\n", line, message.c_str());
}

void stopBatchOnSignals() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onStopSignal;  // no SA_RESTART: a waiting read returns
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool batchStopRequested() { return gStop != 0; }
int batchStopSignal() { return gStop; }

}  // namespace linecal::cli
