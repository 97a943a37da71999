#include "core/read/comment.h"

#include "commentcases.h"
#include "core/Orvex/Exception.h"
#include "firststart.h"

#include <gtest/gtest.h>
#include <ostream>

// The rows name only the fields they fill; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

void PrintTo(const DocumentRequest &r, std::ostream *os) {
    const auto optional = [](const std::optional<std::string> &s) { return s ? '"' + *s + '"' : "none"; };
    *os << "{kind " << int(r.kind) << ", date " << optional(r.date) << ", author " << optional(r.author)
        << ", copyright " << optional(r.copyright) << ", summary \"" << r.summary << "\", comment \""
        << r.comment << "\", note \"" << r.note << "\", returns \"" << r.returns << "\", params {";
    for (const ParamEntry &p : r.params)
        *os << "[" << p.direction << "|" << p.name << "|" << p.description << "]";
    *os << "}, throws {";
    for (const ExceptionEntry &t : r.throws)
        *os << "[" << t.type << "|" << t.description << "]";
    *os << "}}";
}

namespace {

using Comment = SettingData::CommentStyle;
using Syntax = SettingData::DocumentStyle;
using Spacing = SettingData::SpacingStyle;

class CommentReadTest : public ::testing::Test {
protected:
    void SetUp() override { resetFirstStartSettings(); }
};

// Comments as Remarkist writes them, in every framing and syntax: the request renders to the
// text, and the text reads back to the request.
TEST_F(CommentReadTest, ReadsWhatRemarkistWrites) {
    struct Row {
        const char *name;
        roundtrip::Style style;
        DocumentRequest request;
        const char *author, *copyright;
        const char *text;
    };
    const Row rows[] = {
        {"/** and backslash, Tab",
         {Comment::C, Syntax::DoxygenBS, Spacing::Tab, 4, false, false, 3},
         {.summary = "Frobs.", .returns = "the value", .params = {{"in", "x", "the x"}}},
         "",
         "",
         "/**\n"
         " *\tFrobs.\n"
         " *\t\n"
         " *\t\\param[in]\tx\tthe x\n"
         " *\t\\return\tthe value\n"
         " */"},
        {"/++ and DDoc, Space 4",
         {Comment::D, Syntax::DDoc, Spacing::Space, 4, false, false, 3},
         {.summary = "Frobs.", .returns = "the value", .params = {{"", "x", "the x"}}},
         "",
         "",
         "/++\n"
         " +  Frobs.\n"
         " +  \n"
         " +  Params:\n"
         " +      x   = the x\n"
         " +  Returns:    the value\n"
         " +/"},
        {"/// and at-sign, boxed: comment, note, exceptions",
         {Comment::Java, Syntax::DoxygenAT, Spacing::Tab, 4, true, true, 10},
         {.summary = "Frobs.",
          .comment = "A\n\nB",
          .note = "N1\nN2",
          .throws = {{"std::runtime_error", "when it fails"}, {"E", ""}}},
         "",
         "",
         "//////////\n"
         "///\tFrobs.\n"
         "///\t\n"
         "///\tA\n"
         "///\t\n"
         "///\tB\n"
         "///\t\n"
         "///\t@note\tN1\n"
         "///\tN2\n"
         "///\t@throw\tstd::runtime_error\t\twhen it fails\n"
         "///\t@throw\tE\t\t\t\t\t\t\n"
         "//////////"},
        {"boxed /**, Space 2: a value list, an empty direction and description",
         {Comment::C, Syntax::DoxygenAT, Spacing::Space, 2, true, true, 12},
         {.summary = "Frobs.",
          .returns = "0, ok\n-1, failed",
          .params = {{"inout", "count", "how many"}, {"", "p", ""}}},
         "",
         "",
         "/***********\n"
         " *  Frobs.\n"
         " *  \n"
         " *  @param[inout] count how many\n"
         " *  @param[]      p     \n"
         " *  @retval 0   ok\n"
         " *  @retval -1  failed\n"
         " **********/"},
        {"boxed /++ and backslash, TabSpace 8: a file comment",
         {Comment::D, Syntax::DoxygenBS, Spacing::TabSpace, 8, true, false, 20},
         {.kind = DocumentKind::File, .date = "2026/01/02", .summary = "The adder.", .note = "Slow."},
         "Jane",
         "(c) Acme",
         "/+++++++++++++++++++\n"
         " +\tThe adder.\n"
         " +\t\n"
         " +\t\\note\tSlow.\n"
         " +\t\n"
         " +\t\\date   2026/01/02\n"
         " +\t\\author Jane\n"
         " +\tCopyright       (c) Acme\n"
         " +/"},
        {"boxed /// and DDoc, Space 1: empty description, blank line in the return text",
         {Comment::Java, Syntax::DDoc, Spacing::Space, 1, true, true, 5},
         {.summary = "Frobs.",
          .returns = "A\n\nB",
          .params = {{"", "x", ""}, {"", "count", "how many"}},
          .throws = {{"a.b.E", "always"}}},
         "",
         "",
         "/////\n"
         "/// Frobs.\n"
         "/// \n"
         "/// Params:\n"
         "///  x     = \n"
         "///  count = how many\n"
         "/// Returns:\n"
         "///  A\n"
         "///  \n"
         "///  B\n"
         "/// Throws: always, a.b.E\n"
         "/////"},
        {"/** and DDoc: a date without an author follows the text directly",
         {Comment::C, Syntax::DDoc, Spacing::Tab, 4, false, false, 3},
         {.kind = DocumentKind::File, .date = "2026/01/02", .summary = "The adder.", .comment = "More."},
         "",
         "(c) Acme",
         "/**\n"
         " *\tThe adder.\n"
         " *\t\n"
         " *\tMore.\n"
         " *\tDate:\t2026/01/02\n"
         " *\tCopyright:\t(c) Acme\n"
         " */"},
        {"SpacingSize 0 works as 1: a copyright line alone, no date",
         {Comment::C, Syntax::DoxygenBS, Spacing::Space, 0, false, true, 3},
         {.kind = DocumentKind::File, .date = "", .summary = "The adder."},
         "",
         "(c) Acme",
         "/**\n"
         " * The adder.\n"
         " * Copyright (c) Acme\n"
         " */"},
        {"/++ and DDoc, Tab: several exceptions, a description with a comma",
         {Comment::D, Syntax::DDoc, Spacing::Tab, 4, false, false, 3},
         {.summary = "Frobs.", .returns = "one\n\ntwo", .throws = {{"E", "first, here"}, {"a::F", ""}}},
         "",
         "",
         "/++\n"
         " +\tFrobs.\n"
         " +\t\n"
         " +\tReturns:\n"
         " +\t\tone\n"
         " +\t\t\n"
         " +\t\ttwo\n"
         " +\tThrows:\n"
         " +\t\tfirst, here\t, E\n"
         " +\t\t\t\t\t, a::F\n"
         " +/"},
    };
    for (const Row &row : rows) {
        roundtrip::apply(row.style, {{}, row.style, row.style, row.author, row.copyright, false});
        EXPECT_EQ(renderDocument(row.request, "\n"), row.text) << row.name;
        DocumentRequest expected = row.request;
        if (expected.kind == DocumentKind::File) { // the file's own, as written
            if (*row.author)
                expected.author = row.author;
            if (*row.copyright)
                expected.copyright = row.copyright;
        }
        EXPECT_EQ(readComment(row.text), expected) << row.name;
    }
}

TEST_F(CommentReadTest, ReadsHandWrittenComments) {
    struct Row {
        const char *name;
        const char *text;
        DocumentRequest request;
    };
    const Row rows[] = {
        {"Javadoc: directions empty, a description continued, the first paragraph as summary",
         "/**\n"
         " * Returns the sum of two\n"
         " * numbers.\n"
         " *\n"
         " * Both must be positive.\n"
         " *\n"
         " * @param a the first\n"
         " * @param b the second,\n"
         " *          continued\n"
         " * @return the sum\n"
         " * @throws IllegalArgumentException if one is negative\n"
         " */\n"
         "int sum(int a, int b);",
         {.summary = "Returns the sum of two numbers.",
          .comment = "Both must be positive.",
          .returns = "the sum",
          .params = {{"", "a", "the first"}, {"", "b", "the second, continued"}},
          .throws = {{"IllegalArgumentException", "if one is negative"}}}},
        {"/*! without a column, \\brief, [in,out], \\returns",
         "/*!\n"
         "    \\brief Frobs the widget.\n"
         "\n"
         "    Longer text.\n"
         "\n"
         "    \\param[in] w the widget\n"
         "    \\param[in,out] n the count\n"
         "    \\param[out] r the result\n"
         "    \\returns true on success\n"
         "*/",
         {.summary = "Frobs the widget.",
          .comment = "Longer text.",
          .returns = "true on success",
          .params = {{"in", "w", "the widget"}, {"inout", "n", "the count"}, {"out", "r", "the result"}}}},
        {"//! lines, [in, out]",
         "//! Adds one.\r\n"
         "//! @param[in, out] x the value\r\n",
         {.summary = "Adds one.", .params = {{"inout", "x", "the value"}}}},
        {"a file header: @brief after @file; author and copyright with text after them stay text",
         "/// @file adder.h\n"
         "/// @brief Adds numbers.\n"
         "/// @date 2026-01-02\n"
         "/// @author Jane\n"
         "/// Copyright (c) 2026 Jane\n"
         "/// All rights reserved.",
         {.kind = DocumentKind::File,
          .date = "2026-01-02",
          .summary = "Adds numbers.",
          .comment = "@file adder.h\n@author Jane\nCopyright (c) 2026 Jane\nAll rights reserved."}},
        {"a copyright command at the end makes a file comment without a date",
         "/** Adds.\n * @copyright Jane */",
         {.kind = DocumentKind::File, .date = "", .copyright = "Jane", .summary = "Adds."}},
        {"a type parameter's @param is text; @author after a parameter is text",
         "/**\n * A list.\n * @param <E> the element\n * @param n the size\n * @author Josh\n */",
         {.summary = "A list.",
          .comment = "@param <E> the element\n@author Josh",
          .params = {{"", "n", "the size"}}}},
        {"@retval lines: a value list",
         "/**\n"
         " * Opens the file.\n"
         " * @retval 0 on success\n"
         " * @retval -1 when the file is missing\n"
         " */",
         {.summary = "Opens the file.", .returns = "0, on success\n-1, when the file is missing"}},
        {"@retval in the Tab style: the value ends at the tab",
         "/**\n *\tOpens.\n *\t\\retval\tnot found\t\t-1\n *\t\\retval\tok\t\t\t0\n */",
         {.summary = "Opens.", .returns = "not found, -1\nok, 0"}},
        {"one line", "/** Frobs. */", {.summary = "Frobs."}},
        {"a member's comment to its right", "/**< Across. */", {.summary = "Across."}},
        {"a member's line comments",
         "///< Across,\n///< left to right.",
         {.summary = "Across, left to right."}},
        {"one line of /++", "/++ Frobs. +/", {.summary = "Frobs."}},
        {"commands and sections Remarkist does not write stay, in order",
         "/**\n"
         " * Summary.\n"
         " *\n"
         " * @see other()\n"
         " * @since 2.0\n"
         " * \\todo speed up\n"
         " *\n"
         " * @param x the x\n"
         " *\n"
         " * Examples:\n"
         " * ---\n"
         " * f(1);\n"
         " * ---\n"
         " */",
         {.summary = "Summary.",
          .comment = "@see other()\n@since 2.0\n\\todo speed up\n\nExamples:\n---\nf(1);\n---",
          .params = {{"", "x", "the x"}}}},
        {"DDoc by hand: a continued parameter, Throws in Remarkist's shape, See_Also kept",
         "/++\n"
         " + Reads a line.\n"
         " +\n"
         " + Params:\n"
         " +     file = where to read from\n"
         " +     max  = the longest line,\n"
         " +            in bytes\n"
         " + Returns: the line, without its break\n"
         " + Throws: an error if the file is closed, FileException\n"
         " + See_Also: writeLine\n"
         " +/",
         {.summary = "Reads a line.",
          .comment = "See_Also: writeLine",
          .returns = "the line, without its break",
          .params = {{"", "file", "where to read from"}, {"", "max", "the longest line, in bytes"}},
          .throws = {{"FileException", "an error if the file is closed"}}}},
        {"DDoc Throws in another shape stays in the comment",
         "/++ Summary.\n +\n + Throws: FileException on error\n +/",
         {.summary = "Summary.", .comment = "Throws: FileException on error"}},
        {"a @code block is text, whatever it holds",
         "/**\n * Summary.\n * @code\n * @param x not one\n * @endcode\n */",
         {.summary = "Summary.", .comment = "@code\n@param x not one\n@endcode"}},
        {"an indented method, @returns and @exception",
         "    /**\n"
         "     * Gets it.\n"
         "     * @returns it\n"
         "     * @exception std::out_of_range when empty\n"
         "     */\n"
         "    int get();",
         {.summary = "Gets it.", .returns = "it", .throws = {{"std::out_of_range", "when empty"}}}},
        {"a return text continued, indented under its command: prose on one line, commas and all",
         "/**\n * Sum.\n * @return the sum, or -1\n *         if empty, or 0.\n */",
         {.summary = "Sum.", .returns = "the sum, or -1 if empty, or 0."}},
        {"@note ends at the next command",
         "/**\n * Sum.\n * @note slow\n *\n * on big input\n * @return x\n */",
         {.summary = "Sum.", .note = "slow\n\non big input", .returns = "x"}},
        {"\"Returns:\" alone renders again as it was",
         "/++\n + Frobs.\n +\n + Returns:\n +/",
         {.summary = "Frobs.", .returns = "\n"}},
        {"a summary on the opener's line, and a boxed foot",
         "/** Frobs.\n * More.\n ***************/",
         {.summary = "Frobs.", .comment = "More."}},
        {"a line of text that starts like a section, without its colon, is text",
         "/**\n * Frobs.\n *\n * Returns the value\n * Date of birth\n */",
         {.summary = "Frobs.", .comment = "Returns the value\nDate of birth"}},
        {"\"Copyright\" as the last line is the copyright; earlier it is text",
         "/**\n * Frobs.\n *\n * Copyright law applies.\n * Copyright (c) Jane\n */",
         {.kind = DocumentKind::File,
          .date = "",
          .copyright = "(c) Jane",
          .summary = "Frobs.",
          .comment = "Copyright law applies."}},
        {"blank lines around a section taken out become one",
         "/**\n * Frobs.\n *\n * First.\n *\n * @param x the x\n *\n * Second.\n */",
         {.summary = "Frobs.", .comment = "First.\n\nSecond.", .params = {{"", "x", "the x"}}}},
        {"an empty comment", "/** */", {}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(readComment(row.text), row.request) << row.name;
}

TEST_F(CommentReadTest, Errors) {
    const std::string none =
        "no documentation comment at the start of the text (one that opens with /**, /*!, /++, /// or //!)";
    struct Row {
        const char *name;
        const char *text;
        std::string message;
    };
    const Row rows[] = {
        {"nothing", "", none},
        {"blank lines", " \r\n\t\n", none},
        {"code", "int f();", none},
        {"an ordinary block comment", "/* plain */", none},
        {"an ordinary nesting comment", "/+ plain +/", none},
        {"an ordinary line comment", "// plain", none},
        {"an empty block comment", "/**/", none},
        {"an empty nesting comment", "/++/", none},
        {"a banner of stars with text", "/***** Section *****/", none},
        {"four slashes and text", "//// banner", none},
        {"box lines only", "//////////\n//////////\nint x;", none},
        {"code before the comment", "int x; /** A */", none},
        {"not closed", "\n\n/** A\n * B",
         "the documentation comment on line 3 is not closed: no \"*/\" ends it"},
        {"nested, not closed", "/++ a /+ b +/",
         "the documentation comment on line 1 is not closed: no \"+/\" ends it"},
    };
    for (const Row &row : rows) {
        try {
            readComment(row.text);
            ADD_FAILURE() << row.name << ": no error";
        } catch (const Orvex::Exception &e) {
            EXPECT_EQ(e.what(), row.message) << row.name;
        }
        EXPECT_FALSE(isDocComment(row.text)) << row.name;
    }
}

// Where the comment ends, for reading what follows it.
TEST_F(CommentReadTest, Extent) {
    struct Row {
        const char *name;
        std::string_view text;
        CommentExtent extent;
    };
    const Row rows[] = {
        {"after blank lines, code on the closer's line", "\r\n  /** A */ int f();", {4, 12, 2, 2}},
        {"/// lines up to the end of the last, before its CR LF",
         "/// a\r\n  /// b\r\nint f();",
         {0, 14, 1, 2}},
        {"box lines belong to it", "///////\n/// A\n///////\nint", {0, 21, 1, 3}},
        {"a blank line ends a run", "/// A\n\n/// B", {0, 5, 1, 1}},
        {"four slashes end a run", "/// A\n//// B", {0, 5, 1, 1}},
        {"a nested comment inside", "/++ a /+ b +/ c +/ int", {0, 18, 1, 1}},
        {"a block over lines", "/**\n * A\n */\nvoid f();", {0, 12, 1, 3}},
        {"a comment inside does not end it", "/** a // b /* c */ d", {0, 18, 1, 1}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(findDocComment(row.text), row.extent) << row.name;
}

// Written in one style, read back and written in another: the same as the request written in
// the other style, for random ordinary requests in random settings.
TEST_F(CommentReadTest, RoundTrip) {
    roundtrip::Maker maker(20260102);
    int failures = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::optional<std::string> failure = roundtrip::check(maker.next());
        if (failure && ++failures <= 3)
            ADD_FAILURE() << "case " << i << ": " << *failure;
    }
    EXPECT_EQ(failures, 0);
}

} // namespace
