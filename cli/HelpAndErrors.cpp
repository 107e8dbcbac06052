#include "cli/HelpAndErrors.h"

#include "cli/CliSupport.h"

#include <cctype>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace linecal::cli {
namespace {

class UsageFormatter : public CLI::Formatter {
public:
    std::string make_usage(const CLI::App* app, std::string name) const override {
        std::string usage = CLI::Formatter::make_usage(app, std::move(name));
        if (!takesEntryText(*app)) return usage;
        const auto end = usage.find_last_not_of('\n') + 1;
        return usage.substr(0, end) + " [--] TEXT…|-" + usage.substr(end);
    }
};

// "linecal add", "linecal accounts add": the command that was being read when parsing stopped.
std::string commandPath(const CLI::App* app) {
    std::string path = "linecal";
    for (const CLI::App* current = app; current;) {
        const auto parsed = current->get_subcommands();
        current = parsed.empty() ? nullptr : parsed.front();
        if (current) path += " " + current->get_name();
    }
    return path;
}

std::string commandNames(const CLI::App& app) {
    std::string names;
    for (const CLI::App* sub : app.get_subcommands({})) names += (names.empty() ? "" : ", ") + sub->get_name();
    return names;
}

std::string failureMessage(const CLI::App* app, const CLI::Error& error) {
    std::string message = error.what();
    // "A subcommand is required" reads on after "linecal: "; "NAME is required" keeps its capitals.
    if (message.size() > 1 && !std::isupper(static_cast<unsigned char>(message[1])))
        message[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(message[0])));
    const std::string path = commandPath(app);
    return "linecal: " + message + "\nRun `" + path + " --help` for what " +
           (path == "linecal" ? "the commands take" : "it takes") + ".\n";
}

// Where the command's name stands: the first word that is neither a global option nor its value.
int commandIndex(const CLI::App& app, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.size() < 2 || word[0] != '-') return i;
        const CLI::Option* option = app.get_option_no_throw(word.substr(0, word.find('=')));
        if (option && word.find('=') == std::string::npos && option->get_items_expected_max() > 0) ++i;
    }
    return argc;
}

}  // namespace

void setUpVoice(CLI::App& app) {
    app.formatter(std::make_shared<UsageFormatter>());
    app.failure_message(failureMessage);
}

void registerHelpCommand(CLI::App& app) {
    // Listed with the commands; answerHelp answers it before parsing, since its words are names of
    // commands, which the parser would start.
    CLI::App* help = app.add_subcommand("help", "Print the help of linecal or of one command");
    help->add_option("COMMAND", "The command, such as add, or accounts add");
}

bool answerHelp(const CLI::App& app, int argc, char** argv) {
    const int first = commandIndex(app, argc, argv);
    if (first >= argc || std::string(argv[first]) != "help") return false;
    const CLI::App* target = &app;
    std::string path = "linecal";
    for (int i = first + 1; i < argc; ++i) {
        const std::string word = argv[i];
        const CLI::App* next = nullptr;
        for (const CLI::App* sub : target->get_subcommands({}))
            if (sub->check_name(word)) next = sub;
        if (!next)
            throw UsageError("no command `" + path + " " + word + "`",
                             "The commands of " + path + " are " + commandNames(*target) + ".");
        target = next;
        path += " " + word;
    }
    std::cout << target->get_formatter()->make_help(target, path, CLI::AppFormatMode::Normal);
    return true;
}

void requireCommand(const CLI::App& app) {
    if (!app.get_subcommands().empty()) return;
    throw UsageError("no command given", "Give one of " + commandNames(app) +
                                             ", as in `linecal add \"Lunch tomorrow at 1pm\"`; `linecal --help` tells "
                                             "what each does.");
}

void requireKnownCommand(const CLI::App& app, int argc, char** argv) {
    const int at = commandIndex(app, argc, argv);
    if (at >= argc) return;
    for (const CLI::App* sub : app.get_subcommands({}))
        if (sub->check_name(argv[at])) return;
    throw UsageError(std::string("unknown command `") + argv[at] + "`",
                     "The commands are " + commandNames(app) + "; `linecal --help` tells what each does.");
}

}  // namespace linecal::cli
