// The parser's patterns, each one long-lived object so that the regex cache
// recognises it by identity on every keystroke.
#pragma once

#include <unicode/unistr.h>

namespace linecal::patterns {

#define LINECAL_PATTERN(name, text)                    \
    inline const icu::UnicodeString& name() {          \
        static const icu::UnicodeString pattern(text); \
        return pattern;                                \
    }

// Patterns whose groups are never read group without capturing: ICU then
// keeps no group positions while it matches.
LINECAL_PATTERN(taskWord, uR"( (?:[Tt]odo(?:s)?|[Tt]ask(?:s)?) )")
LINECAL_PATTERN(alarmMarker, uR"( \@(([0-9]+)([mhdw]){1}) )")
LINECAL_PATTERN(calendarTag, uR"( (\[(.+)\]) )")
LINECAL_PATTERN(
    monthFirstDate,
    uR"( (?:(?:(?:[Jj]an(?:uary)?|[Ff]eb(?:ruary)?|[Mm]a(?:r(?:ch)?)?|[Aa]pr(?:il)?|[Mm]ay|[Jj]un(?:e)?|[Jj]ul(?:y)?|[Aa]ug(?:ust)?|[Ss]ep(?:tember)?|[Oo]ct(?:ober)?|[Nn]ov(?:ember)?|[Dd]ec(?:ember)?) (?:[0-3]{0,1}[0-9]{1}))(?:(?:st)?|(?:nd)?|(?:rd)?|(?:th)?)|(?:[0-9]{1,4}[-/\.]{1}[0-9]{1,4}[-/\.]{0,1}[0-9]{0,4})) )")
LINECAL_PATTERN(
    dayFirstDate,
    uR"( (?:(?:(?:[0-3]{0,1}[0-9]{1}))(?:(?:st)?|(?:nd)?|(?:rd)?|(?:th)?)[ ](?:[Jj]an(?:uary)?|[Ff]eb(?:ruary)?|[Mm]a(?:r(?:ch)?)?|[Aa]pr(?:il)?|[Mm]ay|[Jj]un(?:e)?|[Jj]ul(?:y)?|[Aa]ug(?:ust)?|[Ss]ep(?:tember)?|[Oo]ct(?:ober)?|[Nn]ov(?:ember)?|[Dd]ec(?:ember)?)|(?:[0-9]{1,4}[-/\.]{1}[0-9]{1,4}[-/\.]{0,1}[0-9]{0,4})) )")
LINECAL_PATTERN(
    timeOfDay,
    uR"( (?:(?:(?:(?:0?[1-9]|1[012])(?:[\:\.]{0,1}[0-5][0-9]){0,2}[ ]{0,1}(?:(?:[AaPp](?:[Mm])?))(?: [MmEePpCc][SsDd][Tt])?)|(?:[01][0-9]|2[0-3])[\:\.]{0,1}(?:[0-5][0-9])(?: [MmEePpCc][SsDd][Tt]?)?)|(?:[Nn]oon)(?: [MmEePpCc][SsDd][Tt]?)) )")
LINECAL_PATTERN(
    weekday,
    uR"([ ](?:(?:next)?[ ]?(?:[Mm]on(?:day)?|[Tt]ue(?:s(?:day)?)?|[Ww]ed(?:nesday)?|[Tt]hu(?:r(?:s(?:day)?)?)?|[Ff]ri(?:day)?|[Ss]at(?:urday)?|[Ss]un(?:day)?))[ ])")
LINECAL_PATTERN(today, uR"( (?:[Tt]oday) )")
LINECAL_PATTERN(tomorrow, uR"( (?:[Tt]omorrow) )")
// The amounts. "[\s]" and "[\d]" are the same sets as "\s" and "\d", but ICU
// runs a loop over a bracketed set without keeping a backtracking state per
// character; with the bare escapes a run of 60,000 digits or tabs overflowed
// its match stack, and an amount that was there went unread. (Possessive loops
// would spare the backtracking, but ICU keeps a state per character for them.)
LINECAL_PATTERN(
    duration,
    uR"( for [\s]*([\d]+(\.[\d]+)?)[\s]*((?:(?:w(?:eek)?)|(?:wk)|(?:d(?:ay)?)|(?:hr)|(?:h(?:our)?)|(?:m(?:(?:in)?utes)?))s?)[\s]* )")
LINECAL_PATTERN(
    relativeOffset,
    uR"( in [\s]*([\d]+(\.[\d]+)?)[\s]*((?:(?:w(?:eek)?)|(?:wk)|(?:d(?:ay)?)|(?:hr)|(?:h(?:our)?)|(?:m(?:(?:in)?utes)?))s?)[\s]* )")
// The decimal point of a number that the duration or offset pattern reads
// (" for 1.5 hours", " in 2.5 days"), with what stands before it as group 1.
// The date and time phases search a copy with this point hidden, so that they
// do not take the number for a date such as 1/5 or a time such as 10:30.
LINECAL_PATTERN(
    amountPoint,
    uR"(( (?:for|in) [\s]*[\d]+)\.(?=[\d]+[\s]*(?:w(?:eek)?|wk|d(?:ay)?|hr|h(?:our)?|m(?:(?:in)?utes)?)s?[\s]* ))")
// The comma of a month-name date followed by a year ("April 14, 2012"); the
// date phase reads it as a space. The date is looked for behind the comma, so
// the engine only stops at commas.
LINECAL_PATTERN(
    yearComma,
    uR"((?<= (?:[Jj]an(?:uary)?|[Ff]eb(?:ruary)?|[Mm]a(?:r(?:ch)?)?|[Aa]pr(?:il)?|[Mm]ay|[Jj]un(?:e)?|[Jj]ul(?:y)?|[Aa]ug(?:ust)?|[Ss]ep(?:tember)?|[Oo]ct(?:ober)?|[Nn]ov(?:ember)?|[Dd]ec(?:ember)?) [0-3]?[0-9](?:st|nd|rd|th)?),(?= (?:19|20)[0-9][0-9] ))")
LINECAL_PATTERN(plusOffset, uR"( \+([0-9]+)([mdhw]{1}) )")
LINECAL_PATTERN(location, uR"( at (.*))")
// The trailing and leading runs of white space. The look-behind starts a match
// only where a run begins, and the possessive loops keep no backtracking state,
// so a run of a million tabs costs linear time and no match stack, with the same
// first match as the plain "\s*$" and "^\s*".
LINECAL_PATTERN(trailingSpace, uR"((?<!\s)\s*+$)")
LINECAL_PATTERN(leadingSpace, uR"(^\s*+)")
LINECAL_PATTERN(
    compactTime,
    uR"( (?:(?:(?:(?:0?[1-9]|1[012])[0-5][0-9])[ ]{0,1}(?:AM|PM|am|pm|aM|Am|pM|Pm)(?: [MmEePpCc][SsDd][Tt])?)|(?:(?:[01][0-9]|2[0-3])[0-5][0-9])(?:  [MmEePpCc][SsDd][Tt])?) )")

#undef LINECAL_PATTERN

}  // namespace linecal::patterns
