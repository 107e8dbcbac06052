// Realistic entry lines for the benchmarks: short and long, every phase represented.
#pragma once

#include "parse/Date.h"

#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <array>

namespace linecal::bench {

// Wednesday 10 March 2010, 15:00 in Los Angeles, where every run pins the zone and locale.
inline constexpr Date kNow{1268262000.0};

inline void pinZoneAndLocale() {
    icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone("America/Los_Angeles"));
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
}

inline constexpr std::array<const char*, 64> kEntryCorpus{
    "Buy groceries at 4pm tomorrow", "Call Bob @15m [Work] for 30 minutes", "Call Bob", "Lunch 12:30pm",
    "Dinner 7pm", "Dentist May 5th", "Review 1/5", "Party today", "Vacation tomorrow", "today to tomorrow",
    "Movie Fri 8pm", "Trip Fri to Mon", "Conference Mon to Thu", "Call mom in 2 hours", "Pay bills in 3 days",
    "Pay bills in 3 days 5pm", "Meeting 2pm to 4pm", "Standup 9am to 9:30am tomorrow", "Pay rent todo",
    "todo buy milk @1h", "Pick up tasks list", "Lunch with Anna at Cafe Rio", "Dinner at 7pm at Joe's",
    "Meet 9am EST", "Call mom +2h", "Trip 5 May to 9 May", "Trip May 5 to May 9", "Review [Work] notes",
    "Meet [Home Stuff] Friday", "Gym 6:30am @30m", "Team sync next Monday 10am for 1 hour [Work]",
    "Renew passport task [Personal] @1w", "Flight to Berlin Dec 12th 7:45am @2h @1d",
    "Birthday party for Sam Saturday 3pm at the park", "Water plants +3d", "Call 555-1234 about the car",
    "Quarterly review 10/15 2pm to 3:30pm at HQ", "Pick up dry cleaning tomorrow 5:30pm",
    "Standup 0930 for 15 minutes", "Yoga Tue 1830", "Book tickets todo in 1 week", "Submit report Fri @1d",
    "Doctor appointment 3/22 11:15am at Main St clinic", "Hackathon Sat to Sun [Projects]",
    "Coffee with Lee noon PST", "Pay credit card bill 28th Mar", "Send invoice @15m", "Read chapter 4 tonight",
    "Lunch", "Weekly planning Mon 9am @10m [Work]", "Anniversary dinner June 14 8pm at Luigi's @2h",
    "Oil change in 2 weeks", "Recycling day Thu", "Parent teacher meeting Wed 4:30pm for 45 minutes",
    "Mow the lawn +2d", "Interview candidate tomorrow 11am for 1 hr at room 3B @15m",
    "Conference call 1400 EDT", "Clean garage todo Sunday", "Backup laptop @1h in 3 hours",
    "Concert Aug 21 at 8pm at the arena", "Dentist cleaning 2011-04-02 10am",
    "Write blog post about the long weekend trip to the mountains with friends and family next Fri",
    "Vet for Rex tomorrow 9am [Pets] @1h @30m @10m", "Project deadline 12/31 5pm @1d [Work] at office"};

}  // namespace linecal::bench
