// The calendar application's own defaults for new alarms, read-only.
//
// Linux has no single calendar application whose preferences every program reads, so these
// defaults live in an INI file beside linecal's settings, in the per-user configuration folder
// (the counterpart of the user's preferences folder): keys "Default alarm time" and
// "Default alarm sound", the same keys the calendar application uses.
#pragma once

#include <QString>

namespace linecal {

// $XDG_CONFIG_HOME/linecal/calendar-defaults.conf, or under ~/.config (xdgDir()).
QString iCalPreferencesPath();
// Whole minutes as text; "30" when the file or key is missing.
QString defaultAlarmTime();
// A sound name; the first of the sounds offered for alarms when the file or key is missing.
QString defaultAlarmSound();
bool doesiCalPreferencesExist();

}  // namespace linecal
