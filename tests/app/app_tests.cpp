// Runs every suite of the desktop program's controller on Qt's offscreen platform, with the
// per-user folders in a fresh temporary folder.
#include "TestSupport.h"
#include "app/AppProgram.h"

#include <QApplication>

#include <cstdlib>

namespace linecal::testing {
int runStartupTest(int argc, char** argv);
int runDialogTest(int argc, char** argv);
int runStatusTest(int argc, char** argv);
int runPrefsTest(int argc, char** argv);
}  // namespace linecal::testing

int main(int argc, char** argv) {
    linecal::testing::TempDir home;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("XDG_CONFIG_HOME", (home.path / "config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (home.path / "state").c_str(), 1);
    initAppResources();
    QApplication app(argc, argv);
    int failures = 0;
    failures += linecal::testing::runStartupTest(argc, argv);
    failures += linecal::testing::runDialogTest(argc, argv);
    failures += linecal::testing::runStatusTest(argc, argv);
    failures += linecal::testing::runPrefsTest(argc, argv);
    return failures == 0 ? 0 : 1;
}
