// Runs the desktop program controller's suites on Qt's offscreen platform, with the per-user
// folders in a fresh temporary folder: the suite named by the first argument (CTest runs each as
// an entry of its own), or every suite without one. Further arguments go to Qt Test.
#include "TestSupport.h"
#include "app/AppProgram.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <iostream>

namespace linecal::testing {
int runStartupTest(int argc, char** argv);
int runDialogTest(int argc, char** argv);
int runStatusTest(int argc, char** argv);
int runPrefsTest(int argc, char** argv);
}  // namespace linecal::testing

namespace {

struct Suite {
    const char* name;
    int (*run)(int, char**);
};
constexpr Suite kSuites[] = {
    {"startup", linecal::testing::runStartupTest},
    {"dialog", linecal::testing::runDialogTest},
    {"status", linecal::testing::runStatusTest},
    {"prefs", linecal::testing::runPrefsTest},
};

}  // namespace

int main(int argc, char** argv) {
    linecal::testing::TempDir home;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", (home.path / "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (home.path / "state").c_str(), 1);
    initAppResources();
    QApplication app(argc, argv);
    const char* chosen = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    if (chosen) {
        argv[1] = argv[0];  // Qt Test reads the program name first and the rest as its options
        --argc;
        ++argv;
    }
    int failures = 0, ran = 0;
    for (const Suite& suite : kSuites) {
        if (chosen && std::strcmp(chosen, suite.name) != 0) continue;
        ++ran;
        failures += suite.run(argc, argv);
    }
    if (ran == 0) {
        std::cerr << "app_tests: no suite " << chosen << " (startup, dialog, status, prefs)\n";
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
