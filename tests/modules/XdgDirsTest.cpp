// The environment is saved and restored around each case; the cases set what they rely on.
#include "modules/XdgDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using linecal::XdgDir;
using linecal::xdgDir;

class XdgDirs : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (saved_[i]) ::setenv(kNames[i], saved_[i]->c_str(), 1);
            else ::unsetenv(kNames[i]);
        }
    }
    static constexpr const char* kNames[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                             "XDG_STATE_HOME"};
    std::vector<std::optional<std::string>> saved_;
};

TEST_F(XdgDirs, AnAbsoluteVariableWinsAndARelativeOneIsIgnored) {
    ::setenv("HOME", "/home/ann", 1);
    ::setenv("XDG_CONFIG_HOME", "/elsewhere/config", 1);
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    ::setenv("XDG_CACHE_HOME", "", 1);
    ::unsetenv("XDG_STATE_HOME");
    EXPECT_EQ(xdgDir(XdgDir::Config), "/elsewhere/config");
    EXPECT_EQ(xdgDir(XdgDir::Data), "/home/ann/.local/share");
    EXPECT_EQ(xdgDir(XdgDir::Cache), "/home/ann/.cache");
    EXPECT_EQ(xdgDir(XdgDir::State), "/home/ann/.local/state");
}

TEST_F(XdgDirs, WithoutAHomeTheDefaultsHangUnderTheRoot) {
    for (const char* name : kNames) ::unsetenv(name);
    EXPECT_EQ(xdgDir(XdgDir::Config), "/.config");
    ::setenv("HOME", "", 1);
    EXPECT_EQ(xdgDir(XdgDir::Data), "/.local/share");
    ::setenv("XDG_CACHE_HOME", "/var/cache/ann", 1);
    EXPECT_EQ(xdgDir(XdgDir::Cache), "/var/cache/ann");
}

}  // namespace
