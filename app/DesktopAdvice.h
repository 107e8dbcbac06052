// What the dialog tells a person at the desktop to do about a failed save. The stores word their
// advice for the terminal (commands, options); where that advice names something a desktop user
// has no use for, the dialog says it its own way.
#pragma once

#include "items/CalendarStore.h"

#include <QString>

namespace linecal {

QString desktopAdvice(const StoreError& error);

}  // namespace linecal
