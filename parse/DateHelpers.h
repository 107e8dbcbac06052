// Field arithmetic on dates in ICU's default calendar and time zone.
// Operations "by fields" drop seconds and carry out-of-range fields leniently.
#pragma once

#include "parse/Date.h"

#include <string>

namespace linecal {

Date noon(Date d);
Date addOneDay(Date d);
Date addOneWeek(Date d);
Date addOneYear(Date d);
Date tomorrowAt4pm(Date d);
Date dateToNearest15Minutes(Date d);
Date aboutAnHour(Date d);
bool isBefore(Date d, Date other);
bool isThisDay(Date d, Date day);
// "%Y-%m-%dT%H:%M:%S%z" in the default time zone, e.g. 2010-12-05T16:00:00-0800.
std::string busyCalDate(Date d);
// The default locale's short-date order as letters, e.g. "MDYH", "DMYH", "YMDH".
std::string dateOrderFormat();

}  // namespace linecal
