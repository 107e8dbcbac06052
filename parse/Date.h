// An absolute point in time, in seconds since 1970-01-01 UTC.
#pragma once

#include <ostream>

namespace linecal {

struct Date {
    double seconds = 0;
    Date operator+(double s) const { return Date{seconds + s}; }
    double operator-(Date other) const { return seconds - other.seconds; }
    // Spelled out rather than defaulted through <=>: Qt's moc, which reads headers that include
    // this one, cannot parse <compare>.
    friend bool operator==(Date a, Date b) { return a.seconds == b.seconds; }
    friend bool operator!=(Date a, Date b) { return a.seconds != b.seconds; }
    friend bool operator<(Date a, Date b) { return a.seconds < b.seconds; }
    friend bool operator<=(Date a, Date b) { return a.seconds <= b.seconds; }
    friend bool operator>(Date a, Date b) { return a.seconds > b.seconds; }
    friend bool operator>=(Date a, Date b) { return a.seconds >= b.seconds; }
};

// Lets test frameworks print dates readably.
inline std::ostream& operator<<(std::ostream& out, Date d) { return out << "Date{" << d.seconds << "}"; }

}  // namespace linecal
