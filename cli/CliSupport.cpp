#include "cli/CliSupport.h"

#include "parse/ParseEntry.h"

#include <unicode/smpdtfmt.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cmath>
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

Examples:
  linecal parse "Buy groceries at 4pm tomorrow"
  linecal parse --now 2010-03-10T15:00 -- "Call Bob @15m [Work] for 30 minutes"
  linecal parse "Trip Fri to Mon"
)";;

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

void addEntryArguments(CLI::App& cmd, std::optional<std::string>& now, std::vector<std::string>& words) {
    cmd.add_option("--now", now, "Take this local time as now (YYYY-MM-DDTHH:MM[:SS])");
    cmd.footer(std::string("\nTEXT: the entry line; the words after the options (or after --) are joined with spaces.\n") +
               kEntryGrammar);
    entryWordTargets()[&cmd] = &words;
    cmd.parse_complete_callback([&words] {
        if (words.empty()) throw UsageError("no entry text given");
    });
}

void parseCommandLine(CLI::App& app, int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    CLI::App* current = &app;
    for (std::size_t i = 0; i < args.size();) {
        const std::string& arg = args[i];
        auto target = entryWordTargets().find(current);
        bool entryCommand = target != entryWordTargets().end();
        if (arg == "--" && entryCommand) {
            target->second->assign(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            args.resize(i);
            break;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            i += takesValue(*current, arg) ? 2 : 1;
            continue;
        }
        if (CLI::App* sub = findSubcommand(*current, arg)) {
            current = sub;
            ++i;
            continue;
        }
        if (entryCommand) {
            target->second->assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
            args.resize(i);
        }
        break;
    }
    std::reverse(args.begin(), args.end());  // CLI11 takes its arguments last first
    app.parse(args);
}

icu::UnicodeString entryText(const std::vector<std::string>& words) {
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) joined += ' ';
        joined += words[i];
    }
    if (joined.size() > static_cast<std::size_t>(INT32_MAX / 2)) throw UsageError("the entry text is too long");
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, joined.data(), static_cast<int32_t>(joined.size()), &status);
    if (U_FAILURE(status) && status != U_BUFFER_OVERFLOW_ERROR) throw UsageError("the entry text is not valid UTF-8");
    return icu::UnicodeString::fromUTF8(joined);
}

Date parseNow(const std::string& text) {
    for (const char16_t* pattern : {u"yyyy-MM-dd'T'HH:mm:ss", u"yyyy-MM-dd'T'HH:mm"}) {
        UErrorCode status = U_ZERO_ERROR;
        icu::SimpleDateFormat format(icu::UnicodeString(pattern), icu::Locale::getRoot(), status);
        format.setLenient(false);
        icu::UnicodeString input = icu::UnicodeString::fromUTF8(text);
        icu::ParsePosition pos(0);
        UDate ms = format.parse(input, pos);
        if (U_SUCCESS(status) && pos.getErrorIndex() < 0 && pos.getIndex() == input.length())
            return Date{ms / 1000.0};
    }
    throw UsageError("cannot read --now '" + text + "': expected YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS");
}

Date nowFrom(const std::optional<std::string>& text) { return text ? parseNow(*text) : currentDate(); }

std::string rfc3339(Date d) {
    UErrorCode status = U_ZERO_ERROR;
    static thread_local icu::SimpleDateFormat format(icu::UnicodeString(u"yyyy-MM-dd'T'HH:mm:ssxxx"),
                                                     icu::Locale::getRoot(), status);
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
    format.adoptTimeZone(zone.release());
    icu::UnicodeString out;
    format.format(std::floor(d.seconds) * 1000.0, out);
    return utf8(out);
}

std::string utf8(const icu::UnicodeString& s) {
    std::string out;
    return s.toUTF8String(out);
}

}  // namespace linecal::cli
