#include "app/DesktopAdvice.h"

#include "prefs/Settings.h"

namespace linecal {

QString desktopAdvice(const StoreError& error) {
    switch (error.kind) {
        case StoreError::Kind::NoCalendar:
            return QStringLiteral(
                "Not saved: no calendar takes it. Name a calendar in brackets, such as [Work], "
                "or choose the calendar for new items in the preferences.");
        case StoreError::Kind::RootNotAFolder:
            return QStringLiteral(
                       "Not saved: linecal keeps its calendars in the folder %1, but a file is there. "
                       "Move that file out of the way, then press Return again.")
                .arg(QString::fromStdString(error.path));
        case StoreError::Kind::Other:
            break;
    }
    return toQString(error.recoverySuggestion.isEmpty() ? error.message : error.recoverySuggestion);
}

}  // namespace linecal
