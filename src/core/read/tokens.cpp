#include "core/read/tokens.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

class Lexer {
public:
    Lexer(std::string_view text, Language language, Tokens &out)
        : m_text(text), m_language(language), m_out(out) {}

    void run() {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == '\n') {
                ++m_line;
                ++m_pos;
                m_lineStart = true;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++m_pos;
            } else if (c == '#' && m_lineStart && preprocessed()) {
                directive();
            } else {
                m_lineStart = false;
                token(c);
            }
        }
    }

private:
    bool preprocessed() const { return m_language == Language::C || m_language == Language::Cpp; }
    char at(std::size_t p) const { return p < m_text.size() ? m_text[p] : '\0'; }
    bool startsAt(std::size_t p, std::string_view s) const { return m_text.substr(p).starts_with(s); }

    // Moves to `to` (clamped to the end), counting the line breaks passed.
    void advanceTo(std::size_t to) {
        to = std::min(to, m_text.size());
        m_line += static_cast<std::uint32_t>(std::count(m_text.begin() + m_pos, m_text.begin() + to, '\n'));
        m_pos = to;
    }

    [[gnu::always_inline]] void push(TokenKind kind, std::size_t begin, std::uint32_t line) {
        m_out.tokens.push_back(
            {kind, static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(m_pos), line, noMatch});
    }

    void pushTrivia(std::size_t begin, std::uint32_t firstLine, bool directive) {
        m_out.trivia.push_back({static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(m_pos),
                                firstLine, m_line, directive});
    }

    // The end of the line from p, past lines continued with a backslash in C and C++.
    std::size_t lineEnd(std::size_t p) const {
        for (;;) {
            const std::size_t eol = m_text.find('\n', p);
            if (eol == std::string_view::npos)
                return m_text.size();
            std::size_t last = eol;
            if (last > p && m_text[last - 1] == '\r')
                --last;
            if (!preprocessed() || last == p || m_text[last - 1] != '\\')
                return eol;
            p = eol + 1;
        }
    }

    // From p to the first `close` and past it, or to the end of the text.
    std::size_t past(std::size_t p, std::string_view close) const {
        const std::size_t found = m_text.find(close, p);
        return found == std::string_view::npos ? m_text.size() : found + close.size();
    }

    // A preprocessor line runs on over its continuations and over a block comment that ends on a
    // later line: "#define X 1 /* one\n two */" is one line.
    std::size_t directiveEnd(std::size_t p) const {
        while (p < m_text.size()) {
            const char c = m_text[p];
            if (c == '\n') {
                std::size_t last = p;
                if (last > 0 && m_text[last - 1] == '\r')
                    --last;
                if (last == 0 || m_text[last - 1] != '\\')
                    return p;
                ++p;
            } else if (c == '/' && at(p + 1) == '*') {
                p = past(p + 2, "*/");
            } else if (c == '/' && at(p + 1) == '/') {
                return lineEnd(p);
            } else if (c == '"' || c == '\'') {
                p = quotedEnd(p, c);
            } else {
                ++p;
            }
        }
        return m_text.size();
    }

    void directive() {
        const std::size_t begin = m_pos;
        const std::uint32_t line = m_line;
        advanceTo(directiveEnd(m_pos));
        pushTrivia(begin, line, true);
    }

    void comment(std::size_t end) {
        const std::size_t begin = m_pos;
        const std::uint32_t line = m_line;
        advanceTo(end);
        pushTrivia(begin, line, false);
    }

    // D's "/+ ... +/" nests.
    std::size_t nestedCommentEnd(std::size_t p) const {
        std::size_t depth = 1;
        p += 2;
        while (p < m_text.size() && depth > 0) {
            if (startsAt(p, "/+")) {
                ++depth;
                p += 2;
            } else if (startsAt(p, "+/")) {
                --depth;
                p += 2;
            } else {
                ++p;
            }
        }
        return p;
    }

    // A quoted string or character from p: to the closing quote, or to the end of the line when
    // it has none (D strings may span lines).
    std::size_t quotedEnd(std::size_t p, char quote) const {
        const bool multiLine = m_language == Language::D && quote == '"';
        for (++p; p < m_text.size(); ++p) {
            const char c = m_text[p];
            if (c == '\\')
                ++p;
            else if (c == quote)
                return p + 1;
            else if (c == '\n' && !multiLine)
                return p;
        }
        return m_text.size();
    }

    // A C++ raw string R"delim( ... )delim" from the quote at p, or npos when it is not one.
    std::size_t rawStringEnd(std::size_t p) const {
        const std::size_t open = m_text.find('(', p + 1);
        if (open == std::string_view::npos || open - p - 1 > 16)
            return std::string_view::npos;
        const std::string_view delimiter = m_text.substr(p + 1, open - p - 1);
        if (delimiter.find_first_of(" \\)\t\n\"") != std::string_view::npos)
            return std::string_view::npos;
        std::string close = ")";
        close.append(delimiter).push_back('"');
        return past(open + 1, close);
    }

    void word() {
        const std::size_t begin = m_pos;
        const std::uint32_t line = m_line;
        std::size_t p = m_pos;
        while (p < m_text.size() && isWordByte(m_text[p]))
            ++p;
        const std::string_view spelled = m_text.substr(begin, p - begin);
        if (at(p) == '"') {
            std::size_t end = std::string_view::npos;
            if (m_language == Language::Cpp &&
                (spelled == "R" || spelled == "u8R" || spelled == "uR" || spelled == "UR" || spelled == "LR"))
                end = rawStringEnd(p);
            else if (m_language == Language::D && spelled == "r")
                end = past(p + 1, "\"");
            if (end != std::string_view::npos) {
                advanceTo(end);
                push(TokenKind::String, begin, line);
                return;
            }
        }
        m_pos = p;
        push(TokenKind::Word, begin, line);
    }

    void number() {
        const std::size_t begin = m_pos;
        std::size_t p = m_pos + 1;
        for (; p < m_text.size(); ++p) {
            const char c = m_text[p], before = m_text[p - 1];
            const bool exponentSign =
                (c == '+' || c == '-') && (before == 'e' || before == 'E' || before == 'p' || before == 'P');
            const bool separator =
                c == '\'' && preprocessed() && isDigit(static_cast<unsigned char>(at(p + 1)));
            if (!isWordByte(c) && c != '.' && !exponentSign && !separator)
                break;
        }
        m_pos = p;
        push(TokenKind::Number, begin, m_line);
    }

    void string(std::size_t end) {
        const std::size_t begin = m_pos;
        const std::uint32_t line = m_line;
        advanceTo(end);
        push(TokenKind::String, begin, line);
    }

    // "...", "::", "->", "<<", "<=", ">=", "&&", "||", "==", "!=" and "=>" are one token; all
    // other punctuation one byte each, so that ">>" closes two template argument lists.
    std::size_t punctuationLength(std::size_t p) const {
        const char next = at(p + 1);
        switch (m_text[p]) {
        case '.':
            return next == '.' && at(p + 2) == '.' ? 3 : 1;
        case ':':
            return next == ':' ? 2 : 1;
        case '-':
            return next == '>' ? 2 : 1;
        case '<':
            return next == '<' || next == '=' ? 2 : 1;
        case '>':
        case '!':
            return next == '=' ? 2 : 1;
        case '&':
            return next == '&' ? 2 : 1;
        case '|':
            return next == '|' ? 2 : 1;
        case '=':
            return next == '=' || next == '>' ? 2 : 1;
        default:
            return 1;
        }
    }

    void punctuation() {
        const std::size_t begin = m_pos;
        m_pos += punctuationLength(m_pos);
        push(TokenKind::Punct, begin, m_line);
    }

    void token(char c) {
        const char next = at(m_pos + 1);
        if (c == '/' && next == '/')
            comment(lineEnd(m_pos));
        else if (c == '/' && next == '*')
            comment(past(m_pos + 2, "*/"));
        else if (c == '/' && next == '+' && m_language == Language::D)
            comment(nestedCommentEnd(m_pos));
        else if (isDigit(static_cast<unsigned char>(c)) ||
                 (c == '.' && isDigit(static_cast<unsigned char>(next))))
            number();
        else if (isWordByte(c))
            word();
        else if (c == '"' && m_language == Language::Java && startsAt(m_pos, "\"\"\""))
            string(past(m_pos + 3, "\"\"\""));
        else if (c == '"' || c == '\'')
            string(quotedEnd(m_pos, c));
        else if (c == '`' && m_language == Language::D)
            string(past(m_pos + 1, "`"));
        else
            punctuation();
    }

    std::string_view m_text;
    Language m_language;
    Tokens &m_out;
    std::size_t m_pos = 0;
    std::uint32_t m_line = 1;
    bool m_lineStart = true; // only blanks so far on this line
};

// 0 to 3 for the brackets ( [ { <, either side; -1 for anything else.
int bracketKind(char c) {
    switch (c) {
    case '(':
    case ')':
        return 0;
    case '[':
    case ']':
        return 1;
    case '{':
    case '}':
        return 2;
    case '<':
    case '>':
        return 3;
    default:
        return -1;
    }
}

// Pairs the brackets with a stack of the open ones. A closing bracket with an open partner
// somewhere on the stack closes everything above it unpaired, so "f(a < b)" leaves the "<"
// unpaired; one with no open partner stays unpaired. A ">" pairs only with a "<" on top, and a
// ";" ends any "<" on top: in "x = a < b; y = c > d;" the two stay unpaired. Nor does a "<" pair
// that holds a "=" of its own, unless it follows "template": in "f(int a = b < c, int d = e > g)"
// they compare, in "template <class T = int>" they enclose. Every bracket is pushed and popped at
// most once: linear time.
void pairBrackets(Tokens &t, bool angles) {
    std::vector<std::uint32_t> open;
    std::vector<bool> holdsEquals; // beside `open`: a "<" with a "=" directly inside
    std::array<std::size_t, 4> openCount{};
    const auto kindAt = [&t](std::uint32_t i) { return bracketKind(t.text[t.tokens[i].begin]); };
    const auto pop = [&] {
        const std::uint32_t top = open.back();
        open.pop_back();
        holdsEquals.pop_back();
        --openCount[static_cast<std::size_t>(kindAt(top))];
        return top;
    };
    const auto pair = [&t](std::uint32_t a, std::uint32_t b) {
        t.tokens[a].match = b;
        t.tokens[b].match = a;
    };
    for (std::uint32_t i = 0; i < t.tokens.size(); ++i) {
        const Token &token = t.tokens[i];
        if (token.kind != TokenKind::Punct || token.end - token.begin != 1)
            continue;
        const char c = t.text[token.begin];
        if (c == '=' && !open.empty() && kindAt(open.back()) == 3 &&
            !(open.back() > 0 && t.is(open.back() - 1, "template"))) {
            holdsEquals.back() = true;
            continue;
        }
        // "operator<" and "operator>" name operators; their brackets pair with nothing.
        const bool afterOperator = i > 0 && t.is(i - 1, "operator");
        const int kind = bracketKind(c);
        if (c == '(' || c == '[' || c == '{' || (c == '<' && angles && !afterOperator)) {
            open.push_back(i);
            holdsEquals.push_back(false);
            ++openCount[static_cast<std::size_t>(kind)];
        } else if (c == ')' || c == ']' || c == '}') {
            if (openCount[static_cast<std::size_t>(kind)] == 0)
                continue;
            for (;;) {
                const std::uint32_t top = pop();
                if (bracketKind(t.text[t.tokens[top].begin]) == kind) {
                    pair(top, i);
                    break;
                }
            }
        } else if (c == '>') {
            if (!afterOperator && !open.empty() && kindAt(open.back()) == 3) {
                const bool compares = holdsEquals.back();
                const std::uint32_t top = pop();
                if (!compares)
                    pair(top, i);
            }
        } else if (c == ';') {
            while (!open.empty() && kindAt(open.back()) == 3)
                pop();
        }
    }
}

} // namespace

std::size_t Tokens::lastLine(std::size_t i) const {
    const std::string_view s = spelling(i);
    return tokens[i].line + static_cast<std::size_t>(std::count(s.begin(), s.end(), '\n'));
}

Tokens tokenize(std::string_view text, Language language) {
    Tokens out;
    out.text = text;
    // At most one token a byte. Untouched capacity costs no memory: a large block is mapped lazily.
    out.tokens.reserve(text.size() + 1);
    Lexer(text, language, out).run();
    pairBrackets(out, language == Language::Cpp || language == Language::Java);
    return out;
}
