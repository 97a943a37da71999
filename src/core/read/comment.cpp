#include "core/read/comment.h"

#include "core/Orvex/Exception.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace {

using View = std::string_view;
using Views = std::vector<View>;
constexpr std::size_t npos = View::npos;

// Blank inside a line; line breaks are LF, with or without a CR before it.
bool isBlankChar(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isWordChar(char c) {
    return isLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

View trimLeft(View s) {
    std::size_t i = 0;
    while (i < s.size() && isBlankChar(s[i]))
        ++i;
    return s.substr(i);
}
View trimRight(View s) {
    std::size_t n = s.size();
    while (n > 0 && isBlankChar(s[n - 1]))
        --n;
    return s.substr(0, n);
}
View trim(View s) {
    return trimRight(trimLeft(s));
}
bool isBlank(View s) {
    return trimLeft(s).empty();
}
bool consistsOf(View s, char c) {
    return s.find_first_not_of(c) == npos;
}
View firstWord(View s) {
    return s.substr(0, s.find_first_of(" \t"));
}

// The lines of a text, split at LF, without the CR of a CR LF.
Views splitAtBreaks(View text) {
    Views lines;
    for (std::size_t start = 0;;) {
        const std::size_t lf = text.find('\n', start);
        View line = text.substr(start, lf == npos ? npos : lf - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (lf == npos)
            return lines;
        start = lf + 1;
    }
}

// Takes from every line the blanks that all lines that are not blank start with; a blank line
// loses as many of them as it has. {"\tA", "\t\tB", "\t"} gives {"A", "\tB", ""}.
void dedent(std::span<View> lines) {
    std::optional<View> common;
    for (View line : lines) {
        if (isBlank(line))
            continue;
        const View lead = line.substr(0, line.size() - trimLeft(line).size());
        if (!common) {
            common = lead;
            continue;
        }
        std::size_t k = 0;
        while (k < common->size() && k < lead.size() && (*common)[k] == lead[k])
            ++k;
        common = common->substr(0, k);
    }
    if (!common)
        return;
    for (View &line : lines) {
        std::size_t k = 0;
        while (k < common->size() && k < line.size() && line[k] == (*common)[k])
            ++k;
        line.remove_prefix(k);
    }
}

enum class Framing { Block, Lines };

struct Located {
    CommentExtent extent;
    Framing framing = Framing::Block;
    char mark = '*'; // of a block: '*' or '+'
    View inner;      // a block's text between its opener and its closer; the whole run of lines
};

struct Search {
    std::optional<Located> found;
    std::string failure;
};

// After the "/*" or "/+" at open: where the comment's text starts when it is a documentation
// comment ("/**", "/*!", "/++", or a boxed head: more marks and nothing else on the line),
// npos otherwise. "/**/" and "/++/" are empty ordinary comments.
std::size_t docTextStart(View text, std::size_t open, char mark) {
    const std::size_t i = open + 2;
    if (mark == '*' && i < text.size() && text[i] == '!')
        return i + 1;
    std::size_t run = i;
    while (run < text.size() && text[run] == mark)
        ++run;
    if (run == i)
        return npos;
    if (run == i + 1)
        return run < text.size() && text[run] == '/' ? npos : run;
    std::size_t rest = run;
    while (rest < text.size() && isBlankChar(text[rest]))
        ++rest;
    return rest == text.size() || text[rest] == '\n' ? run : npos;
}

// Where the "+/" that closes a nesting comment opened before from lies: "/+" inside opens
// another one.
std::size_t nestedClose(View text, std::size_t from) {
    std::size_t depth = 1;
    for (std::size_t k = from; k + 1 < text.size(); ++k) {
        if (text[k] == '/' && text[k + 1] == '+') {
            ++depth;
            ++k;
        } else if (text[k] == '+' && text[k + 1] == '/') {
            if (--depth == 0)
                return k;
            ++k;
        }
    }
    return npos;
}

bool isBoxLine(View line) {
    line = trimRight(line);
    return line.size() >= 3 && consistsOf(line, '/');
}

// A line of a "///" comment, from its "//": "/// text", "//! text", "///", and a box line of
// '/' only. "//// text" is an ordinary comment.
bool isDocLine(View line) {
    const View mark = line.substr(0, 3);
    if (mark == "//!")
        return true;
    if (mark != "///")
        return false;
    return line.size() == 3 || line[3] != '/' || isBoxLine(line);
}

Search locate(View text) {
    std::size_t start = 0;
    while (start < text.size() && (isBlankChar(text[start]) || text[start] == '\n'))
        ++start;
    const View opener = text.substr(start, 2);
    const View before = text.substr(0, start);
    Located located;
    located.extent.begin = start;
    located.extent.firstLine = 1 + std::count(before.begin(), before.end(), '\n');
    if (opener == "/*" || opener == "/+") {
        const char mark = opener[1];
        const std::size_t from = docTextStart(text, start, mark);
        if (from == npos)
            return {};
        const std::size_t close = mark == '*' ? text.find("*/", from) : nestedClose(text, from);
        if (close == npos)
            return {std::nullopt, "the documentation comment on line " +
                                      std::to_string(located.extent.firstLine) + " is not closed: no \"" +
                                      mark + "/\" ends it"};
        located.mark = mark;
        located.inner = text.substr(from, close - from);
        located.extent.end = close + 2;
    } else if (opener == "//") {
        // The run of documentation lines, each after its indentation.
        std::size_t at = start, end = start;
        bool hasText = false;
        for (;;) {
            const std::size_t lf = text.find('\n', at);
            View line = text.substr(at, lf == npos ? npos : lf - at);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (!isDocLine(line))
                break;
            hasText = hasText || !isBoxLine(line);
            end = at + line.size();
            if (lf == npos)
                break;
            at = lf + 1;
            while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
                ++at;
        }
        if (!hasText)
            return {};
        located.framing = Framing::Lines;
        located.inner = text.substr(start, end - start);
        located.extent.end = end;
    } else {
        return {};
    }
    const View inside = text.substr(start, located.extent.end - start);
    located.extent.lastLine = located.extent.firstLine + std::count(inside.begin(), inside.end(), '\n');
    return {located, {}};
}

// The lines of the comment's text without its framing: no opener and closer, no box lines, no
// column of marks, and without the blanks that every line starts with after the mark (the
// spacing, as wide as it was on the summary's line).
Views bodyLines(const Located &comment) {
    Views lines = splitAtBreaks(comment.inner);
    Views body;
    if (comment.framing == Framing::Lines) {
        for (View &line : lines)
            line = trimLeft(line);
        // Box lines at either end; one inside the run is kept as text.
        std::size_t first = 0, last = lines.size();
        while (first < last && isBoxLine(lines[first]))
            ++first;
        while (last > first && isBoxLine(lines[last - 1]))
            --last;
        for (std::size_t i = first; i < last; ++i)
            body.push_back(lines[i].substr(3));
        dedent(body);
    } else if (lines.size() == 1) {
        body.push_back(trim(lines[0])); // "/** Summary. */"
    } else {
        // Text after the opener ("/** Summary") is the first line; the closer's line is a line of
        // text unless it holds marks only (" */", a boxed foot " *****/").
        const View first = trim(lines.front());
        if (!first.empty())
            body.push_back(first);
        const std::size_t from = body.size();
        body.insert(body.end(), lines.begin() + 1, lines.end());
        if (consistsOf(trimLeft(body.back()), comment.mark))
            body.pop_back();
        const std::span<View> rest(body.begin() + from, body.end());
        const bool column = std::all_of(rest.begin(), rest.end(), [&](View line) {
            const View t = trimLeft(line);
            return t.empty() || t[0] == comment.mark;
        });
        if (column) {
            for (View &line : rest) {
                line = trimLeft(line);
                if (!line.empty())
                    line.remove_prefix(1);
            }
        }
        dedent(rest);
    }
    std::size_t first = 0, last = body.size();
    while (first < last && isBlank(body[first]))
        ++first;
    while (last > first && isBlank(body[last - 1]))
        --last;
    return Views(body.begin() + first, body.begin() + last);
}

// What a line of the text starts: a command, a section, or nothing (Plain: text or blank).
enum class Tag {
    Plain,
    Other,
    Brief,
    Param,
    Return,
    Retval,
    Throw,
    Note,
    Date,
    Author,
    Copyright,
    Code,
    Params,
    Throws
};

struct Head {
    Tag tag = Tag::Plain;
    View rest;      // after the command or the section name, without the blanks between
    View direction; // "@param[in,out]" gives "in,out"
    View name;      // of the command
};

struct Name {
    View name;
    Tag tag;
};

// @ or \ commands; any other is Other and stays in the comment.
constexpr Name commands[] = {
    {"brief", Tag::Brief},     {"short", Tag::Brief},    {"param", Tag::Param},
    {"return", Tag::Return},   {"returns", Tag::Return}, {"result", Tag::Return},
    {"retval", Tag::Retval},   {"throw", Tag::Throw},    {"throws", Tag::Throw},
    {"exception", Tag::Throw}, {"note", Tag::Note},      {"date", Tag::Date},
    {"author", Tag::Author},   {"authors", Tag::Author}, {"copyright", Tag::Copyright},
    {"code", Tag::Code},       {"verbatim", Tag::Code},
};
// DDoc sections: a name and a colon at the start of a line; any other is Other.
constexpr Name sections[] = {
    {"Params", Tag::Params},  {"Returns", Tag::Return}, {"Throws", Tag::Throws},       {"Date", Tag::Date},
    {"Authors", Tag::Author}, {"Author", Tag::Author},  {"Copyright", Tag::Copyright},
};

Tag lookUp(std::span<const Name> names, View name) {
    for (const Name &entry : names)
        if (entry.name == name)
            return entry.tag;
    return Tag::Other;
}

// "@param[in] x the x", "\return 0", "Params:", "Date    : 2026/01/02" (the Space form). Commands
// and sections start at the beginning of the line; an indented line is always Plain, as are
// DDoc's parameter and exception lines. The Doxygen styles' copyright line, "Copyright" and
// blanks with no colon, counts only where copyrightLabel says, as text may begin with the word.
Head classify(View line, bool copyrightLabel) {
    Head head;
    if (line.size() >= 2 && (line[0] == '\\' || line[0] == '@') && isLetter(line[1])) {
        std::size_t k = 1;
        while (k < line.size() && isLetter(line[k]))
            ++k;
        head.name = line.substr(1, k - 1);
        head.tag = lookUp(commands, head.name);
        View after = line.substr(k);
        if (head.tag == Tag::Param) {
            const View bracket = trimLeft(after);
            const std::size_t close = bracket.find(']');
            if (!bracket.empty() && bracket[0] == '[' && close != npos) {
                head.direction = bracket.substr(1, close - 1);
                after = bracket.substr(close + 1);
            }
        }
        if (!after.empty() && !isBlankChar(after[0]))
            head.tag = Tag::Other; // "@returns:", "\paramx"
        head.rest = trimLeft(after);
        return head;
    }
    if (line.empty() || !(isLetter(line[0]) || line[0] == '_'))
        return head;
    std::size_t k = 1;
    while (k < line.size() && isWordChar(line[k]))
        ++k;
    const Tag tag = lookUp(sections, line.substr(0, k));
    std::size_t colon = k;
    if (tag == Tag::Date || tag == Tag::Author)
        while (colon < line.size() && isBlankChar(line[colon]))
            ++colon;
    if (colon < line.size() && line[colon] == ':') {
        head.tag = tag;
        head.rest = trimLeft(line.substr(colon + 1));
    } else if (tag == Tag::Copyright && copyrightLabel && (k == line.size() || isBlankChar(line[k]))) {
        head.tag = tag;
        head.rest = trimLeft(line.substr(k));
    }
    return head;
}

// "in, out" and "out,in" as Remarkist writes them: "inout".
std::string direction(View written) {
    std::string d;
    for (char c : written)
        if (!isBlankChar(c))
            d += c;
    return d == "in,out" || d == "out,in" ? "inout" : d;
}

// Reads the body lines into a request. Each line is looked at a few times at most, and no
// step goes back: the time is linear in the text.
class BodyReader {
public:
    explicit BodyReader(const Views &lines) : m_lines(lines), m_lastText(lines.size()) {
        while (m_lastText > 0 && isBlank(m_lines[m_lastText - 1]))
            --m_lastText;
        --m_lastText; // wraps for no lines, where it is never compared
    }

    DocumentRequest read() {
        // Without @brief, the first paragraph is the summary, in one line.
        const bool brief = std::any_of(m_lines.begin(), m_lines.end(),
                                       [](View line) { return classify(line, false).tag == Tag::Brief; });
        std::size_t i = 0;
        if (!brief) {
            i = paragraphEnd(0);
            m_request.summary = joined({}, 0, i);
            m_hasSummary = i > 0;
        }
        while (i < m_lines.size())
            i = readAt(i);
        return finish();
    }

private:
    Head head(std::size_t i) const { return classify(m_lines[i], i == m_lastText || m_trailer); }
    bool isText(std::size_t i) const { return !isBlank(m_lines[i]) && head(i).tag == Tag::Plain; }
    // Past the lines from `from` on that continue a paragraph: not blank, no command or section.
    std::size_t paragraphEnd(std::size_t from) const {
        while (from < m_lines.size() && isText(from))
            ++from;
        return from;
    }
    // first and the lines in [from, to), trimmed, with one space between them.
    std::string joined(View first, std::size_t from, std::size_t to) const {
        std::string text(trim(first));
        for (std::size_t k = from; k < to; ++k) {
            const View line = trim(m_lines[k]);
            if (line.empty())
                continue;
            if (!text.empty())
                text += ' ';
            text += line;
        }
        return text;
    }

    std::size_t readAt(std::size_t i) {
        const Head h = head(i);
        // "Copyright ..." right after a date or an author line is a copyright line too.
        m_trailer = h.tag == Tag::Date || h.tag == Tag::Author || h.tag == Tag::Copyright;
        switch (h.tag) {
        case Tag::Plain:
            addComment(m_lines[i]);
            return i + 1;
        case Tag::Other:
            return keep(i, paragraphEnd(i + 1));
        case Tag::Code:
            return keep(i, codeEnd(i + 1, h.name == "code" ? "endcode" : "endverbatim"));
        case Tag::Brief:
            return readBrief(i, h);
        case Tag::Param:
        case Tag::Throw:
        case Tag::Retval:
            return readEntry(i, h);
        case Tag::Return:
            return readReturns(i, h);
        case Tag::Note:
            return readNote(i, h);
        case Tag::Date:
        case Tag::Author:
        case Tag::Copyright:
            return readFileSection(i, h);
        case Tag::Params:
        case Tag::Throws:
            return readList(i, h);
        }
        return i + 1;
    }

    std::size_t readBrief(std::size_t i, const Head &h) {
        const std::size_t end = paragraphEnd(i + 1);
        if (m_hasSummary)
            return keep(i, end);
        m_request.summary = joined(h.rest, i + 1, end);
        m_hasSummary = true;
        return removed(end);
    }

    // "@param[in] name description", "@throw Type description", "@retval value description",
    // each continued on the lines of its paragraph.
    std::size_t readEntry(std::size_t i, const Head &h) {
        const std::size_t end = paragraphEnd(i + 1);
        // Split after a tab when there is one, so that in the Tab style a value may hold spaces.
        const std::size_t tab = h.rest.find('\t');
        const View word = h.tag == Tag::Retval && tab != npos ? h.rest.substr(0, tab) : firstWord(h.rest);
        if (word.empty())
            return keep(i, end);
        std::string description = joined(h.rest.substr(word.size()), i + 1, end);
        if (h.tag == Tag::Param)
            m_request.params.push_back({direction(h.direction), std::string(word), std::move(description)});
        else if (h.tag == Tag::Throw)
            m_request.throws.push_back({std::string(word), std::move(description)});
        else
            m_returns.push_back(std::string(trimRight(word)) + ", " + description);
        return removed(end);
    }

    // "\return text" or "Returns: text", then the lines of its paragraph; or the command alone,
    // then indented lines, where a line of the indentation only is a blank line of the text.
    std::size_t readReturns(std::size_t i, const Head &h) {
        m_hasReturns = true;
        if (!h.rest.empty())
            m_returns.emplace_back(trimRight(h.rest));
        std::size_t k = i + 1;
        while (k < m_lines.size() && !m_lines[k].empty()) {
            if (isBlank(m_lines[k])) {
                std::size_t next = k;
                while (next < m_lines.size() && !m_lines[next].empty() && isBlank(m_lines[next]))
                    ++next;
                if (next == m_lines.size() || m_lines[next].empty() || !isBlankChar(m_lines[next][0]))
                    break;
                k = next;
            }
            if (!isText(k))
                break;
            ++k;
        }
        Views more(m_lines.begin() + i + 1, m_lines.begin() + k);
        dedent(more);
        for (View line : more)
            m_returns.emplace_back(trimRight(line));
        return removed(k);
    }

    // "\note text" and every line after it up to the next command or section: a note may hold
    // blank lines.
    std::size_t readNote(std::size_t i, const Head &h) {
        std::size_t k = i + 1;
        while (k < m_lines.size() && head(k).tag == Tag::Plain)
            ++k;
        Views note(m_lines.begin() + i, m_lines.begin() + k);
        note.front() = h.rest;
        dedent(std::span<View>(note).subspan(1));
        while (note.size() > 1 && isBlank(note.back()))
            note.pop_back();
        if (!m_note.empty())
            m_note.emplace_back();
        for (View line : note)
            m_note.emplace_back(trimRight(line));
        return removed(k);
    }

    // Date, author, copyright: a file comment. Author and copyright come from the settings.
    std::size_t readFileSection(std::size_t i, const Head &h) {
        const std::size_t end = paragraphEnd(i + 1);
        if (h.tag == Tag::Date && !m_date)
            m_date = joined(h.rest, i + 1, end);
        m_file = true;
        return removed(end);
    }

    // DDoc's "Params:" with "name = description" lines, and "Throws:" with "description, Type"
    // lines (or one on the line of the name). A section in another shape stays as it was.
    std::size_t readList(std::size_t i, const Head &h) {
        const std::size_t end = paragraphEnd(i + 1);
        Views block;
        if (!h.rest.empty())
            block.push_back(h.rest);
        block.insert(block.end(), m_lines.begin() + i + 1, m_lines.begin() + end);
        std::vector<ParamEntry> params;
        std::vector<ExceptionEntry> throws;
        for (View line : block) {
            line = trim(line);
            if (h.tag == Tag::Params) {
                const View name = line.substr(0, line.find_first_of(" \t="));
                const View after = trimLeft(line.substr(name.size()));
                if (!name.empty() && !after.empty() && after[0] == '=')
                    params.push_back({"", std::string(name), std::string(trim(after.substr(1)))});
                else if (!params.empty())
                    params.back().description +=
                        (params.back().description.empty() ? "" : " ") + std::string(line);
                else
                    return keep(i, end);
                continue;
            }
            const std::size_t comma = line.rfind(", ");
            const View type = comma == npos ? View() : trim(line.substr(comma + 2));
            if (type.empty() || type.find_first_of(" \t,") != npos)
                return keep(i, end);
            throws.push_back({std::string(type), std::string(trimRight(line.substr(0, comma)))});
        }
        if (params.empty() && throws.empty())
            return keep(i, end);
        m_request.params.insert(m_request.params.end(), params.begin(), params.end());
        m_request.throws.insert(m_request.throws.end(), throws.begin(), throws.end());
        return removed(end);
    }

    // Past the line that ends a "@code" block, or the end.
    std::size_t codeEnd(std::size_t k, View endName) const {
        while (k < m_lines.size()) {
            const View line = trimLeft(m_lines[k++]);
            if (line.size() > endName.size() && (line[0] == '\\' || line[0] == '@') &&
                line.substr(1, endName.size()) == endName)
                break;
        }
        return k;
    }

    // Lines the request has no field for stay in the comment as they were.
    std::size_t keep(std::size_t from, std::size_t to) {
        for (std::size_t k = from; k < to; ++k)
            addComment(m_lines[k]);
        return to;
    }
    std::size_t removed(std::size_t next) {
        m_removed = true;
        return next;
    }
    // Blank lines before the comment's text are dropped, and so is the second of two blank lines
    // that had a section between them.
    void addComment(View line) {
        line = trimRight(line);
        if (line.empty() && (m_comment.empty() || (m_removed && m_comment.back().empty())))
            return;
        if (!line.empty())
            m_removed = false;
        m_comment.push_back(line);
    }

    template <class Strings> static std::string joinedText(const Strings &lines) {
        std::string text;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (k > 0)
                text += '\n';
            text += lines[k];
        }
        return text;
    }

    DocumentRequest finish() {
        while (!m_comment.empty() && m_comment.back().empty())
            m_comment.pop_back();
        m_request.comment = joinedText(m_comment);
        m_request.note = joinedText(m_note);
        while (!m_returns.empty() && m_returns.back().empty())
            m_returns.pop_back();
        m_request.returns = joinedText(m_returns);
        // A return section without text ("Returns:" alone, as DDoc writes a return text of line
        // breaks only) renders again as it was.
        if (m_hasReturns && m_request.returns.empty())
            m_request.returns = "\n";
        if (m_file) {
            m_request.kind = DocumentKind::File;
            m_request.date = m_date.value_or("");
        }
        return std::move(m_request);
    }

    const Views &m_lines;
    std::size_t m_lastText; // the last line that is not blank
    DocumentRequest m_request;
    Views m_comment;
    std::vector<std::string> m_note, m_returns;
    std::optional<std::string> m_date;
    bool m_hasSummary = false, m_hasReturns = false, m_file = false;
    bool m_trailer = false; // the line before was a date, author or copyright
    bool m_removed = false; // a section was taken out since the comment's last line of text
};

} // namespace

std::optional<CommentExtent> findDocComment(std::string_view text) {
    const Search search = locate(text);
    if (!search.found)
        return std::nullopt;
    return search.found->extent;
}

bool isDocComment(std::string_view text) {
    return findDocComment(text).has_value();
}

DocumentRequest readComment(std::string_view text) {
    const Search search = locate(text);
    if (!search.found)
        throw Orvex::Exception(search.failure.empty() ? "no documentation comment at the start of the text "
                                                        "(one that opens with /**, /*!, /++, /// or //!)"
                                                      : search.failure);
    const Views lines = bodyLines(*search.found);
    return BodyReader(lines).read();
}
