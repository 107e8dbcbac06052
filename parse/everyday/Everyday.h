// The everyday phrases: what people type besides the core grammar ("the day
// after tomorrow", "tonight at 8", "3-4pm", "on the 1st", "in half an hour").
// Each family is a phase of its own; the pipeline runs them among the core
// phases, each where it must take its words before a core phase misreads them.
#pragma once

#include "parse/ParseState.h"

namespace linecal::everyday {

// Room for the wraps still to come when a phase puts a new text in place.
inline constexpr int32_t kWrapsLeft = 13;

// Ranges of times, days of a month and weekdays ("3-4pm", "July 13-15", "Mon-Wed").
void readRanges(ParseState& st);
// Hides what must stay in the title from the date and time phases (a phone
// number, "2.5 kg") and marks the connectors "by", "due" and "before".
void keepWords(ParseState& st);
// Holidays ("Thanksgiving", "Easter 2014", "Hanukkah", "Chinese New Year").
void readHolidays(ParseState& st);
// Days named around today ("the day after tomorrow", "yesterday", "last Sunday", "3 days ago").
void readDaysAroundToday(ParseState& st);
// Weeks, months and years ("next week", "this weekend", "end of the month", "October 2014").
void readPeriods(ParseState& st);
// A day of the month ("on the 1st", "first of March", "the 3rd of next month").
void readDayOfMonth(ParseState& st);
// Parts of the day ("tonight at 8", "tomorrow morning", "3 in the afternoon", "midnight").
void readPartsOfDay(ParseState& st);
// Offsets in words ("in half an hour", "in a couple of hours", "3 days from now").
void readAmountsInWords(ParseState& st);
// Repetition ("every Monday", "on the 1st every month", "daily until June 30").
void readRepetition(ParseState& st);
// Before the dates are resolved: a series with no day of its own starts today.
void prepareRepetition(ParseState& st);
// After: the start moves to the rule's first day, and a span becomes a count.
void finishRepetition(ParseState& st);
// Keeps a date text the date reader could not read ("Feb 30") in the title, out
// of the later phases' sight; false when no stand-in is free for it.
bool keepUnreadDate(ParseState& st, const icu::UnicodeString& dateText);
// Puts the kept words back and drops a connector whose date was read.
void restoreKeptWords(ParseState& st);

}  // namespace linecal::everyday
