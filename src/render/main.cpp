// remarkist-render: the comment for one JSON request on stdout, for editors, scripts and checks.
// Exit status 0 on success, 1 when the comment cannot be built, 2 for bad usage or a bad request.

#include "render/check.h"
#include "render/read.h"
#include "render/request.h"
#include "render/settings.h"

#include "core/read/declaration.h"

#include "core/misc/date.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view usage =
    "usage: remarkist-render [--settings FILE] [--language c|cpp|d|java] [--lf] [FILE]\n"
    "       remarkist-render date [--settings FILE] [--at YYYY-MM-DDTHH:MM:SS] [--format TEMPLATE]\n"
    "       remarkist-render settings [--settings FILE] [--language c|cpp|d|java [--set KEY=VALUE]...\n"
    "                                 [--unset KEY]...]\n"
    "       remarkist-render read [--language c|cpp|d|java] [FILE]\n"
    "       remarkist-render edit --line N [--language c|cpp|d|java] [--summary TEXT] [--restyle]\n"
    "                                [--settings FILE] [FILE]\n"
    "       remarkist-render check [--fix] [--language c|cpp|d|java] [--jobs N] [--format text|json|sarif]\n"
    "                              [--settings FILE] [--disable RULES] [--only RULES] [--exclude GLOB]\n"
    "                              [PATH...]\n"
    "\n"
    "Reads one request (JSON) from FILE or standard input and writes its comment, lines joined\n"
    "with CR LF and no line break after the last (--lf: LF, and one at the end); with a language,\n"
    "as that language and its documentation checker take it.\n"
    "date prints the date text for the DateFormat setting (or TEMPLATE) now or at the given\n"
    "local time; settings prints the settings in force as JSON (for one language: its own, after\n"
    "--set and --unset change and save them).\n"
    "read prints the request (JSON) for the documentation comment, the declaration, or the comment\n"
    "and the declaration it documents in FILE or standard input; the language is recognised when\n"
    "not given.\n"
    "edit prints (JSON) which lines of the source in FILE or standard input to replace with which\n"
    "text to document the declaration at line N: a comment that is there changes only where the\n"
    "declaration did (--restyle, --summary: it is written anew in the settings' style).\n"
    "Settings come from setting.dat in the current directory when it is there, else from\n"
    "$XDG_CONFIG_HOME/remarkist/setting.dat (~/.config/remarkist/), or from FILE.\n"
    "check reports documentation comments that disagree with their declarations (--fix: repairs\n"
    "them in place); see remarkist-render check --help.\n";

// Bad usage: an unknown option, a missing value, an unreadable file.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void badUsage(const std::string &message) {
    throw UsageError(message + " (see remarkist-render --help)");
}

enum class Command { Render, Date, Settings, Read, Edit };

struct Options {
    Command command = Command::Render;
    std::optional<std::string> settings, at, format, file, language, line, summary;
    bool lf = false, restyle = false;
    std::vector<std::string> set, unset;
};

struct OptionSpec {
    std::string_view name;
    std::vector<Command> commands;
    std::optional<std::string> Options::*value; // null for a flag
    bool Options::*flag;
    std::vector<std::string> Options::*list = nullptr; // an option that may come again
};

const OptionSpec optionSpecs[] = {
    {"--settings",
     {Command::Render, Command::Date, Command::Settings, Command::Edit},
     &Options::settings,
     nullptr},
    {"--lf", {Command::Render}, nullptr, &Options::lf},
    {"--at", {Command::Date}, &Options::at, nullptr},
    {"--format", {Command::Date}, &Options::format, nullptr},
    {"--language",
     {Command::Render, Command::Settings, Command::Read, Command::Edit},
     &Options::language,
     nullptr},
    {"--set", {Command::Settings}, nullptr, nullptr, &Options::set},
    {"--unset", {Command::Settings}, nullptr, nullptr, &Options::unset},
    {"--line", {Command::Edit}, &Options::line, nullptr},
    {"--summary", {Command::Edit}, &Options::summary, nullptr},
    {"--restyle", {Command::Edit}, nullptr, &Options::restyle},
};

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

const OptionSpec *findOption(std::string_view name, Command command) {
    for (const OptionSpec &spec : optionSpecs)
        if (spec.name == name &&
            std::find(spec.commands.begin(), spec.commands.end(), command) != spec.commands.end())
            return &spec;
    return nullptr;
}

// Returns nothing when help was asked for.
std::optional<Options> parseArguments(std::vector<std::string_view> args) {
    Options options;
    std::string prefix;
    constexpr std::pair<std::string_view, Command> commands[] = {{"date", Command::Date},
                                                                 {"settings", Command::Settings},
                                                                 {"read", Command::Read},
                                                                 {"edit", Command::Edit}};
    for (const auto &[name, command] : commands)
        if (!args.empty() && args.front() == name) {
            options.command = command;
            prefix = std::string(name) + ": ";
            args.erase(args.begin());
            break;
        }
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (!onlyFiles && (arg == "--help" || arg == "-h"))
            return std::nullopt;
        if (!onlyFiles && arg == "--") {
            onlyFiles = true;
        } else if (!onlyFiles && arg.size() > 1 && arg[0] == '-') {
            const std::size_t equals = arg.find('=');
            const std::string_view name = arg.substr(0, equals);
            const OptionSpec *spec = findOption(name, options.command);
            if (!spec)
                badUsage(prefix + "unknown option " + inQuotes(name));
            if (!spec->value && !spec->list) {
                if (equals != std::string_view::npos)
                    badUsage(prefix + inQuotes(name) + " takes no value");
                options.*spec->flag = true;
                continue;
            }
            std::string value;
            if (equals != std::string_view::npos)
                value = arg.substr(equals + 1);
            else if (i + 1 < args.size())
                value = args[++i];
            else
                badUsage(prefix + inQuotes(name) + " needs a value");
            if (spec->list)
                (options.*spec->list).push_back(std::move(value));
            else
                options.*spec->value = std::move(value);
        } else if (options.command != Command::Date && options.command != Command::Settings &&
                   !options.file) {
            options.file = std::string(arg);
        } else {
            badUsage(prefix + "unexpected argument " + inQuotes(arg));
        }
    }
    if (options.command == Command::Edit && !options.line)
        badUsage("edit: --line is needed");
    return options;
}

std::string readFile(const std::string &path) {
    const bool standardInput = path == "-";
    std::FILE *file = standardInput ? stdin : std::fopen(path.c_str(), "rb");
    if (!file)
        throw UsageError("cannot read " + inQuotes(path) + ": " + std::strerror(errno));
    std::string text;
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    const bool failed = std::ferror(file);
    const int error = errno;
    if (!standardInput)
        std::fclose(file);
    if (failed)
        throw UsageError("cannot read " + inQuotes(standardInput ? "standard input" : path) + ": " +
                         std::strerror(error));
    return text;
}

// An explicit settings file must exist; the default setting.dat may be missing (first start).
void loadSettings(const Options &options) {
    if (options.settings) {
        std::FILE *file = std::fopen(options.settings->c_str(), "rb");
        if (!file)
            throw UsageError("cannot read settings file " + inQuotes(*options.settings) + ": " +
                             std::strerror(errno));
        std::fclose(file);
        g_settingRecord.m_path = *options.settings;
    }
    g_settingRecord.Load();
}

nlohmann::json parseJson(const std::string &text) {
    try {
        return nlohmann::json::parse(text);
    } catch (const nlohmann::json::exception &error) {
        // "[json.exception.parse_error.101] parse error at line 1, column 2: syntax error ..." gives
        // "invalid JSON at line 1, column 2: syntax error ..."; "[json.exception.out_of_range.406]
        // number overflow parsing '1e400'" gives "invalid JSON: number overflow parsing '1e400'".
        std::string what = error.what();
        what.erase(0, what.find("] ") + 2);
        constexpr std::string_view parseError = "parse error ";
        const bool positioned = what.starts_with(parseError);
        throw RequestError("invalid JSON" +
                           (positioned ? " " + what.substr(parseError.size()) : ": " + what));
    }
}

std::optional<Language> language(const Options &options);

std::string renderCommand(const Options &options) {
    const nlohmann::json value = parseJson(readFile(options.file.value_or("-")));
    const DocumentRequest request = parseRequest(value, g_settingRecord);
    const std::optional<Language> written = language(options);
    // What the request's "settings" name wins over the language's own choice.
    if (written && value.contains("settings"))
        if (const auto choice = g_settingRecord.m_languageChoices.find(*written);
            choice != g_settingRecord.m_languageChoices.end())
            for (const auto &item : value["settings"].items())
                choice->second.erase(item.key());
    return options.lf ? renderDocument(request, "\n", written) + "\n"
                      : renderDocument(request, "\r\n", written);
}

int number(std::string_view digits) {
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// 0 for Sunday, in the Gregorian calendar (year 1 and later).
int weekday(int year, int month, int day) {
    constexpr int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        --year;
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

// "2026-12-07T03:28:05" gives that local time, a Monday.
std::tm parseLocalTime(std::string_view text) {
    constexpr std::string_view shape = "9999-99-99T99:99:99";
    bool fits = text.size() == shape.size();
    for (std::size_t i = 0; fits && i < shape.size(); ++i)
        fits = shape[i] == '9' ? text[i] >= '0' && text[i] <= '9' : text[i] == shape[i];
    if (!fits)
        throw UsageError("date: --at: expected YYYY-MM-DDTHH:MM:SS, got " + inQuotes(text));
    const int year = number(text.substr(0, 4)), month = number(text.substr(5, 2)),
              day = number(text.substr(8, 2));
    const int hour = number(text.substr(11, 2)), minute = number(text.substr(14, 2)),
              second = number(text.substr(17, 2));
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        throw UsageError("date: --at: no such date or time " + inQuotes(text));
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_wday = weekday(year, month, day);
    return local;
}

std::string dateCommand(const Options &options) {
    if (options.format)
        g_settingRecord.m_dateFormat = *options.format;
    const std::string text = options.at ? formatDate(g_settingData.dateFormat(), parseLocalTime(*options.at))
                                        : formatCurrentDate();
    return text + "\n";
}

std::optional<Language> language(const Options &options) {
    std::optional<Language> named;
    if (options.language && !(named = languageNamed(*options.language)))
        badUsage(std::string(options.command == Command::Read       ? "read: "
                             : options.command == Command::Edit     ? "edit: "
                             : options.command == Command::Settings ? "settings: "
                                                                    : "") +
                 "unknown language " + inQuotes(*options.language) + " (expected c, cpp, d or java)");
    return named;
}

std::size_t lineNumber(const std::string &text) {
    std::size_t line = 0;
    const bool digits =
        !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
    if (digits)
        line = std::stoul(text);
    if (line == 0)
        badUsage("edit: --line: expected a line number from 1, got " + inQuotes(text));
    return line;
}

// Parameters a comment documents that its declaration no longer has: named, but no failure.
void reportDropped(const std::vector<std::string> &dropped) {
    for (const std::string &name : dropped)
        std::cerr << "remarkist-render: dropped parameter " << inQuotes(name) << ": not in the declaration\n";
}

std::string sourceCommand(const Options &options) {
    std::vector<std::string> dropped;
    const std::string text = readFile(options.file.value_or("-"));
    const std::string output = options.command == Command::Read
                                   ? readCommand(text, language(options), dropped)
                                   : editCommand(text, lineNumber(*options.line), language(options),
                                                 options.summary, options.restyle, dropped);
    reportDropped(dropped);
    return output;
}

void write(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        throw std::runtime_error(std::string("cannot write the output: ") + std::strerror(errno));
}

int run(std::vector<std::string_view> args) {
    const std::optional<Options> options = parseArguments(std::move(args));
    if (!options) {
        write(usage);
        return 0;
    }
    if (options->command != Command::Read)
        loadSettings(*options);
    switch (options->command) {
    case Command::Render:
        write(renderCommand(*options));
        break;
    case Command::Date:
        write(dateCommand(*options));
        break;
    case Command::Settings:
        write(settingsCommand(language(*options), options->set, options->unset));
        break;
    case Command::Read:
    case Command::Edit:
        write(sourceCommand(*options));
        break;
    }
    return 0;
}

int fail(int status, std::string_view message) {
    std::cerr << "remarkist-render: " << message << '\n';
    return status;
}

} // namespace

int main(int argc, char **argv) {
    if (argc > 1 && std::string_view(argv[1]) == "check")
        return checkCommand(std::vector<std::string_view>(argv + 2, argv + argc));
    try {
        return run(std::vector<std::string_view>(argv + 1, argv + argc));
    } catch (const UsageError &error) {
        return fail(2, error.what());
    } catch (const SettingsUsageError &error) {
        return fail(2, error.what() + std::string(" (see remarkist-render --help)"));
    } catch (const RequestError &error) {
        return fail(2, std::string("request: ") + error.what());
    } catch (const std::exception &error) {
        return fail(1, error.what());
    }
}
