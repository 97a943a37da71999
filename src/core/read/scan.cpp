#include "core/read/scan.h"

#include "core/read/comment.h"
#include "core/read/tokens.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<std::string_view, 6> ruleNames = {"param-unknown",      "param-undocumented",
                                                       "param-order",        "return-void",
                                                       "direction-by-value", "param-unnamed"};

// Most bytes of a source file are code the checker passes over; these are the ones that may
// start a comment or a string, or (while looking for a declaration's end) nest or end it.
struct ByteTable {
    std::array<bool, 256> marks{};
    constexpr ByteTable(std::string_view bytes) {
        for (char c : bytes)
            marks[static_cast<unsigned char>(c)] = true;
    }
    bool operator[](char c) const { return marks[static_cast<unsigned char>(c)]; }
};

constexpr ByteTable codeBytes("/\"'`");
constexpr ByteTable declarationBytes("/\"'`()[]{};");

// How far a declaration may run before the checker stops looking for its end: a doc comment
// over something else (a macro call with no ";") should cost little.
constexpr std::size_t declarationLimit = 16384;

bool isWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// A documentation comment that documents what stands before it: "///<", "//!<", "/**<", "/*!<".
bool isMemberComment(std::string_view text) {
    return text.size() > 3 && text[3] == '<' && (text[2] == '/' || text[2] == '!' || text[2] == '*');
}

// "remarkist-ignore" silences every rule; "remarkist-ignore(param-order, return-void)" those named.
struct Silence {
    bool all = false;
    std::array<bool, 6> rules{};

    bool covers(Rule rule) const { return all || rules[static_cast<std::size_t>(rule)]; }
    void read(std::string_view text) {
        constexpr std::string_view word = "remarkist-ignore";
        for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1)) {
            std::size_t i = at + word.size();
            if (i >= text.size() || text[i] != '(') {
                all = true;
                continue;
            }
            const std::size_t close = text.find(')', i);
            std::string_view list = text.substr(i + 1, close == std::string_view::npos ? 0 : close - i - 1);
            while (!list.empty()) {
                const std::size_t comma = std::min(list.find(','), list.size());
                std::string_view name = list.substr(0, comma);
                while (!name.empty() && isBlank(name.front()))
                    name.remove_prefix(1);
                while (!name.empty() && isBlank(name.back()))
                    name.remove_suffix(1);
                if (const std::optional<Rule> rule = ruleNamed(name))
                    rules[static_cast<std::size_t>(*rule)] = true;
                list.remove_prefix(std::min(comma + 1, list.size()));
            }
        }
    }
};

std::string quoted(std::string_view name) {
    return "'" + std::string(name) + "'";
}

class Scanner {
public:
    Scanner(std::string_view text, Language language) : s(text), n(text.size()), language(language) {}

    std::vector<Finding> run();

private:
    std::string_view s;
    std::size_t n;
    Language language;
    std::vector<Finding> findings;
    // The line of byte `lineAt`; moves forward only, so counting lines costs one pass in all.
    std::size_t lineAt = 0, line = 1;

    std::size_t lineOf(std::size_t at) {
        if (at < lineAt) {
            lineAt = 0;
            line = 1;
        }
        line += static_cast<std::size_t>(std::count(s.begin() + static_cast<std::ptrdiff_t>(lineAt),
                                                    s.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
        lineAt = at;
        return line;
    }
    std::size_t lineStart(std::size_t at) const {
        const std::size_t br = at == 0 ? std::string_view::npos : s.rfind('\n', at - 1);
        return br == std::string_view::npos ? 0 : br + 1;
    }
    char at(std::size_t i) const { return i < n ? s[i] : '\0'; }

    std::size_t skipTo(std::size_t i, std::string_view end) const {
        const std::size_t found = s.find(end, i);
        return found == std::string_view::npos ? n : found + end.size();
    }
    std::size_t skipNested(std::size_t i) const;
    std::size_t skipQuoted(std::size_t i) const;
    bool digitSeparator(std::size_t i) const;
    // Past an ordinary comment at i ("//", "/*", "/+"), or i itself when none starts there.
    std::size_t skipComment(std::size_t i) const;
    std::optional<CommentExtent> docCommentAt(std::size_t i) const;
    std::size_t declarationEnd(std::size_t i, std::string &suffix) const;
    void checkComment(std::size_t begin, const CommentExtent &extent);
    void report(const CommentSpan &span, const Declaration &declaration, std::size_t declarationLine,
                std::size_t sliceBegin, std::string_view slice);
    void add(Rule rule, std::string message, std::size_t begin, std::size_t end, const CommentSpan &span);
};

// A D "/+ +/" comment nests.
std::size_t Scanner::skipNested(std::size_t i) const {
    std::size_t depth = 0;
    while (i + 1 < n) {
        if (s[i] == '/' && s[i + 1] == '+') {
            ++depth;
            i += 2;
        } else if (s[i] == '+' && s[i + 1] == '/') {
            i += 2;
            if (--depth == 0)
                return i;
        } else {
            ++i;
        }
    }
    return n;
}

// 1'000'000 in C++ is a number, not a character.
bool Scanner::digitSeparator(std::size_t i) const {
    if (language != Language::Cpp || i == 0 || !isWordByte(s[i - 1]))
        return false;
    std::size_t b = i;
    while (b > 0 && (isWordByte(s[b - 1]) || s[b - 1] == '\'' || s[b - 1] == '.'))
        --b;
    return s[b] >= '0' && s[b] <= '9';
}

// Past the string or character literal that starts at i. Strings of C, C++ and Java end at the
// line's end when not closed; D's strings span lines.
std::size_t Scanner::skipQuoted(std::size_t i) const {
    const char quote = s[i];
    const char before = i > 0 ? s[i - 1] : '\0';
    if (quote == '`')
        return skipTo(i + 1, "`");
    if (quote == '"' && language == Language::Cpp && before == 'R') { // R"x(...)x"
        const std::size_t open = s.find('(', i + 1);
        if (open != std::string_view::npos && open - i <= 17)
            return skipTo(open + 1, ")" + std::string(s.substr(i + 1, open - i - 1)) + "\"");
    }
    if (quote == '"' && language == Language::Java && s.substr(i, 3) == "\"\"\"") { // text block
        for (std::size_t j = i + 3; j < n; ++j) {
            if (s[j] == '\\')
                ++j;
            else if (s.substr(j, 3) == "\"\"\"")
                return j + 3;
        }
        return n;
    }
    const bool d = language == Language::D;
    if (quote == '"' && d && before == 'r')
        return skipTo(i + 1, "\"");
    if (quote == '"' && d && before == 'q' && i + 1 < n) { // q"(...)", q"EOS ... EOS"
        const char open = s[i + 1];
        const std::string_view pairs = "([{<)]}>";
        const std::size_t k = pairs.find(open);
        if (k != std::string_view::npos && k < 4)
            return skipTo(i + 2, std::string(1, pairs[k + 4]) + "\"");
        if (isWordByte(open)) {
            const std::size_t eol = std::min(s.find('\n', i), n);
            return skipTo(eol, "\n" + std::string(s.substr(i + 1, eol - i - 1)) + "\"");
        }
    }
    if (quote == '\'' && digitSeparator(i))
        return i + 1;
    for (std::size_t j = i + 1; j < n; ++j) {
        const char c = s[j];
        if (c == '\\')
            ++j;
        else if (c == quote)
            return j + 1;
        else if (c == '\n' && (!d || quote == '\''))
            return j;
    }
    return n;
}

std::size_t Scanner::skipComment(std::size_t i) const {
    const char next = at(i + 1);
    if (next == '/') {
        const std::size_t eol = s.find('\n', i);
        return eol == std::string_view::npos ? n : eol;
    }
    if (next == '*')
        return skipTo(i + 2, "*/");
    if (next == '+' && language == Language::D)
        return skipNested(i);
    return i;
}

// The documentation comment starting at i, when one does and it stands at the start of its line.
std::optional<CommentExtent> Scanner::docCommentAt(std::size_t i) const {
    const char next = at(i + 1), third = at(i + 2);
    const bool candidate = (next == '/' && (third == '/' || third == '!')) ||
                           (next == '*' && (third == '*' || third == '!')) ||
                           (next == '+' && third == '+' && language == Language::D);
    if (!candidate)
        return std::nullopt;
    const std::size_t start = lineStart(i);
    for (std::size_t k = start; k < i; ++k)
        if (!isBlank(s[k]))
            return std::nullopt; // to the right of code: it documents what stands on its left
    if (isMemberComment(s.substr(i, 4)))
        return std::nullopt;
    return findDocComment(s.substr(i));
}

// Where the declaration that starts at i ends: past its ";", or at the "{" of its body (then
// `suffix` closes the body, so the reader sees a whole declaration), at a "}" that closes the
// scope, or at the next documentation comment. npos when it runs on too far.
std::size_t Scanner::declarationEnd(std::size_t i, std::string &suffix) const {
    const std::size_t limit = std::min(n, i + declarationLimit);
    std::size_t depth = 0;
    while (i < limit) {
        while (i < limit && !declarationBytes[s[i]])
            ++i;
        if (i >= limit)
            break;
        switch (s[i]) {
        case '/': {
            const std::size_t past = skipComment(i);
            if (past == i) {
                ++i;
            } else if (docCommentAt(i)) {
                return i;
            } else {
                i = past;
            }
            break;
        }
        case '"':
        case '\'':
            i = skipQuoted(i);
            break;
        case '`':
            i = language == Language::D ? skipQuoted(i) : i + 1;
            break;
        case '(':
        case '[':
            ++depth;
            ++i;
            break;
        case ')':
        case ']':
            if (depth == 0)
                return i;
            --depth;
            ++i;
            break;
        case '{':
            if (depth == 0) {
                suffix = "{}";
                return i;
            }
            ++depth;
            ++i;
            break;
        case '}':
            if (depth == 0)
                return i;
            --depth;
            ++i;
            break;
        case ';':
            if (depth == 0)
                return i + 1;
            ++i;
            break;
        }
    }
    return i >= n ? n : std::string_view::npos;
}

void Scanner::add(Rule rule, std::string message, std::size_t begin, std::size_t end,
                  const CommentSpan &span) {
    Finding finding;
    finding.rule = rule;
    finding.message = std::move(message);
    finding.line = lineOf(begin);
    finding.column = begin - lineStart(begin) + 1;
    finding.begin = begin;
    finding.end = end;
    finding.comment = span;
    findings.push_back(std::move(finding));
}

void Scanner::checkComment(std::size_t begin, const CommentExtent &extent) {
    const std::size_t end = begin + extent.end;
    // Directly above: at most one line break, then the declaration.
    std::size_t i = end, breaks = 0;
    while (i < n && (isBlank(s[i]) || s[i] == '\n')) {
        breaks += s[i] == '\n';
        ++i;
    }
    if (breaks > 1 || i >= n || s[i] == '}')
        return;
    std::string suffix;
    std::size_t stop;
    if (s[i] == '#') {
        // A macro: "#define MAX(a, b) ..." to the end of its line and the lines it continues on.
        std::size_t word = i + 1;
        while (word < n && isBlank(s[word]))
            ++word;
        if (language == Language::D || language == Language::Java || s.substr(word, 6) != "define")
            return;
        stop = word;
        do
            stop = std::min(s.find('\n', stop + 1), n);
        while (stop < n && stop - i < declarationLimit &&
               (s[stop - 1] == '\\' || (s[stop - 1] == '\r' && s[stop - 2] == '\\')));
    } else {
        stop = declarationEnd(i, suffix);
    }
    if (stop == std::string_view::npos)
        return;
    std::string slice(s.substr(begin, stop - begin));
    slice += suffix;
    Declaration declaration;
    try {
        declaration = readDeclaration(slice, language);
    } catch (...) {
        return; // not a declaration the reader knows: a variable, a macro call
    }
    if (!declaration.comment || declaration.comment->begin != 0)
        return;
    const std::size_t firstLine = lineOf(begin);
    const CommentSpan span{begin, end, firstLine, firstLine + extent.lastLine - extent.firstLine};
    report(span, declaration, firstLine + declaration.firstLine - 1, begin, slice);
}

// Names a declaration's template parameters may have, which a comment may document with the
// parameters ("Params: T = the element type" in D, "@param <T>" in Java): the words between
// the first "<" and its ">" in C++ and Java, or in D in the first of two parameter lists.
std::vector<std::string> templateWords(std::string_view slice, Language language) {
    std::vector<std::string> words;
    const Tokens t = tokenize(slice, language);
    for (std::size_t i = 0; i < t.size(); ++i) {
        const std::size_t close = t.match(i);
        if (close == noMatch || close <= i)
            continue;
        const bool list = language == Language::D ? t.is(i, "(") && t.is(close + 1, "(") : t.is(i, "<");
        if (!list) {
            if (t.is(i, "{") || (language != Language::D && t.is(i, "(")))
                break; // past the parameters; D's template parameters may follow "Checked!(T, Hook)"
            continue;
        }
        for (std::size_t j = i + 1; j < close; ++j)
            if (t.isWord(j))
                words.emplace_back(t.spelling(j));
        break;
    }
    return words;
}

void Scanner::report(const CommentSpan &span, const Declaration &declaration, std::size_t declarationLine,
                     std::size_t sliceBegin, std::string_view slice) {
    const CommentOutline outline = outlineComment(s, span);
    if (outline.params.empty() && outline.returns.empty())
        return;
    Silence silence;
    silence.read(s.substr(span.begin, span.end - span.begin));
    // The declaration's first line, found from the slice that starts at the comment.
    std::size_t offset = 0;
    for (std::size_t l = span.firstLine; l < declarationLine; ++l) {
        const std::size_t br = slice.find('\n', offset);
        if (br == std::string_view::npos)
            break;
        offset = br + 1;
    }
    const std::size_t lineBegin = offset == 0 ? lineStart(sliceBegin) : std::min(n, sliceBegin + offset);
    silence.read(s.substr(lineBegin, std::min(s.find('\n', lineBegin), n) - lineBegin));
    if (silence.all)
        return;
    const std::size_t before = findings.size();
    const DocumentRequest &request = declaration.request;
    const bool function = request.kind == DocumentKind::Function;

    if (function && !declaration.returnsValue && !silence.covers(Rule::ReturnVoid))
        for (const Place &place : outline.returns) {
            const std::size_t at = place.begin + place.column - 1;
            add(Rule::ReturnVoid, "return value documented, but the declaration returns nothing", at, at + 1,
                span);
        }

    if (function) {
        const std::vector<ParamEntry> &declared = request.params;
        const std::vector<DocumentedParam> &documented = outline.params;
        const auto declaredIndex = [&](std::string_view name) -> std::size_t {
            for (std::size_t k = 0; k < declared.size(); ++k)
                if (!name.empty() && declared[k].name == name)
                    return k;
            return declared.size();
        };
        const auto isDocumented = [&](std::string_view name) {
            return std::any_of(documented.begin(), documented.end(),
                               [&](const DocumentedParam &p) { return p.name == name; });
        };
        std::vector<std::string> templates;
        bool templatesRead = false;
        const auto isTemplateWord = [&](const DocumentedParam &p) {
            if (p.name.starts_with('<') || (p.nameBegin > 0 && s[p.nameBegin - 1] == '<'))
                return true; // Java's "@param <T>"
            if (!templatesRead) {
                templates = templateWords(slice, language);
                templatesRead = true;
            }
            return std::find(templates.begin(), templates.end(), p.name) != templates.end();
        };
        const auto commandAt = [](const DocumentedParam &p) { return p.place.begin + p.place.column - 1; };
        bool anyNamed = false;
        std::vector<std::string> renamed; // the new names of parameters reported as renamed
        std::vector<std::size_t> order;   // declared indices, in the order documented
        for (std::size_t k = 0; k < documented.size(); ++k) {
            const DocumentedParam &p = documented[k];
            if (p.name.empty()) {
                if (!silence.covers(Rule::ParamUnnamed)) {
                    const std::size_t at = commandAt(p);
                    add(Rule::ParamUnnamed, "parameter line without a name", at,
                        p.place.end > at ? at + 1 : at, span);
                }
                continue;
            }
            anyNamed = true;
            const std::size_t index = declaredIndex(p.name);
            if (index == declared.size()) {
                if (isTemplateWord(p))
                    continue;
                std::string message = "parameter " + quoted(p.name) + " is not in the declaration";
                if (k < declared.size() && !declared[k].name.empty() && !isDocumented(declared[k].name)) {
                    message += " (renamed to " + quoted(declared[k].name) + "?)";
                    renamed.push_back(declared[k].name);
                }
                if (!silence.covers(Rule::ParamUnknown))
                    add(Rule::ParamUnknown, std::move(message), p.nameBegin, p.nameEnd, span);
                continue;
            }
            if (std::find(order.begin(), order.end(), index) == order.end())
                order.push_back(index);
            std::string direction;
            for (char c : p.direction)
                if (!isBlank(c))
                    direction += c;
            const bool writes = direction.find("out") != std::string::npos;
            if (writes && index < declaration.byValue.size() && declaration.byValue[index] &&
                !silence.covers(Rule::DirectionByValue))
                add(Rule::DirectionByValue,
                    "parameter " + quoted(p.name) + " is passed by value, so it can never be [" +
                        p.direction + "]",
                    p.nameBegin, p.nameEnd, span);
        }
        if (!silence.covers(Rule::ParamOrder))
            for (std::size_t k = 1; k < order.size(); ++k)
                if (order[k] < order[k - 1]) {
                    const std::string &name = declared[order[k]].name;
                    const std::string &after = declared[order[k - 1]].name;
                    for (const DocumentedParam &p : documented)
                        if (p.name == name) {
                            add(Rule::ParamOrder,
                                "parameter " + quoted(name) + " is documented after " + quoted(after) +
                                    ", but the declaration has it before",
                                p.nameBegin, p.nameEnd, span);
                            break;
                        }
                    break;
                }
        if (anyNamed && !silence.covers(Rule::ParamUndocumented))
            for (std::size_t k = 0; k < declared.size(); ++k) {
                const std::string &name = declared[k].name;
                if (name.empty() || name == "..." || isDocumented(name) ||
                    std::find(renamed.begin(), renamed.end(), name) != renamed.end())
                    continue;
                // Point at the documented parameter it would follow, else at the first.
                const DocumentedParam *near = &documented.front();
                for (const DocumentedParam &p : documented)
                    if (!p.name.empty() && declaredIndex(p.name) < k)
                        near = &p;
                const std::size_t at = commandAt(*near);
                add(Rule::ParamUndocumented, "parameter " + quoted(name) + " is not documented", at, at + 1,
                    span);
            }

        const bool fixable = std::any_of(findings.begin() + static_cast<std::ptrdiff_t>(before),
                                         findings.end(), [](const Finding &f) { return isFixable(f.rule); });
        if (fixable) {
            // The update may keep what the comment documents beside the parameters (template
            // parameters) and adds no exception lines: it repairs what was found, nothing more.
            DocumentRequest target = request;
            target.throws.clear();
            for (std::size_t k = 0; k < documented.size(); ++k) {
                const DocumentedParam &p = documented[k];
                if (p.name.empty() || declaredIndex(p.name) < declared.size() || !isTemplateWord(p))
                    continue;
                std::size_t insertAt = target.params.size();
                for (std::size_t m = k + 1; m < documented.size(); ++m) {
                    const auto it =
                        std::find_if(target.params.begin(), target.params.end(),
                                     [&](const ParamEntry &e) { return e.name == documented[m].name; });
                    if (it != target.params.end()) {
                        insertAt = static_cast<std::size_t>(it - target.params.begin());
                        break;
                    }
                }
                target.params.insert(target.params.begin() + static_cast<std::ptrdiff_t>(insertAt),
                                     ParamEntry{p.direction, p.name, ""});
            }
            CommentUpdate update = updateComment(s, span, target);
            // An update that changes nothing could not make the change in place either.
            const bool inPlace = !update.restyle && !update.replacements.empty();
            for (auto it = findings.begin() + static_cast<std::ptrdiff_t>(before); it != findings.end(); ++it)
                if (isFixable(it->rule)) {
                    it->restyle = !inPlace;
                    if (inPlace)
                        it->fix = update.replacements;
                }
        }
    }
    std::stable_sort(findings.begin() + static_cast<std::ptrdiff_t>(before), findings.end(),
                     [](const Finding &a, const Finding &b) { return a.begin < b.begin; });
}

std::vector<Finding> Scanner::run() {
    std::size_t i = 0;
    while (i < n) {
        while (i < n && !codeBytes[s[i]])
            ++i;
        if (i >= n)
            break;
        const char c = s[i];
        if (c == '/') {
            if (const std::optional<CommentExtent> extent = docCommentAt(i)) {
                checkComment(i, *extent);
                i += std::max<std::size_t>(extent->end, 1);
                continue;
            }
            const std::size_t past = skipComment(i);
            i = past == i ? i + 1 : past;
        } else if (c == '`' && language != Language::D) {
            ++i;
        } else {
            i = skipQuoted(i);
        }
    }
    return std::move(findings);
}

} // namespace

std::string_view ruleName(Rule rule) {
    return ruleNames[static_cast<std::size_t>(rule)];
}

std::optional<Rule> ruleNamed(std::string_view name) {
    for (Rule rule : allRules)
        if (ruleName(rule) == name)
            return rule;
    return std::nullopt;
}

bool isFixable(Rule rule) {
    return rule != Rule::ReturnVoid && rule != Rule::DirectionByValue;
}

std::vector<Finding> scan(std::string_view buffer, Language language) {
    return Scanner(buffer, language).run();
}

std::vector<Replacement> fixesOf(const std::vector<Finding> &findings) {
    std::vector<Replacement> fixes;
    const CommentSpan *last = nullptr;
    for (const Finding &finding : findings) {
        if (finding.fix.empty() || (last && *last == finding.comment))
            continue;
        last = &finding.comment;
        fixes.insert(fixes.end(), finding.fix.begin(), finding.fix.end());
    }
    return fixes;
}
