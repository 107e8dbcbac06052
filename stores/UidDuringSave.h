// An item carries the identifier it is being saved under while the store writes it, and gets
// its own back unless the save keeps the new one: a failed save leaves the item as it came.
#pragma once

#include "items/Calendar.h"

namespace linecal {

class UidDuringSave {
public:
    UidDuringSave(CalendarItem& item, const icu::UnicodeString& uid) : item_(item), old_(item.uid) { item.uid = uid; }
    ~UidDuringSave() {
        if (!keep_) item_.uid = old_;
    }
    UidDuringSave(const UidDuringSave&) = delete;
    UidDuringSave& operator=(const UidDuringSave&) = delete;
    void keep() { keep_ = true; }

private:
    CalendarItem& item_;
    icu::UnicodeString old_;
    bool keep_ = false;
};

}  // namespace linecal
