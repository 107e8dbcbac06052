#include "cli/CliSupport.h"

#include "parse/CivilDays.h"
#include "parse/DateContext.h"
#include "parse/ParseEntry.h"
#include "parse/everyday/PartsOfDay.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>

namespace linecal::cli {

const char* const kEntryGrammar = R"(
An entry is one line of text. Besides the title it may hold:
  todo, task           make a to-do instead of an event
  @15m @2h @1d @1w     up to three alarms before the start
  [Work]               the calendar to save into
  May 5th, 5 May, 5/12 up to two dates (numeric in your locale's order)
  4pm, 10:30am, 1630   up to two times; a passed time means tomorrow
  Fri, next Monday     up to two weekdays
  today, tomorrow
  for 2 hours          a duration
  in 3 days, +3d       an offset from now
  at Cafe Rio          the location (after the first lone "at")
  every Monday, daily  a repeating item (linecal parse gives its rule as VOK_RECURRENCE):
                       every weekday, every other Tuesday, on the 1st every month,
                       every 3rd Friday, every last day of the month, every May 5,
                       every 2 weeks, weekly, Mondays; then until June 30, 10 times
                       or for 6 weeks

Examples:
  linecal parse "Buy groceries at 4pm tomorrow"
  linecal parse --now 2010-03-10T15:00 -- "Call Bob @15m [Work] for 30 minutes"
  linecal parse "Trip Fri to Mon"
  printf 'Buy milk todo\nDentist May 5th 3pm\n' | linecal add -
)";

const std::string& entryGrammarHelp() {
    static const std::string text = [] {
        std::string out = kEntryGrammar;
        out +=
            "\nEveryday phrases are read too (linecal parse lists them under VOK_READ):\n"
            "  the day after tomorrow, yesterday, last Sunday, 3 days ago\n"
            "  tonight at 8, tomorrow morning, 3 in the afternoon, at night, midnight\n"
            "  3-4pm, between 2 and 3pm, July 13-15, Mon-Wed\n"
            "  on the 1st, first of March, the 3rd of next month\n"
            "  in half an hour, in a couple of hours, 3 days from now\n"
            "  next week, this weekend, next month, end of the month, next year, October 2014\n"
            "  by Friday, due Friday, before 5pm (the word goes with the date)\n"
            "  Thanksgiving, Christmas Eve, Easter, Good Friday, Passover, Eid al-Fitr, Chinese New Year\n"
            "A part of the day alone means:";
        for (const auto& part : everyday::kPartsOfDay) {
            char hour[16];
            std::snprintf(hour, sizeof hour, " %02d:00", part.hour);
            out += std::string(" ") + part.word + hour + ",";
        }
        out.back() = '\n';
        return out;
    }();
    return text;
}

namespace {

// Each entry command's word list, keyed by the command.
std::map<const CLI::App*, std::vector<std::string>*>& entryWordTargets() {
    static std::map<const CLI::App*, std::vector<std::string>*> targets;
    return targets;
}

bool takesValue(const CLI::App& cmd, const std::string& arg) {
    const std::string name = arg.substr(0, arg.find('='));
    for (const CLI::App* scope = &cmd; scope; scope = scope->get_parent()) {
        if (const CLI::Option* opt = scope->get_option_no_throw(name))
            return arg.find('=') == std::string::npos && opt->get_items_expected_max() > 0;
    }
    return false;
}

CLI::App* findSubcommand(CLI::App& app, const std::string& name) {
    for (CLI::App* sub : app.get_subcommands({}))
        if (sub->check_name(name)) return sub;
    return nullptr;
}

}  // namespace

void printError(const std::string& message, const std::string& advice) {
    std::cerr << "linecal: " << message << '\n';
    if (!advice.empty()) std::cerr << advice << '\n';
}

void addEntryArguments(CLI::App& cmd, std::optional<std::string>& now, std::vector<std::string>& words, bool saves) {
    cmd.add_option("--now", now, "Take this local time as now (YYYY-MM-DDTHH:MM[:SS])");
    cmd.footer(std::string("\nTEXT: the entry line; the words after the options (or after --) are joined with spaces.\n"
                           "The system limits one argument to 128 KiB. With - instead of TEXT the entries come from\n"
                           "standard input, one per line (UTF-8, blank lines skipped, any length); a bad line answers\n"
                           "{\"line\": N, \"error\": \"...\"} and the rest go on. ") +
               (saves ? "Exit codes: 0 all well, 2 bad input,\n1 a failed save (1 wins when both happened),\n"
                        "3 an entry --strict refused as readable more than one way.\n"
                      : "Exit codes: 0 all well, 2 bad input.\n") +
               entryGrammarHelp());
    entryWordTargets()[&cmd] = &words;
    const std::string name = cmd.get_name();
    cmd.parse_complete_callback([&words, name] {
        if (words.empty())
            throw UsageError("no entry text given", "Give the entry after the options, as in `linecal " + name +
                                                        " \"Lunch tomorrow at 1pm\"`, or - to read entries from "
                                                        "standard input.");
    });
}

bool takesEntryText(const CLI::App& cmd) { return entryWordTargets().count(&cmd) > 0; }

// An option wherever it stands, until "--": a word of the entry may begin with "-"
// ("-5", "-"), so only what looks like a long option or names a known one counts.
bool isOption(const CLI::App& cmd, const std::string& arg) {
    if (arg.size() > 2 && arg[0] == '-' && arg[1] == '-') return true;
    if (arg.size() < 2 || arg[0] != '-') return false;
    for (const CLI::App* scope = &cmd; scope; scope = scope->get_parent())
        if (scope->get_option_no_throw(arg.substr(0, arg.find('=')))) return true;
    return false;
}

void parseCommandLine(CLI::App& app, int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc), options;
    CLI::App* current = &app;
    std::vector<std::string>* words = nullptr;  // the entry command's, once its text has begun
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto target = entryWordTargets().find(current);
        const bool entryCommand = target != entryWordTargets().end();
        if (arg == "--" && entryCommand) {
            target->second->insert(target->second->end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                   args.end());
            break;
        }
        if (words ? isOption(*current, arg) : arg.size() > 1 && arg[0] == '-') {
            options.push_back(arg);
            if (takesValue(*current, arg) && i + 1 < args.size()) options.push_back(args[++i]);
            continue;
        }
        if (!words) {
            if (CLI::App* sub = findSubcommand(*current, arg)) {
                current = sub;
                options.push_back(arg);
                continue;
            }
            if (entryCommand) words = target->second;
        }
        if (words) {
            words->push_back(arg);
            continue;
        }
        options.push_back(arg);  // CLI11 says what it does not expect
    }
    std::reverse(options.begin(), options.end());  // CLI11 takes its arguments last first
    app.parse(options);
}

icu::UnicodeString entryText(const std::vector<std::string>& words) {
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) joined += ' ';
        joined += words[i];
    }
    return entryLine(joined);
}

icu::UnicodeString entryLine(const std::string& utf8Text) {
    if (utf8Text.size() > static_cast<std::size_t>(INT32_MAX / 2)) throw UsageError("the entry text is too long");
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, utf8Text.data(), static_cast<int32_t>(utf8Text.size()), &status);
    if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR)
        throw UsageError("the entry text is not valid UTF-8",
                         "Give the text in UTF-8 (check the encoding of the "
                         "terminal or the file it comes from).");
    return icu::UnicodeString::fromUTF8(utf8Text);
}

void requireEntry(const icu::UnicodeString& text) {
    for (int32_t i = 0; i < text.length();) {
        const UChar32 c = text.char32At(i);
        if (!u_isUWhiteSpace(c)) return;
        i += U16_LENGTH(c);
    }
    throw UsageError("the entry is empty",
                     "Give the text of the event or to-do, as in `linecal add \"Lunch tomorrow at 1pm\"`.");
}

namespace {

// Exactly `count` ASCII digits at `pos`, or -1.
int digitsAt(const std::string& text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

// Read by hand rather than with a date format: loading ICU's formatting data
// would cost every `linecal parse` more than the parse itself.
Date parseNow(const std::string& text) {
    const bool withSeconds = text.size() == 19;
    const int year = digitsAt(text, 0, 4), month = digitsAt(text, 5, 2), day = digitsAt(text, 8, 2),
              hour = digitsAt(text, 11, 2), minute = digitsAt(text, 14, 2),
              second = withSeconds ? digitsAt(text, 17, 2) : 0;
    const bool shaped = (text.size() == 16 || withSeconds) && text[4] == '-' && text[7] == '-' && text[10] == 'T' &&
                        text[13] == ':' && (!withSeconds || text[16] == ':');
    long long y = 0;
    unsigned m = 0, d = 0;
    if (shaped && year >= 0 && month >= 1 && month <= 12 && day >= 1)
        civilFromDays(daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)), y, m, d);
    const bool valid = shaped && d == static_cast<unsigned>(day) && hour >= 0 && hour < 24 && minute >= 0 &&
                       minute < 60 && second >= 0 && second < 60;
    if (!valid)
        throw UsageError("cannot read --now '" + text + "'",
                         "Give it as YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS, such as 2010-03-10T15:00.");
    return Date{DateContext::current().fromFields(year, month, day, hour, minute) + second};
}

Date nowFrom(const std::optional<std::string>& text) { return text ? parseNow(*text) : currentDate(); }

std::string rfc3339(Date date) {
    const double utc = std::floor(date.seconds);
    const int offset = DateContext::current().utcOffset(utc);
    const long long local = static_cast<long long>(utc) + offset;
    const long long days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
    const auto secondOfDay = static_cast<unsigned>(local - days * 86400);  // 0 to 86399
    long long y = 0;
    unsigned m = 0, d = 0;
    civilFromDays(days, y, m, d);
    const unsigned offsetMinutes =
        static_cast<unsigned>(std::abs(offset)) / 60;  // whole minutes, as ISO 8601's extended form shows them
    char out[64];
    std::snprintf(out, sizeof out, "%04lld-%02u-%02uT%02u:%02u:%02u%c%02u:%02u", y, m, d, secondOfDay / 3600,
                  secondOfDay / 60 % 60, secondOfDay % 60, offset < 0 ? '-' : '+', offsetMinutes / 60,
                  offsetMinutes % 60);
    return out;
}

}  // namespace linecal::cli
