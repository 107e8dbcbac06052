// An absolute point in time, in seconds since 1970-01-01 UTC.
#pragma once

#include <compare>
#include <ostream>

namespace linecal {

struct Date {
    double seconds = 0;
    Date operator+(double s) const { return Date{seconds + s}; }
    double operator-(Date other) const { return seconds - other.seconds; }
    friend auto operator<=>(const Date&, const Date&) = default;
};

// Lets test frameworks print dates readably.
inline std::ostream& operator<<(std::ostream& out, Date d) { return out << "Date{" << d.seconds << "}"; }

}  // namespace linecal
