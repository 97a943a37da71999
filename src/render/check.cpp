#include "render/check.h"

#include "core/common/settingrecord.h"
#include "core/read/declaration.h"
#include "core/read/scan.h"

#include <nlohmann/json.hpp>

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char **environ;

namespace {

class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

enum class Format { Text, Json, Sarif };

using RuleSet = std::array<bool, std::size(allRules)>;

// What the command line or a project file chooses.
struct Choice {
    std::optional<RuleSet> only;
    RuleSet disabled{};
    std::optional<Language> language;
    // Folder the globs are relative to, absolute, with no "/" at its end ("" for the root).
    std::string base;
    std::vector<std::string> excludes;
};

// "param-order,return-void" gives those two rules.
RuleSet parseRules(std::string_view list, const std::string &where) {
    RuleSet rules{};
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        std::string_view name = list.substr(0, comma);
        while (!name.empty() && name.front() == ' ')
            name.remove_prefix(1);
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
        if (!name.empty()) {
            const std::optional<Rule> rule = ruleNamed(name);
            if (!rule) {
                std::string known;
                for (Rule r : allRules)
                    known += (known.empty() ? "" : ", ") + std::string(ruleName(r));
                throw UsageError(where + ": unknown rule " + inQuotes(name) + " (known: " + known + ")");
            }
            rules[static_cast<std::size_t>(*rule)] = true;
        }
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    return rules;
}

std::optional<Language> parseLanguage(std::string_view name, const std::string &where) {
    const std::optional<Language> language = languageNamed(name);
    if (!language)
        throw UsageError(where + ": unknown language " + inQuotes(name) + " (expected c, cpp, d or java)");
    return language;
}

// Globs as .gitignore writes them: one without "/" matches a file or folder name anywhere
// ("*.gen.h", "third_party"); one with "/" matches the path from the base folder
// ("src/gen/*.cpp", "/vendor", "**/test/*.d"). "*" and "?" stay within a name, "**" spans names.
bool globMatch(std::string_view p, std::string_view s) {
    while (!p.empty()) {
        if (p.starts_with("**")) {
            p.remove_prefix(2);
            if (p.empty())
                return true;
            if (p.front() == '/') {
                p.remove_prefix(1);
                for (std::size_t i = 0;; i = s.find('/', i) + 1) {
                    if (globMatch(p, s.substr(i)))
                        return true;
                    if (s.find('/', i) == std::string_view::npos)
                        return false;
                }
            }
            for (std::size_t i = 0; i <= s.size(); ++i)
                if (globMatch(p, s.substr(i)))
                    return true;
            return false;
        }
        const char c = p.front();
        if (c == '*') {
            p.remove_prefix(1);
            for (std::size_t i = 0; i <= s.size(); ++i) {
                if (globMatch(p, s.substr(i)))
                    return true;
                if (i < s.size() && s[i] == '/')
                    return false;
            }
            return false;
        }
        if (s.empty())
            return false;
        if (c == '?') {
            if (s.front() == '/')
                return false;
        } else if (c == '[') {
            const std::size_t close = p.find(']', 2);
            if (close != std::string_view::npos) {
                std::string_view set = p.substr(1, close - 1);
                const bool negate = !set.empty() && (set.front() == '!' || set.front() == '^');
                if (negate)
                    set.remove_prefix(1);
                bool in = false;
                for (std::size_t k = 0; k < set.size(); ++k)
                    if (k + 2 < set.size() && set[k + 1] == '-') {
                        in = in || (s.front() >= set[k] && s.front() <= set[k + 2]);
                        k += 2;
                    } else {
                        in = in || s.front() == set[k];
                    }
                if (in == negate || s.front() == '/')
                    return false;
                p.remove_prefix(close + 1);
                s.remove_prefix(1);
                continue;
            }
            if (s.front() != c)
                return false;
        } else if (c == '\\' && p.size() > 1) {
            p.remove_prefix(1);
            if (s.front() != p.front())
                return false;
        } else if (s.front() != c) {
            return false;
        }
        p.remove_prefix(1);
        s.remove_prefix(1);
    }
    return s.empty();
}

// Whether a glob excludes `relative` (a path from the glob's base, "/" between names).
bool excludes(std::string_view glob, std::string_view relative) {
    if (glob.ends_with('/'))
        glob.remove_suffix(1);
    if (glob.find('/') == std::string_view::npos) {
        for (std::size_t i = 0;;) {
            const std::size_t slash = relative.find('/', i);
            if (globMatch(glob, relative.substr(i, slash == std::string_view::npos ? slash : slash - i)))
                return true;
            if (slash == std::string_view::npos)
                return false;
            i = slash + 1;
        }
    }
    if (glob.front() == '/')
        glob.remove_prefix(1);
    // "src/gen" excludes "src/gen/a.cpp" too.
    for (std::size_t end = relative.size(); end != std::string_view::npos && end > 0;
         end = relative.rfind('/', end - 1))
        if (globMatch(glob, relative.substr(0, end)))
            return true;
    return false;
}

// "a/./b/../c" gives "a/c"; the result is absolute when `path` is.
std::string normalPath(const std::string &path) {
    std::vector<std::string_view> parts;
    std::string_view rest = path;
    while (!rest.empty()) {
        const std::size_t slash = std::min(rest.find('/'), rest.size());
        const std::string_view part = rest.substr(0, slash);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (path.front() != '/')
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        rest.remove_prefix(std::min(slash + 1, rest.size()));
    }
    std::string out = path.front() == '/' ? "" : ".";
    for (std::string_view part : parts)
        out += (out.empty() || out == "." ? (out == "." ? "" : "/") : "/") + std::string(part);
    if (path.front() == '/' && out.empty())
        return "/";
    return out.empty() ? "." : out;
}

std::string absolutePath(const std::string &path) {
    if (!path.empty() && path.front() == '/')
        return normalPath(path);
    char buffer[4096];
    const char *cwd = getcwd(buffer, sizeof buffer);
    return normalPath(std::string(cwd ? cwd : ".") + "/" + path);
}

std::string parentOf(const std::string &absolute) {
    const std::size_t slash = absolute.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : absolute.substr(0, slash);
}

// The project file: ".remarkist.toml", a small part of TOML:
//   # comment
//   disable = ["param-order"]          (or "param-order,return-void")
//   only = ["param-unknown"]
//   exclude = ["third_party", "src/gen/*.cpp"]
//   language = "cpp"
// with an optional [check] table holding the same keys.
constexpr std::string_view projectFileName = ".remarkist.toml";

class ProjectReader {
public:
    ProjectReader(std::string path, std::string text) : m_path(std::move(path)), m_text(std::move(text)) {}

    Choice read() {
        Choice choice;
        choice.base = parentOf(m_path);
        if (choice.base == "/")
            choice.base.clear();
        while (skipSpace(), m_at < m_text.size()) {
            if (m_text[m_at] == '[') {
                const std::size_t close = m_text.find(']', m_at);
                if (close == std::string::npos || trim(m_text.substr(m_at + 1, close - m_at - 1)) != "check")
                    fail("only a [check] table is known");
                m_at = close + 1;
                endLine();
                continue;
            }
            std::size_t keyEnd = m_at;
            while (keyEnd < m_text.size() && (std::isalnum(static_cast<unsigned char>(m_text[keyEnd])) ||
                                              m_text[keyEnd] == '-' || m_text[keyEnd] == '_'))
                ++keyEnd;
            const std::string key = m_text.substr(m_at, keyEnd - m_at);
            m_at = keyEnd;
            skipBlanks();
            if (key.empty() || m_at >= m_text.size() || m_text[m_at] != '=')
                fail("expected key = value");
            ++m_at;
            skipBlanks();
            constexpr std::string_view keys[] = {"disable", "only", "exclude", "language"};
            if (std::find(std::begin(keys), std::end(keys), key) == std::end(keys))
                fail("unknown key " + inQuotes(key) + " (known: disable, only, exclude, language)");
            const std::vector<std::string> values = readValue();
            std::string joined;
            for (const std::string &value : values)
                joined += (joined.empty() ? "" : ",") + value;
            const std::string where = m_path + ":" + std::to_string(m_line);
            if (key == "disable") {
                choice.disabled = parseRules(joined, where);
            } else if (key == "only") {
                choice.only = parseRules(joined, where);
            } else if (key == "exclude") {
                choice.excludes = values;
            } else if (key == "language") {
                if (values.size() != 1)
                    fail("language takes one name");
                choice.language = parseLanguage(values.front(), where);
            }
            endLine();
        }
        return choice;
    }

private:
    std::string m_path, m_text;
    std::size_t m_at = 0, m_line = 1;

    [[noreturn]] void fail(const std::string &message) const {
        throw UsageError(m_path + ":" + std::to_string(m_line) + ": " + message);
    }
    static std::string trim(std::string text) {
        text.erase(0, text.find_first_not_of(" \t"));
        text.erase(text.find_last_not_of(" \t") + 1);
        return text;
    }
    void skipBlanks() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t'))
            ++m_at;
    }
    // Blanks, line breaks and comments.
    void skipSpace() {
        for (;;) {
            skipBlanks();
            if (m_at < m_text.size() && m_text[m_at] == '#')
                m_at = std::min(m_text.find('\n', m_at), m_text.size());
            if (m_at < m_text.size() && (m_text[m_at] == '\n' || m_text[m_at] == '\r')) {
                m_line += m_text[m_at] == '\n';
                ++m_at;
                continue;
            }
            return;
        }
    }
    void endLine() {
        skipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == '#')
            m_at = std::min(m_text.find('\n', m_at), m_text.size());
        if (m_at < m_text.size() && m_text[m_at] == '\r')
            ++m_at;
        if (m_at < m_text.size() && m_text[m_at] != '\n')
            fail("expected the end of the line");
    }
    std::string readString() {
        const char quote = m_text[m_at++];
        std::string value;
        while (m_at < m_text.size() && m_text[m_at] != quote && m_text[m_at] != '\n') {
            char c = m_text[m_at++];
            if (c == '\\' && quote == '"' && m_at < m_text.size()) {
                c = m_text[m_at++];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c;
            }
            value += c;
        }
        if (m_at >= m_text.size() || m_text[m_at] != quote)
            fail("unterminated string");
        ++m_at;
        return value;
    }
    std::vector<std::string> readValue() {
        if (m_at < m_text.size() && (m_text[m_at] == '"' || m_text[m_at] == '\''))
            return {readString()};
        if (m_at >= m_text.size() || m_text[m_at] != '[')
            fail("expected a string or a list of strings");
        ++m_at;
        std::vector<std::string> values;
        for (;;) {
            skipSpace();
            if (m_at < m_text.size() && m_text[m_at] == ']') {
                ++m_at;
                return values;
            }
            if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
                fail("expected a string in the list");
            values.push_back(readString());
            skipSpace();
            if (m_at < m_text.size() && m_text[m_at] == ',')
                ++m_at;
            else if (m_at >= m_text.size() || m_text[m_at] != ']')
                fail("expected \",\" or \"]\" in the list");
        }
    }
};

bool readWhole(int fd, std::string &text, std::size_t sizeHint) {
    text.clear();
    text.reserve(sizeHint);
    char chunk[65536];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got == 0)
            return true;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text.append(chunk, static_cast<std::size_t>(got));
    }
}

// The project file nearest above `absolute` (a folder), as .clang-format is found.
std::optional<std::string> findProjectFile(std::string folder) {
    for (;;) {
        const std::string candidate = (folder == "/" ? "" : folder) + "/" + std::string(projectFileName);
        struct stat st;
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            return candidate;
        if (folder == "/")
            return std::nullopt;
        folder = parentOf(folder);
    }
}

Choice loadProjectFile(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::string text;
    const bool ok = fd >= 0 && readWhole(fd, text, 4096);
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    if (!ok)
        throw UsageError("cannot read " + inQuotes(path) + ": " + std::strerror(error));
    return ProjectReader(path, std::move(text)).read();
}

// Paths under `folder` that git ignores ("build/" for a folder), relative to it; nothing when
// the folder is not in a git work tree or git is not there.
std::set<std::string> gitIgnored(const std::string &folder) {
    std::set<std::string> ignored;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        return ignored;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    const char *argv[] = {"git",      "-C",        folder.c_str(),       "ls-files",    "-z",
                          "--others", "--ignored", "--exclude-standard", "--directory", nullptr};
    pid_t pid = -1;
    const int spawned =
        posix_spawnp(&pid, "git", &actions, nullptr, const_cast<char *const *>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    std::string output;
    if (spawned == 0)
        readWhole(pipeEnds[0], output, 4096);
    ::close(pipeEnds[0]);
    int status = 1;
    if (spawned == 0)
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    if (spawned != 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return ignored;
    for (std::size_t at = 0; at < output.size();) {
        const std::size_t end = std::min(output.find('\0', at), output.size());
        std::string path = output.substr(at, end - at);
        if (path.starts_with("./"))
            path.erase(0, 2);
        if (!path.empty())
            ignored.insert(std::move(path));
        at = end + 1;
    }
    return ignored;
}

std::optional<Language> languageOfName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::nullopt;
    const std::string_view ext = name.substr(dot + 1);
    if (ext == "c")
        return Language::C;
    if (ext == "h" || ext == "cc" || ext == "cpp" || ext == "cxx" || ext == "hpp" || ext == "hh" ||
        ext == "hxx" || ext == "ipp")
        return Language::Cpp; // a .h file may be C or C++; the C++ reader reads both
    if (ext == "d" || ext == "di")
        return Language::D;
    if (ext == "java")
        return Language::Java;
    return std::nullopt;
}

struct Options {
    bool fix = false;
    unsigned jobs = 0;
    Format format = Format::Text;
    std::optional<std::string> settings;
    Choice choice; // base: the current folder
    std::vector<std::string> paths;
    bool pathGiven = true; // without a PATH, the current folder's files are shown as "src/a.cpp"
};

// The rules and globs in force for one file: the command line's over the project file's.
struct Rules {
    RuleSet on{};
    std::optional<Language> language;
    std::shared_ptr<const Choice> project; // its globs
};

struct Entry {
    std::string path;     // as shown: the PATH given, then the names below it
    std::string relative; // from the PATH given ("" for the PATH itself)
    Language language;
    std::shared_ptr<const Rules> rules;
};

constexpr std::string_view usageText =
    "usage: remarkist-render check [--fix] [--language c|cpp|d|java] [--jobs N] [--format text|json|sarif]\n"
    "                              [--settings FILE] [--disable RULE,...] [--only RULE,...] [--exclude "
    "GLOB]\n"
    "                              [PATH...]\n";

Options parseOptions(const std::vector<std::string_view> &args, bool &help) {
    Options options;
    bool onlyPaths = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (onlyPaths || arg == "-" || arg.empty() || arg[0] != '-') {
            options.paths.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyPaths = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            help = true;
            return options;
        }
        const std::size_t equals = arg.find('=');
        const std::string_view name = arg.substr(0, equals);
        if (name == "--fix") {
            if (equals != std::string_view::npos)
                throw UsageError("check: \"--fix\" takes no value");
            options.fix = true;
            continue;
        }
        constexpr std::string_view valued[] = {"--language", "--jobs", "--format", "--settings",
                                               "--disable",  "--only", "--exclude"};
        if (std::find(std::begin(valued), std::end(valued), name) == std::end(valued))
            throw UsageError("check: unknown option " + inQuotes(name));
        std::string value;
        if (equals != std::string_view::npos)
            value = arg.substr(equals + 1);
        else if (i + 1 < args.size())
            value = args[++i];
        else
            throw UsageError("check: " + inQuotes(name) + " needs a value");
        const std::string where = "check: " + std::string(name);
        if (name == "--language") {
            options.choice.language = parseLanguage(value, where);
        } else if (name == "--jobs") {
            const bool digits = !value.empty() && value.size() <= 4 &&
                                value.find_first_not_of("0123456789") == std::string::npos;
            options.jobs = digits ? static_cast<unsigned>(std::stoul(value)) : 0;
            if (options.jobs == 0)
                throw UsageError(where + ": expected a number from 1, got " + inQuotes(value));
        } else if (name == "--format") {
            if (value == "text")
                options.format = Format::Text;
            else if (value == "json")
                options.format = Format::Json;
            else if (value == "sarif")
                options.format = Format::Sarif;
            else
                throw UsageError(where + ": expected text, json or sarif, got " + inQuotes(value));
        } else if (name == "--settings") {
            options.settings = value;
        } else if (name == "--disable") {
            const RuleSet rules = parseRules(value, where);
            for (std::size_t k = 0; k < rules.size(); ++k)
                options.choice.disabled[k] = options.choice.disabled[k] || rules[k];
        } else if (name == "--only") {
            const RuleSet rules = parseRules(value, where);
            if (!options.choice.only)
                options.choice.only = RuleSet{};
            for (std::size_t k = 0; k < rules.size(); ++k)
                (*options.choice.only)[k] = (*options.choice.only)[k] || rules[k];
        } else {
            if (value.empty())
                throw UsageError(where + ": expected a glob");
            options.choice.excludes.push_back(value);
        }
    }
    if (options.paths.empty()) {
        options.paths.emplace_back(".");
        options.pathGiven = false;
    }
    return options;
}

// Builds the list of files to check: a PATH that is a file is checked whatever git says; a
// folder is walked.
class Walker {
public:
    Walker(const Options &options, std::string &errors, int &status)
        : m_options(options), m_errors(errors), m_status(status) {}

    std::vector<Entry> walk() {
        for (const std::string &path : m_options.paths)
            walkPath(path);
        return std::move(m_entries);
    }

private:
    const Options &m_options;
    std::string &m_errors;
    int &m_status;
    std::vector<Entry> m_entries;
    std::map<std::string, std::shared_ptr<const Choice>> m_projects;

    std::shared_ptr<const Rules> rulesFor(const std::string &folder) {
        std::shared_ptr<const Choice> project;
        if (const std::optional<std::string> file = findProjectFile(folder)) {
            auto &cached = m_projects[*file];
            if (!cached)
                cached = std::make_shared<const Choice>(loadProjectFile(*file));
            project = cached;
        }
        auto rules = std::make_shared<Rules>();
        const Choice &line = m_options.choice;
        const std::optional<RuleSet> &only = line.only ? line.only : project ? project->only : std::nullopt;
        for (std::size_t k = 0; k < rules->on.size(); ++k)
            rules->on[k] = (!only || (*only)[k]) && !line.disabled[k] && !(project && project->disabled[k]);
        rules->language = line.language ? line.language : project ? project->language : std::nullopt;
        rules->project = project;
        return rules;
    }

    // `relative` is the path from the PATH given (a file PATH: its name), `shown` the path as shown.
    bool excluded(const Rules &rules, const std::string &relative, const std::string &shown,
                  const std::string &absolute) const {
        const std::string_view plain = std::string_view(shown).starts_with("./")
                                           ? std::string_view(shown).substr(2)
                                           : std::string_view(shown);
        for (const std::string &glob : m_options.choice.excludes)
            if (excludes(glob, relative) || excludes(glob, plain))
                return true;
        if (const auto &project = rules.project) {
            if (absolute.starts_with(project->base + "/"))
                for (const std::string &glob : project->excludes)
                    if (excludes(glob, absolute.substr(project->base.size() + 1)))
                        return true;
        }
        return false;
    }

    void walkPath(const std::string &path) {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0) {
            m_errors +=
                "remarkist-render: cannot read " + inQuotes(path) + ": " + std::strerror(errno) + "\n";
            m_status = 2;
            return;
        }
        const std::string absolute = absolutePath(path);
        if (!S_ISDIR(st.st_mode)) {
            auto rules = rulesFor(parentOf(absolute));
            const std::optional<Language> language = rules->language ? rules->language : languageOfName(path);
            if (!S_ISREG(st.st_mode)) {
                m_errors += "remarkist-render: cannot read " + inQuotes(path) + ": not a regular file\n";
                m_status = 2;
                return;
            }
            Entry entry{path, "", language.value_or(Language::Cpp), std::move(rules)};
            const std::size_t slash = path.rfind('/');
            const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
            if (language && !excluded(*entry.rules, name, path, absolute))
                m_entries.push_back(std::move(entry));
            return;
        }
        const Entry root{path, "", Language::Cpp, rulesFor(absolute)};
        const std::set<std::string> ignored = gitIgnored(path);
        const std::string prefix = !m_options.pathGiven ? "" : path.ends_with('/') ? path : path + "/";
        walkFolder(root, prefix, "", absolute, ignored);
    }

    // Depth first, in name order: "a/x.java" before "b.d".
    void walkFolder(const Entry &root, const std::string &prefix, const std::string &folder,
                    const std::string &absolute, const std::set<std::string> &ignored) {
        const std::string shown = folder.empty() ? root.path : prefix + folder;
        DIR *dir = ::opendir(shown.c_str());
        if (!dir) {
            m_errors +=
                "remarkist-render: cannot read " + inQuotes(shown) + ": " + std::strerror(errno) + "\n";
            m_status = std::max(m_status, 1);
            return;
        }
        std::vector<std::pair<std::string, unsigned char>> names;
        while (const dirent *item = ::readdir(dir)) {
            const std::string_view name = item->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name, item->d_type);
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end());
        for (auto &[name, type] : names) {
            const std::string relative = folder.empty() ? name : folder + "/" + name;
            const std::string full = prefix + relative;
            if (type == DT_UNKNOWN) {
                struct stat item;
                type = ::lstat(full.c_str(), &item) != 0 ? DT_UNKNOWN
                       : S_ISDIR(item.st_mode)           ? DT_DIR
                       : S_ISLNK(item.st_mode)           ? DT_LNK
                       : S_ISREG(item.st_mode)           ? DT_REG
                                                         : DT_FIFO;
            }
            if (type == DT_LNK)
                continue; // links are not followed: no loops, no file checked twice
            if (type == DT_DIR) {
                if (name.front() != '.' && !ignored.contains(relative + "/") &&
                    !excluded(*root.rules, relative, full, absolute + "/" + relative))
                    walkFolder(root, prefix, relative, absolute, ignored);
                continue;
            }
            const std::optional<Language> language =
                root.rules->language ? root.rules->language : languageOfName(name);
            if (language && !ignored.contains(relative) &&
                !excluded(*root.rules, relative, full, absolute + "/" + relative))
                m_entries.push_back({full, relative, *language, root.rules});
        }
    }
};

// Lines and columns of byte offsets in one buffer: 1-based, columns in bytes and in code points.
class LineIndex {
public:
    explicit LineIndex(std::string_view text) : m_text(text) {
        m_starts.push_back(0);
        for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1))
            m_starts.push_back(at + 1);
    }
    std::size_t line(std::size_t offset) const {
        return static_cast<std::size_t>(std::upper_bound(m_starts.begin(), m_starts.end(), offset) -
                                        m_starts.begin());
    }
    std::size_t column(std::size_t offset) const { return offset - m_starts[line(offset) - 1] + 1; }
    std::size_t codePointColumn(std::size_t offset) const {
        std::size_t column = 1;
        for (std::size_t at = m_starts[line(offset) - 1]; at < offset; ++at)
            column += (static_cast<unsigned char>(m_text[at]) & 0xC0) != 0x80;
        return column;
    }

private:
    std::string_view m_text;
    std::vector<std::size_t> m_starts;
};

// A URI reference for a path as shown: "src/a b.cpp" gives "src/a%20b.cpp"; absolute paths
// become file URIs.
std::string uriOf(std::string_view path) {
    std::string uri = path.starts_with('/') ? "file://" : "";
    if (path.starts_with("./"))
        path.remove_prefix(2);
    constexpr std::string_view hex = "0123456789ABCDEF";
    for (char c : path) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (std::isalnum(b) || std::string_view("-._~/!$&'()*+,;=:@").find(c) != std::string_view::npos)
            uri += c;
        else
            uri += std::string("%") + hex[b >> 4] + hex[b & 15];
    }
    return uri;
}

std::string dumpJson(const nlohmann::ordered_json &value) {
    // Bytes that are not UTF-8 cannot stand in JSON; they show as U+FFFD.
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

constexpr std::array<std::string_view, 6> ruleDescriptions = {
    "The comment documents a parameter that the declaration does not have (renamed or removed).",
    "The comment documents some parameters of the declaration, but not this one.",
    "The comment documents the parameters in another order than the declaration's.",
    "The comment describes a return value of a function returning void, a constructor or a destructor.",
    "The comment marks a parameter passed by value [out] or [in,out]; the callee can never write it.",
    "The comment has a parameter line without a name.",
};

struct Outcome {
    std::string out, err;
    std::size_t found = 0, fixedComments = 0;
    bool fixedFile = false, failed = false;
};

std::string formatFindings(const Entry &entry, std::string_view text, const std::vector<Finding> &findings,
                           Format format) {
    std::string out;
    if (format == Format::Text) {
        for (const Finding &f : findings)
            out += entry.path + ":" + std::to_string(f.line) + ":" + std::to_string(f.column) +
                   ": warning: " + f.message + " [remarkist-" + std::string(ruleName(f.rule)) + "]\n";
        return out;
    }
    const LineIndex index(text);
    for (const Finding &f : findings) {
        nlohmann::ordered_json replacements = nlohmann::ordered_json::array();
        for (const Replacement &r : f.fix) {
            if (format == Format::Json)
                replacements.push_back({{"begin", r.begin},
                                        {"end", r.end},
                                        {"line", index.line(r.begin)},
                                        {"column", index.column(r.begin)},
                                        {"endLine", index.line(r.end)},
                                        {"endColumn", index.column(r.end)},
                                        {"text", r.text}});
            else
                replacements.push_back(
                    {{"deletedRegion", {{"byteOffset", r.begin}, {"byteLength", r.end - r.begin}}},
                     {"insertedContent", {{"text", r.text}}}});
        }
        nlohmann::ordered_json item;
        if (format == Format::Json) {
            item = {{"file", entry.path},
                    {"line", f.line},
                    {"column", f.column},
                    {"rule", ruleName(f.rule)},
                    {"message", f.message}};
            if (!f.fix.empty())
                item["fix"] = std::move(replacements);
        } else {
            const std::string uri = uriOf(entry.path);
            nlohmann::ordered_json location = {
                {"physicalLocation",
                 {{"artifactLocation",
                   uri.starts_with("file:")
                       ? nlohmann::ordered_json{{"uri", uri}}
                       : nlohmann::ordered_json{{"uri", uri}, {"uriBaseId", "%SRCROOT%"}}},
                  {"region",
                   {{"startLine", f.line},
                    {"startColumn", index.codePointColumn(f.begin)},
                    {"endLine", index.line(f.end)},
                    {"endColumn", index.codePointColumn(f.end)}}}}}};
            item = {{"ruleId", ruleName(f.rule)},
                    {"ruleIndex", static_cast<int>(f.rule)},
                    {"level", "warning"},
                    {"message", {{"text", f.message}}},
                    {"locations", nlohmann::ordered_json::array({location})}};
            if (!f.fix.empty())
                item["fixes"] = nlohmann::ordered_json::array(
                    {{{"description", {{"text", "Bring the comment up to date with the declaration"}}},
                      {"artifactChanges",
                       nlohmann::ordered_json::array(
                           {{{"artifactLocation", location["physicalLocation"]["artifactLocation"]},
                             {"replacements", std::move(replacements)}}})}}});
        }
        out += dumpJson(item);
        out += format == Format::Json ? "\n" : ",\n";
    }
    return out;
}

} // namespace

std::string replaceFile(const std::string &path, std::string_view original, std::string_view fixed) {
    // A link is replaced where it points, and stays a link.
    char resolved[PATH_MAX];
    const std::string target = ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    const int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat before;
    std::string now;
    if (fd < 0 || ::fstat(fd, &before) != 0 || !readWhole(fd, now, original.size())) {
        const std::string error = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return "cannot read " + inQuotes(path) + " again: " + error + "; not written";
    }
    ::close(fd);
    if (now != original)
        return inQuotes(path) + " changed while it was being checked; not written";
    if ((before.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
        return inQuotes(path) + " is read-only; not written";
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = (slash == std::string::npos ? "" : folder) + "." + base + ".remarkist-XXXXXX";
    const int out = ::mkstemp(temporary.data());
    if (out < 0)
        return "cannot write " + inQuotes(path) + ": " + std::strerror(errno) + "; not written";
    const auto fail = [&](const std::string &what) {
        const std::string error = std::strerror(errno);
        ::close(out);
        ::unlink(temporary.c_str());
        return "cannot write " + inQuotes(path) + ": " + what + error + "; not written";
    };
    if (::fchmod(out, before.st_mode & 07777) != 0)
        return fail("");
    if (::fchown(out, before.st_uid, before.st_gid) != 0) {
        // Only the owner's own files can be fixed without root: their group may stay the folder's.
    }
    for (std::size_t done = 0; done < fixed.size();) {
        const ssize_t wrote = ::write(out, fixed.data() + done, fixed.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return fail("");
        done += static_cast<std::size_t>(wrote);
    }
    if (::fsync(out) != 0)
        return fail("");
    if (::close(out) != 0) {
        const std::string error = std::strerror(errno);
        ::unlink(temporary.c_str());
        return "cannot write " + inQuotes(path) + ": " + error + "; not written";
    }
    struct stat after;
    if (::stat(target.c_str(), &after) != 0 || after.st_ino != before.st_ino ||
        after.st_size != before.st_size || after.st_mtim.tv_sec != before.st_mtim.tv_sec ||
        after.st_mtim.tv_nsec != before.st_mtim.tv_nsec) {
        ::unlink(temporary.c_str());
        return inQuotes(path) + " changed while it was being checked; not written";
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string error = std::strerror(errno);
        ::unlink(temporary.c_str());
        return "cannot write " + inQuotes(path) + ": " + error + "; not written";
    }
    return "";
}

namespace {

Outcome checkFile(const Entry &entry, const Options &options) {
    Outcome outcome;
    const auto fail = [&](const std::string &message) {
        outcome.err += "remarkist-render: " + message + "\n";
        outcome.failed = true;
        return outcome;
    };
    const int fd = ::open(entry.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail("cannot read " + inQuotes(entry.path) + ": " + std::strerror(errno));
    struct stat st;
    std::string text;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        ::close(fd);
        return fail("cannot read " + inQuotes(entry.path) + ": " +
                    (S_ISREG(st.st_mode) ? std::strerror(error) : "not a regular file"));
    }
    const bool read = readWhole(fd, text, static_cast<std::size_t>(st.st_size));
    const int error = errno;
    ::close(fd);
    if (!read)
        return fail("cannot read " + inQuotes(entry.path) + ": " + std::strerror(error));

    std::vector<Finding> findings = scan(text, entry.language);
    std::erase_if(findings,
                  [&](const Finding &f) { return !entry.rules->on[static_cast<std::size_t>(f.rule)]; });
    outcome.found = findings.size();
    if (findings.empty())
        return outcome;
    outcome.out = formatFindings(entry, text, findings, options.format);
    if (!options.fix)
        return outcome;
    const CommentSpan *last = nullptr;
    for (const Finding &f : findings) {
        if (f.restyle && !(last && *last == f.comment))
            outcome.err += "remarkist-render: " + entry.path + ":" + std::to_string(f.comment.firstLine) +
                           ": comment not fixed: it cannot take the change in place\n";
        if (!f.fix.empty() && !(last && *last == f.comment))
            ++outcome.fixedComments;
        if (f.restyle || !f.fix.empty())
            last = &f.comment;
    }
    const std::vector<Replacement> fixes = fixesOf(findings);
    if (fixes.empty())
        return outcome;
    const std::string fixed = applyReplacements(text, fixes);
    if (fixed == text) {
        outcome.fixedComments = 0;
        return outcome;
    }
    const std::string problem = replaceFile(entry.path, text, fixed);
    if (!problem.empty()) {
        outcome.fixedComments = 0;
        outcome.err += "remarkist-render: " + problem + "\n";
        outcome.failed = true;
        return outcome;
    }
    outcome.fixedFile = true;
    return outcome;
}

void writeOut(std::FILE *stream, std::string_view text) {
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stream) != text.size())
        throw std::runtime_error(std::string("cannot write the output: ") + std::strerror(errno));
}

std::string sarifHead() {
    nlohmann::ordered_json rules = nlohmann::ordered_json::array();
    for (Rule rule : allRules)
        rules.push_back({{"id", ruleName(rule)},
                         {"shortDescription", {{"text", ruleDescriptions[static_cast<std::size_t>(rule)]}}},
                         {"defaultConfiguration", {{"level", "warning"}}},
                         {"properties", {{"fixable", isFixable(rule)}}}});
    char buffer[4096];
    const char *cwd = getcwd(buffer, sizeof buffer);
    std::string root = uriOf(cwd ? cwd : "/");
    if (!root.ends_with('/'))
        root += '/';
    nlohmann::ordered_json run = {
        {"tool", {{"driver", {{"name", "remarkist"}, {"rules", rules}}}}},
        {"originalUriBaseIds", {{"%SRCROOT%", {{"uri", root}}}}},
        {"columnKind", "unicodeCodePoints"},
    };
    std::string head = dumpJson(run);
    head.pop_back(); // the run goes on with its results
    return "{\"$schema\":\"https://json.schemastore.org/sarif-2.1.0.json\",\"version\":\"2.1.0\",\"runs\":[" +
           head + ",\"results\":[\n";
}

int runCheck(const Options &options) {
    if (options.settings) {
        std::FILE *file = std::fopen(options.settings->c_str(), "rb");
        if (!file)
            throw UsageError("cannot read settings file " + inQuotes(*options.settings) + ": " +
                             std::strerror(errno));
        std::fclose(file);
        g_settingRecord.m_path = *options.settings;
        g_settingRecord.Load();
    }
    std::string errors;
    int status = 0;
    const std::vector<Entry> entries = Walker(options, errors, status).walk();
    writeOut(stderr, errors);

    const std::size_t count = entries.size();
    std::vector<std::optional<Outcome>> outcomes(count);
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i; (i = next++) < count;) {
            Outcome outcome;
            try {
                outcome = checkFile(entries[i], options);
            } catch (const std::exception &error) {
                outcome.err = "remarkist-render: " + entries[i].path + ": " + error.what() + "\n";
                outcome.failed = true;
            }
            {
                std::lock_guard lock(mutex);
                outcomes[i] = std::move(outcome);
            }
            ready.notify_one();
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t threads =
        std::min<std::size_t>(options.jobs ? options.jobs : cores, std::max<std::size_t>(count, 1));
    std::vector<std::thread> pool;
    for (std::size_t k = 0; k < threads; ++k)
        pool.emplace_back(work);

    std::string separator;
    if (options.format == Format::Sarif)
        writeOut(stdout, sarifHead());
    std::size_t found = 0, fixedComments = 0, fixedFiles = 0;
    bool failed = false, firstResult = true;
    // In the order the files were walked, each as soon as it and those before it are done.
    for (std::size_t i = 0; i < count; ++i) {
        Outcome outcome;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return outcomes[i].has_value(); });
            outcome = std::move(*outcomes[i]);
            outcomes[i].reset();
        }
        if (options.format == Format::Sarif && !outcome.out.empty()) {
            outcome.out.pop_back(); // "\n"
            outcome.out.pop_back(); // ","
            writeOut(stdout, (firstResult ? "" : ",\n") + outcome.out);
            firstResult = false;
        } else {
            writeOut(stdout, outcome.out);
        }
        if (!outcome.err.empty()) {
            std::fflush(stdout);
            writeOut(stderr, outcome.err);
        }
        found += outcome.found;
        fixedComments += outcome.fixedComments;
        fixedFiles += outcome.fixedFile;
        failed = failed || outcome.failed;
    }
    for (std::thread &thread : pool)
        thread.join();
    if (options.format == Format::Sarif)
        writeOut(stdout, "\n]}]}\n");
    if (std::fflush(stdout) != 0)
        throw std::runtime_error(std::string("cannot write the output: ") + std::strerror(errno));
    if (fixedFiles > 0)
        writeOut(stderr, "remarkist-render: fixed " + std::to_string(fixedComments) +
                             (fixedComments == 1 ? " comment" : " comments") + " in " +
                             std::to_string(fixedFiles) + (fixedFiles == 1 ? " file\n" : " files\n"));
    if (status == 2)
        return 2;
    return found > 0 || failed || status == 1 ? 1 : 0;
}

} // namespace

int checkCommand(const std::vector<std::string_view> &args) {
    try {
        bool help = false;
        const Options options = parseOptions(args, help);
        if (help) {
            writeOut(stdout, usageText);
            return 0;
        }
        return runCheck(options);
    } catch (const UsageError &error) {
        std::fflush(stdout);
        std::fprintf(stderr, "remarkist-render: %s\n", error.what());
        return 2;
    }
}
