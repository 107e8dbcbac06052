// Where the desktop program's log lines go: the systemd journal when the session has one,
// standard error otherwise (and as well, while a person watches a terminal).
#pragma once

namespace linecal {

// Installs the message handler for the process; call once, early.
void routeLogToJournal();

}  // namespace linecal
