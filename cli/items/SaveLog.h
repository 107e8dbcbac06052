// The program's record of what it saved: the logging category "linecal.cli",
// sent to the journal when there is one. Successful saves reach standard error
// only with --verbose (a batch of thousands must not fill the terminal); failed
// ones always do.
#pragma once

#include <string>

namespace linecal::cli {

class SaveLog {
public:
    explicit SaveLog(bool verbose);
    ~SaveLog();
    SaveLog(const SaveLog&) = delete;
    SaveLog& operator=(const SaveLog&) = delete;

    void saved(const std::string& description);
    void failed(const std::string& storeMessage, const std::string& description);
};

}  // namespace linecal::cli
