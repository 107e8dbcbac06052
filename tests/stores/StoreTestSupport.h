// Temporary folders, reading files back, and parsing them with libical.
#pragma once

#include "TestClock.h"

#include <libical/ical.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace linecal::testing {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "linecal-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// File names and contents of a folder, to show that a failed save left it as it was.
inline std::set<std::pair<std::string, std::string>> snapshot(const std::filesystem::path& folder) {
    std::set<std::pair<std::string, std::string>> files;
    for (auto& entry : std::filesystem::directory_iterator(folder)) {
        files.emplace(entry.path().filename().string(), entry.is_regular_file() ? readFile(entry.path()) : "<dir>");
    }
    return files;
}

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Parsed = std::unique_ptr<icalcomponent, ComponentFree>;

inline Parsed parseICalendar(const std::string& text) { return Parsed(icalparser_parse_string(text.c_str())); }

inline std::string propertyText(icalcomponent* c, icalproperty_kind kind) {
    icalproperty* p = icalcomponent_get_first_property(c, kind);
    if (!p) return {};
    char* s = icalproperty_as_ical_string_r(p);
    std::string text(s);
    free(s);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

}  // namespace linecal::testing
