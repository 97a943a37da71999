#pragma once

// Random ordinary requests and settings, and the round trip that must hold for them: render a
// request in one set of settings, read the comment back, render that in another set, and get
// exactly what the request itself renders to in the other. The core test runs a few thousand
// cases; bench/commentread_bench.cpp runs as many as it is asked to.
//
// Ordinary: a one-line summary; texts without tabs, without blanks at either end of a line, and
// with no line that begins with \ or @, or with a word and a colon; identifiers for names,
// identifiers or qualified names for exception types; each parameter name once; comment, note and returns
// with blank lines only between lines. Of the requests that render alike (see readComment in
// core/read/comment.h) only the one that comes back is made: no "*/", "/+" or "+/"; no line that starts with
// "Copyright"; value lists with ", " after a one-word value and no comma in the description; and
// after DDoc, expected() clears the directions and folds the note into the comment.

#include "core/common/settingrecord.h"
#include "core/doc/doxygenbsdoc.h"
#include "core/doc/request.h"
#include "core/read/comment.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace roundtrip {

struct Style {
    SettingData::CommentStyle framing;
    SettingData::DocumentStyle syntax;
    SettingData::SpacingStyle spacing;
    std::uint32_t size;
    bool head, foot;
    std::uint32_t box;
};

struct Case {
    DocumentRequest request;
    Style first, second;
    std::string author, copyright;
    bool crlf; // the first comment's line breaks: CR LF, as on the clipboard, or LF
};

// Words that may begin a line.
inline constexpr std::string_view leadWords[] = {
    "alpha",  "Beta", "x",   "the", "Returns", "Params", "Throws", "Date", "Authors", "note",
    "value",  "*",    "**",  "+",   "/",       "//",     "=",      "-",    "0",       "(x)",
    "日本語", "a,b",  "<b>", "...", "'q'",     "_",      "$(D x)", "#",    "[x]",     "{"};
// Words for the rest of a line.
inline constexpr std::string_view laterWords[] = {
    "@param", "\\return", "Params:", "Returns:", "x:", "a:b", "Copyright", "@",  "\\", "{@link y}", "[in]",
    "a, b",   ",",        "c++",     "*p",       "p*", "=",   "Date:",     "値", ":)", "::"};
// Words without a comma, for the descriptions of a value list.
inline constexpr std::string_view plainWords[] = {"ok", "failed", "the",  "value", "is",
                                                  "*",  "=",      "日本", "x:"};
inline constexpr std::string_view values[] = {"0", "-1", "true", "nullptr", "E_FAIL", "a,b", "x*", "日本"};
inline constexpr std::string_view names[] = {"x", "count", "_p", "a1", "value", "aLongerName", "i"};
inline constexpr std::string_view types[] = {"E", "std::runtime_error", "a.b.C", "Orvex::Exception",
                                             "::Global"};
inline constexpr std::string_view directions[] = {"in", "out", "inout", ""};
inline constexpr std::string_view dates[] = {"2026/01/02(金)[03:04:05]", "", "yesterday"};
inline constexpr std::string_view authors[] = {"", "Jane Doe", "山田 太郎"};
inline constexpr std::string_view copyrights[] = {"", "(c) 2026 Example Corp.", "Copyright holders"};
inline constexpr std::uint32_t sizes[] = {0, 1, 2, 3, 4, 4, 4, 5, 8, 13, 64};

class Maker {
public:
    explicit Maker(std::uint32_t seed) : m_random(seed) {}

    Case next() {
        Case c;
        DocumentRequest &r = c.request;
        const std::uint32_t kind = below(10);
        r.kind = kind < 7 ? DocumentKind::Function : kind < 8 ? DocumentKind::Class : DocumentKind::File;
        if (r.kind == DocumentKind::File)
            r.date = pick(dates);
        r.summary = line(1 + below(6));
        if (chance(2))
            r.comment = text();
        if (chance(3))
            r.note = text();
        r.returns = returns();
        for (std::uint32_t n = below(3) == 0 ? 0 : 1 + below(4); n > 0; --n) {
            const std::string name(pick(names));
            if (std::none_of(r.params.begin(), r.params.end(),
                             [&](const ParamEntry &p) { return p.name == name; }))
                r.params.push_back({std::string(pick(directions)), name, words(below(6))});
        }
        for (std::uint32_t n = below(3) == 0 ? 1 + below(3) : 0; n > 0; --n)
            r.throws.push_back({std::string(pick(types)), words(below(5))});
        c.first = style();
        c.second = style();
        c.author = pick(authors);
        c.copyright = pick(copyrights);
        c.crlf = chance(2);
        return c;
    }

private:
    std::uint32_t below(std::uint32_t n) {
        return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(m_random);
    }
    bool chance(std::uint32_t n) { return below(n) == 0; }
    template <class T, std::size_t N> T pick(const T (&items)[N]) { return items[below(N)]; }

    // n words, the first one fit to begin a line; now and then two spaces between two.
    std::string line(std::uint32_t n) {
        std::string text(pick(leadWords));
        for (std::uint32_t i = 1; i < n; ++i) {
            text += chance(8) ? "  " : " ";
            const std::string_view word = chance(2) ? pick(leadWords) : pick(laterWords);
            text += i == 1 && word[0] == ':' ? "x" : word; // not "Date :", a DDoc section
        }
        return text;
    }
    std::string words(std::uint32_t n) { return n == 0 ? std::string() : line(n); }
    // Lines with, now and then, blank lines between them.
    std::string text(std::uint32_t lines = 0) {
        std::string text = line(1 + below(7));
        for (std::uint32_t n = lines ? lines - 1 : below(4); n > 0; --n) {
            text += below(4) == 0 ? (chance(2) ? "\n\n" : "\n\n\n") : "\n";
            text += line(1 + below(7));
        }
        return text;
    }
    std::string returns() {
        switch (below(4)) {
        case 0:
            return {};
        case 1:
            return line(1 + below(6));
        case 2: {
            // Lines that are not all "value, description": that would be a value list.
            std::string text = this->text(2 + below(3));
            const Lines lines = splitLines(text);
            for (std::string_view l : lines)
                if (!splitValuePair(l))
                    return text;
            return text + "\nend";
        }
        default: {
            std::string text;
            for (std::uint32_t n = 2 + below(3); n > 0; --n) {
                text += text.empty() ? "" : "\n";
                text += std::string(pick(values)) + ", " + std::string(pick(plainWords));
                for (std::uint32_t words = below(3); words > 0; --words)
                    text += " " + std::string(pick(plainWords));
            }
            return text;
        }
        }
    }
    Style style() {
        return {SettingData::CommentStyle(below(3)),
                SettingData::DocumentStyle(below(3)),
                SettingData::SpacingStyle(below(3)),
                pick(sizes),
                chance(2),
                chance(2),
                3 + below(120)};
    }

    std::mt19937 m_random;
};

inline void apply(const Style &style, const Case &c) {
    CSettingData &s = g_settingRecord;
    s.m_commentStyle = style.framing;
    s.m_documentStyle = style.syntax;
    s.m_spacingStyle = style.spacing;
    s.m_spacingSize = style.size;
    s.m_boxingHeadStyle = style.head;
    s.m_boxingFootStyle = style.foot;
    s.m_boxingSize = style.box;
    s.m_author = c.author;
    s.m_copyright = c.copyright;
}

// The request that must come back from a comment written in the first style.
inline DocumentRequest expected(const Case &c) {
    DocumentRequest r = c.request;
    if (c.first.syntax == SettingData::DocumentStyle::DDoc) {
        for (ParamEntry &param : r.params)
            param.direction.clear();
        if (!r.note.empty())
            r.comment = r.comment.empty() ? r.note : r.comment + "\n\n" + r.note;
        r.note.clear();
    }
    return r;
}

inline std::string describe(const Style &s) {
    return "framing " + std::to_string(int(s.framing)) + ", syntax " + std::to_string(int(s.syntax)) +
           ", spacing " + std::to_string(int(s.spacing)) + " size " + std::to_string(s.size) + ", box " +
           (s.head ? "head " : "") + (s.foot ? "foot " : "") + std::to_string(s.box);
}

// Nothing when the round trip holds; otherwise what went wrong, with the comments.
inline std::optional<std::string> check(const Case &c) {
    apply(c.first, c);
    const std::string written = renderDocument(c.request, c.crlf ? "\r\n" : "\n");
    std::string want, got;
    try {
        const DocumentRequest read = readComment(written);
        apply(c.second, c);
        want = renderDocument(expected(c), "\n");
        got = renderDocument(read, "\n");
    } catch (const std::exception &e) {
        got = std::string("error: ") + e.what();
    }
    if (want == got)
        return std::nullopt;
    return "written in " + describe(c.first) + ":\n" + written + "\nrendered in " + describe(c.second) +
           ":\n" + got + "\ninstead of:\n" + want;
}

} // namespace roundtrip
