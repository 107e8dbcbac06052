// The session's EDS calendars for checks that run the desktop program, through EDS's own
// libraries. Usage:
//   eds_calendars_desk add TITLE      commits a local calendar, prints its source UID
//   eds_calendars_desk events UID     prints every event of that calendar as iCalendar text
#include "EdsCalendarDesk.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    const std::string command = argc == 3 ? argv[1] : "";
    if (command != "add" && command != "events") {
        std::fprintf(stderr, "usage: eds_calendars_desk add TITLE | events SOURCE_UID\n");
        return 2;
    }
    try {
        if (command == "add") {
            std::printf("%s\n", linecal::testing::addSource({.title = argv[2]}).c_str());
        } else {
            for (const auto& text : linecal::testing::readObjects(argv[2], false)) std::fputs(text.c_str(), stdout);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "eds_calendars_desk: %s\n", e.what());
        return 1;
    }
    return 0;
}
