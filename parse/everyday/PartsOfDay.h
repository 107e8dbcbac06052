// The parts of the day and the hour each stands for alone ("tonight" is 20:00).
// A bare hour said with one of them takes its half of the day ("tonight at 8").
#pragma once

#include <array>

namespace linecal::everyday {

struct PartOfDay {
    const char* word;
    int hour;        // what the word alone means
    bool afternoon;  // a bare hour with it is after noon
};

inline constexpr std::array<PartOfDay, 5> kPartsOfDay{{
    {"morning", 9, false},
    {"afternoon", 15, true},
    {"evening", 19, true},
    {"night", 20, true},
    {"tonight", 20, true},
}};

}  // namespace linecal::everyday
