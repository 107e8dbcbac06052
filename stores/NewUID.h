// Identifiers for new items and calendars.
#pragma once

#include <string>

namespace linecal {

// A random (version 4) UUID in upper case, as items and calendars are named.
std::string newUID();

}  // namespace linecal
