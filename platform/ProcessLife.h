// How the program's process meets the system: termination signals and the launcher waiting
// for it to be ready.
#pragma once

class QCoreApplication;

namespace linecal {

// SIGTERM, SIGINT and SIGHUP end the event loop normally, so settings are written and the
// tray item removed, as with Quit.
void quitOnTerminationSignals(QCoreApplication& app);

// The environment variable that names a pipe a launcher (`linecal show`) waits on.
inline constexpr char kReadyFdVariable[] = "LINECAL_READY_FD";
// Tells a waiting launcher that the request is taken care of, and closes the pipe.
void notifyLauncher(const char* message);

}  // namespace linecal
