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

// Takes from every line as many leading blanks as the least indented line that is not blank has,
// whatever they are: {" @param x", "\t     more"} gives {"@param x", "     more"}, as hand-written
// comments mix a space and a tab after the mark.
void dedentCount(std::span<View> lines) {
    std::size_t least = npos;
    for (View line : lines)
        if (!isBlank(line))
            least = std::min(least, line.size() - trimLeft(line).size());
    if (least == npos)
        return;
    for (View &line : lines) {
        std::size_t k = 0;
        while (k < least && k < line.size() && isBlankChar(line[k]))
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
        std::size_t from = docTextStart(text, start, mark);
        if (from == npos)
            return {};
        if (from < text.size() && text[from] == '<')
            ++from; // "/**<" documents the member on its left
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
        for (std::size_t i = first; i < last; ++i) {
            const View line = lines[i].substr(3);
            body.push_back(line.starts_with('<') ? line.substr(1) : line); // "///<" as "/**<"
        }
        dedentCount(body);
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
        // A column of marks, even where a line or two lacks its mark: more lines have it than not.
        std::size_t marked = 0, text = 0;
        for (View line : rest) {
            const View t = trimLeft(line);
            marked += !t.empty() && t[0] == comment.mark;
            text += !t.empty();
        }
        if (2 * marked > text) {
            for (View &line : rest) {
                const View t = trimLeft(line);
                if (!t.empty() && t[0] == comment.mark)
                    line = t.substr(1);
            }
        }
        dedentCount(rest);
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
    // "std::for_each() ..." is a scope, not a section.
    if (colon < line.size() && line[colon] == ':' && (colon + 1 == line.size() || line[colon + 1] != ':')) {
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
        m_layout.tagsFrom = lines.size();
        findTrailer();
    }

    CommentLayout read() {
        const bool brief = std::any_of(m_lines.begin(), m_lines.end(),
                                       [](View line) { return classify(line, false).tag == Tag::Brief; });
        std::size_t i = 0;
        if (!brief)
            i = readSummary();
        while (i < m_lines.size())
            i = readAt(i);
        finish();
        m_layout.lines = m_lines;
        return std::move(m_layout);
    }

private:
    // A line's command or section. An indented line is text, but for the commands of a function's
    // entries: " @param x" where the other lines have one blank less.
    Head head(std::size_t i) const {
        const Head h = classify(m_lines[i], i == m_lastText || m_trailer);
        if (h.tag != Tag::Plain || m_lines[i].empty() || !isBlankChar(m_lines[i][0]))
            return h;
        const Head indented = classify(trimLeft(m_lines[i]), false);
        const bool entry = indented.tag == Tag::Param || indented.tag == Tag::Retval ||
                           indented.tag == Tag::Throw ||
                           (indented.tag == Tag::Return && !indented.name.empty());
        return entry ? indented : h;
    }
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

    // The final run of date, author and copyright lines, as a file comment ends: there they are
    // the file's own; anywhere else they are text.
    void findTrailer() {
        m_trailerFrom = m_lines.size();
        for (std::size_t k = m_lastText + 1; k-- > 0;) {
            if (isBlank(m_lines[k]))
                continue;
            const Tag tag = classify(m_lines[k], true).tag;
            if (tag != Tag::Date && tag != Tag::Author && tag != Tag::Copyright)
                break;
            m_trailerFrom = k;
        }
    }

    // Without @brief, the summary is the first paragraph when it is one line, and otherwise its
    // first sentence: up to the first period followed by a blank or the end of a line. The rest
    // of the paragraph stays in the comment, with its line breaks. A Javadoc "<p>" starts a new
    // paragraph.
    std::size_t readSummary() {
        std::size_t end = 0;
        while (end < m_lines.size() && isText(end) && end < m_trailerFrom &&
               !(end > 0 && startsParagraph(m_lines[end])))
            ++end;
        m_hasSummary = end > 0;
        if (end <= 1) {
            m_request.summary = joined({}, 0, end);
            return end;
        }
        for (std::size_t k = 0; k < end; ++k) {
            const View line = trimRight(m_lines[k]);
            for (std::size_t dot = line.find('.'); dot != npos; dot = line.find('.', dot + 1)) {
                const bool atEnd = dot + 1 == line.size();
                if (!atEnd && !isBlankChar(line[dot + 1]))
                    continue;
                if (atEnd && k + 1 == end)
                    break; // the whole paragraph is one sentence
                m_request.summary = joined(line.substr(0, dot + 1), 0, 0);
                if (k > 0)
                    m_request.summary = joined({}, 0, k) + " " + m_request.summary;
                const View rest = trim(line.substr(dot + 1));
                if (!rest.empty())
                    addComment(rest);
                keep(k + 1, end);
                return end;
            }
        }
        m_request.summary = joined({}, 0, end);
        return end;
    }
    static bool startsParagraph(View line) {
        line = trimLeft(line);
        return line.size() >= 3 && line[0] == '<' && (line[1] == 'p' || line[1] == 'P') &&
               (line[2] == '>' || isBlankChar(line[2]));
    }

    std::size_t readAt(std::size_t i) {
        const Head h = head(i);
        // "Copyright ..." right after a date or an author line is a copyright line too.
        m_trailer = h.tag == Tag::Date || h.tag == Tag::Author || h.tag == Tag::Copyright;
        if (h.tag != Tag::Plain && h.tag != Tag::Brief && h.tag != Tag::Param && h.tag != Tag::Params &&
            h.tag != Tag::Code && h.tag != Tag::Note)
            m_layout.tagsFrom = std::min(m_layout.tagsFrom, i);
        noteSyntax(h, i);
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

    void noteSyntax(const Head &h, std::size_t i) {
        if (h.tag == Tag::Plain)
            return;
        const char first = trimLeft(m_lines[i])[0];
        if (first == '@' || first == '\\') {
            if (!m_layout.command)
                m_layout.command = first;
        } else if (h.tag == Tag::Params || h.tag == Tag::Throws || h.tag == Tag::Return) {
            m_layout.ddoc = true;
        }
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
    // each continued on the lines of its paragraph. A second line for a name already documented
    // adds its text to the first; a parameter line with no name is no parameter.
    std::size_t readEntry(std::size_t i, const Head &h) {
        const std::size_t end = paragraphEnd(i + 1);
        // Split after a tab when there is one, so that in the Tab style a value may hold spaces.
        const std::size_t tab = h.rest.find('\t');
        const View word = h.tag == Tag::Retval && tab != npos ? h.rest.substr(0, tab) : firstWord(h.rest);
        const View command = trimLeft(m_lines[i]).substr(0, 1 + h.name.size());
        // "@param <T>" documents a type parameter: text, like "@tparam".
        if ((word.empty() && h.tag != Tag::Param) || (h.tag == Tag::Param && word.starts_with('<')))
            return keep(i, end);
        const CommentEntry::Kind kind = h.tag == Tag::Param   ? CommentEntry::Kind::Param
                                        : h.tag == Tag::Throw ? CommentEntry::Kind::Throw
                                                              : CommentEntry::Kind::Return;
        m_layout.entries.push_back({kind, i, end, command, word, h.direction});
        std::string description = joined(h.rest.substr(word.size()), i + 1, end);
        if (h.tag == Tag::Param)
            addParam({direction(h.direction), std::string(word), std::move(description)});
        else if (h.tag == Tag::Throw)
            m_request.throws.push_back({std::string(word), std::move(description)});
        else
            m_returns.push_back(std::string(trimRight(word)) + ", " + description);
        return removed(end);
    }

    void addParam(ParamEntry param) {
        if (param.name.empty())
            return;
        for (ParamEntry &known : m_request.params) {
            if (known.name != param.name)
                continue;
            if (!param.description.empty())
                known.description += (known.description.empty() ? "" : " ") + param.description;
            return;
        }
        m_request.params.push_back(std::move(param));
    }

    // "\return text" or "Returns: text" and the lines of its paragraph: prose, one line, however
    // many commas it holds. Or the command alone, then indented lines (where a line of the
    // indentation only is a blank line of the text), as Remarkist writes several lines.
    std::size_t readReturns(std::size_t i, const Head &h) {
        m_hasReturns = true;
        const View command =
            trimRight(m_lines[i].substr(0, static_cast<std::size_t>(h.rest.data() - m_lines[i].data())));
        if (!h.rest.empty()) {
            const std::size_t end = paragraphEnd(i + 1);
            m_layout.entries.push_back({CommentEntry::Kind::Return, i, end, command, {}, {}});
            m_returns.push_back(joined(h.rest, i + 1, end));
            return removed(end);
        }
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
        m_layout.entries.push_back({CommentEntry::Kind::Return, i, k, command, {}, {}});
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

    // A date makes a file comment. Author and copyright lines are the file's own in the final run
    // of such lines, where a file comment has them; elsewhere they are text ("@author" in a
    // class comment).
    std::size_t readFileSection(std::size_t i, const Head &h) {
        const std::size_t end = paragraphEnd(i + 1);
        // After parameters, returns or exceptions, only with a date: a function's or class's own
        // "@author" stays its text.
        if (h.tag != Tag::Date && (i < m_trailerFrom || (!m_date && !m_layout.entries.empty())))
            return keep(i, end);
        std::optional<std::string> &field = h.tag == Tag::Date     ? m_date
                                            : h.tag == Tag::Author ? m_request.author
                                                                   : m_request.copyright;
        if (field)
            return keep(i, end);
        field = joined(h.rest, i + 1, end);
        m_file = true;
        return removed(end);
    }

    // DDoc's "Params:" with "name = description" lines, and "Throws:" with "description, Type"
    // lines (or one on the line of the name). A section in another shape stays as it was.
    std::size_t readList(std::size_t i, const Head &h) {
        const std::size_t end = paragraphEnd(i + 1);
        std::vector<ParamEntry> params;
        std::vector<ExceptionEntry> throws;
        std::vector<CommentEntry> entries;
        for (std::size_t k = h.rest.empty() ? i + 1 : i; k < end; ++k) {
            const View line = trim(k == i ? h.rest : m_lines[k]);
            if (h.tag == Tag::Params) {
                const View name = line.substr(0, line.find_first_of(" \t="));
                const View after = trimLeft(line.substr(name.size()));
                if (!name.empty() && !after.empty() && after[0] == '=') {
                    params.push_back({"", std::string(name), std::string(trim(after.substr(1)))});
                    entries.push_back({CommentEntry::Kind::Param, k, k + 1, {}, name, {}});
                } else if (!params.empty()) {
                    params.back().description +=
                        (params.back().description.empty() ? "" : " ") + std::string(line);
                    entries.back().last = k + 1;
                } else {
                    return keep(i, end);
                }
                continue;
            }
            const std::size_t comma = line.rfind(", ");
            const View type = comma == npos ? View() : trim(line.substr(comma + 2));
            // A type is a name, qualified or not: "$(REF E, std, exception)" is text.
            if (type.empty() || !std::all_of(type.begin(), type.end(), [](char c) {
                    return isWordChar(c) || c == '.' || c == ':' || static_cast<unsigned char>(c) >= 0x80;
                }))
                return keep(i, end);
            throws.push_back({std::string(type), std::string(trimRight(line.substr(0, comma)))});
            entries.push_back({CommentEntry::Kind::Throw, k, k + 1, {}, type, {}});
        }
        if (params.empty() && throws.empty())
            return keep(i, end);
        if (h.tag == Tag::Params && !m_layout.paramsSection)
            m_layout.paramsSection = i;
        m_layout.entries.insert(m_layout.entries.end(), entries.begin(), entries.end());
        for (ParamEntry &param : params)
            addParam(std::move(param));
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

    void finish() {
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
        m_layout.request = std::move(m_request);
    }

    const Views &m_lines;
    std::size_t m_lastText; // the last line that is not blank
    std::size_t m_trailerFrom = 0;
    DocumentRequest m_request;
    CommentLayout m_layout;
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

std::optional<CommentExtent> lastDocComment(std::string_view comments) {
    // Where each comment of the run starts: block comments, nesting ones, and each line comment.
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < comments.size();) {
        if (isBlankChar(comments[at]) || comments[at] == '\n') {
            ++at;
            continue;
        }
        starts.push_back(at);
        const View opener = comments.substr(at, 2);
        const std::size_t close = opener == "/*"   ? comments.find("*/", at + 2)
                                  : opener == "/+" ? nestedClose(comments, at + 2)
                                                   : comments.find('\n', at);
        at = close == npos ? comments.size() : close + (opener == "//" ? 1 : 2);
    }
    // The earliest start from which one documentation comment reaches the end: a run of "///"
    // lines starts at its first line.
    std::optional<CommentExtent> found;
    for (std::size_t k = starts.size(); k-- > 0;) {
        const std::optional<CommentExtent> extent = findDocComment(comments.substr(starts[k]));
        if (!extent || starts[k] + extent->end < trimRight(comments).size()) {
            if (found)
                break;
            continue; // "///" alone at the end of a run is a line of it, no comment of its own
        }
        const View before = comments.substr(0, starts[k]);
        const std::size_t lines = static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
        found = CommentExtent{starts[k] + extent->begin, starts[k] + extent->end, extent->firstLine + lines,
                              extent->lastLine + lines};
    }
    return found;
}

CommentLayout layoutComment(std::string_view text) {
    const Search search = locate(text);
    if (!search.found)
        throw Orvex::Exception(search.failure.empty() ? "no documentation comment at the start of the text "
                                                        "(one that opens with /**, /*!, /++, /// or //!)"
                                                      : search.failure);
    const Views lines = bodyLines(*search.found);
    CommentLayout layout = BodyReader(lines).read();
    layout.lineComment = search.found->framing == Framing::Lines;
    return layout;
}

DocumentRequest readComment(std::string_view text) {
    return layoutComment(text).request;
}
