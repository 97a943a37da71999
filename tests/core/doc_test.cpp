#include "core/comment/styler.h"
#include "core/doc/ddoc.h"
#include "core/doc/doxygenatdoc.h"
#include "core/doc/doxygenbsdoc.h"
#include "core/doc/styler.h"

#include "core/Orvex/Exception.h"
#include "firststart.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using Comment = SettingData::CommentStyle;
using Syntax = SettingData::DocumentStyle;
using Spacing = SettingData::SpacingStyle;
using Section = Lines (DocumentStyle::*)() const;
using Fill = std::function<void(DocumentStyle &)>;

class DocTest : public ::testing::Test {
protected:
    void SetUp() override { resetFirstStartSettings(); }
};

std::unique_ptr<DocumentStyle> styleFor(Syntax syntax, Spacing spacing, std::uint32_t size = 4) {
    g_settingRecord.m_documentStyle = syntax;
    g_settingRecord.m_spacingStyle = spacing;
    g_settingRecord.m_spacingSize = size;
    return documentStyler();
}

Fill returns(std::string text) {
    return [text](DocumentStyle &d) { d.setReturns(text); };
}
Fill throws(std::vector<ExceptionEntry> entries) {
    return [entries](DocumentStyle &d) { d.setThrows(entries); };
}
Fill params(std::vector<ParamEntry> entries) {
    return [entries](DocumentStyle &d) { d.setParams(entries); };
}

struct SectionRow {
    const char *name;
    Syntax syntax;
    Spacing spacing;
    Fill fill;
    Section section;
    Lines expected;
};

void checkSections(const std::vector<SectionRow> &rows) {
    for (const SectionRow &row : rows) {
        auto style = styleFor(row.syntax, row.spacing);
        row.fill(*style);
        EXPECT_EQ(((*style).*row.section)(), row.expected) << row.name;
    }
}

TEST_F(DocTest, SplitValuePair) {
    struct Row {
        const char *name;
        std::string line;
        bool matches;
        std::string value, description;
    };
    // clang-format off
    const Row rows[] = {
        {"plain pair", "0,ok", true, "0", "ok"},
        {"spaces before the comma stay", "0  ,  ok", true, "0  ", "ok"},
        {"last comma wins", "a, b, c", true, "a, b", "c"},
        {"comma at the end falls back to the one before", "a,b,", true, "a", "b,"},
        {"only spaces after the comma keep the last", "a,   ", true, "a", " "},
        {"one space after the comma", "a, ", true, "a", " "},
        {"comma and space before", ", ,x", true, ", ", "x"},
        {"spaces only around the comma", " , ", true, " ", " "},
        {"two commas", "a,,", true, "a", ","},
        {"no comma", "plain", false, "", ""},
        {"comma first", ",a", false, "", ""},
        {"comma last", "a,", false, "", ""},
        {"comma space comma", ", ,", false, "", ""},
        {"lone comma", ",", false, "", ""},
        {"empty", "", false, "", ""},
    };
    // clang-format on
    for (const Row &row : rows) {
        const std::optional<ValuePair> pair = splitValuePair(row.line);
        ASSERT_EQ(pair.has_value(), row.matches) << row.name;
        if (pair) {
            EXPECT_EQ(pair->value, row.value) << row.name;
            EXPECT_EQ(pair->description, row.description) << row.name;
        }
    }
}

TEST_F(DocTest, DoxygenSections) {
    const Fill date = [](DocumentStyle &d) { d.setDate("2026"); };
    const Fill author = [](DocumentStyle &d) { d.setAuthor("me"); };
    const Fill copyright = [](DocumentStyle &d) { d.setCopyright("X"); };
    const Fill note = [](DocumentStyle &d) { d.setNote("first\r\nsecond\r\n"); };
    const std::vector<ExceptionEntry> twoThrows{{"Invalid", "bad"}, {"E", "worse"}};
    const std::vector<ParamEntry> twoParams{{"in", "x", "first"}, {"inout", "abcde", "second"}};
    const auto BS = Syntax::DoxygenBS, AT = Syntax::DoxygenAT;
    const auto Tab = Spacing::Tab, Space = Spacing::Space, TabSpace = Spacing::TabSpace;
    // clang-format off
    checkSections({
        {"date tab", BS, Tab, date, &DocumentStyle::dateSection, {"\\date\t2026"}},
        {"date space", BS, Space, date, &DocumentStyle::dateSection, {"\\date   2026"}},
        {"date tabspace pads with spaces", BS, TabSpace, date, &DocumentStyle::dateSection,
         {"\\date   2026"}},
        {"author space", AT, Space, author, &DocumentStyle::authorSection, {"@author me"}},
        {"copyright at-sign tab has no @", AT, Tab, copyright, &DocumentStyle::copyrightSection,
         {"Copyright\tX"}},
        {"copyright space", AT, Space, copyright, &DocumentStyle::copyrightSection, {"Copyright   X"}},
        {"note: only the first line has the command", BS, Space, note, &DocumentStyle::noteSection,
         {"\\note\tfirst", "second"}},
        {"note at-sign", AT, Tab, note, &DocumentStyle::noteSection, {"@note\tfirst", "second"}},
        {"one return line with a comma", BS, Tab, returns("a, b"), &DocumentStyle::returnsSection,
         {"\\return\ta, b"}},
        {"one return line, space", BS, Space, returns("r"), &DocumentStyle::returnsSection, {"\\return r"}},
        {"one return line, tabspace", AT, TabSpace, returns("r\r\n"), &DocumentStyle::returnsSection,
         {"@return\tr"}},
        {"two lines, one without comma", BS, Tab, returns("x, y\r\nplain"), &DocumentStyle::returnsSection,
         {"\\return", "\tx, y", "\tplain"}},
        {"two lines, one without comma, space", BS, Space,
         returns("x, y\nplain"), &DocumentStyle::returnsSection,
         {"\\return", "    x, y", "    plain"}},
        {"value list space", BS, Space, returns("0, ok\r\n-1, failed"), &DocumentStyle::returnsSection,
         {"\\retval 0   ok", "\\retval -1  failed"}},
        {"value list tab", AT, Tab, returns("0, ok\r\n-1, failed"), &DocumentStyle::returnsSection,
         {"@retval\t0\t\tok", "@retval\t-1\t\tfailed"}},
        {"value list tabspace", BS, TabSpace, returns("0, ok\r\n-1, failed"), &DocumentStyle::returnsSection,
         {"\\retval\t0       ok", "\\retval\t-1      failed"}},
        {"value list with several commas", BS, Space,
         returns("a, b, c\r\nd,e"), &DocumentStyle::returnsSection,
         {"\\retval a, b    c", "\\retval d       e"}},
        {"value ending in comma and spaces", BS, Space,
         returns("x,   \r\ny, z"), &DocumentStyle::returnsSection,
         {"\\retval x    ", "\\retval y   z"}},
        {"return of line breaks only", BS, Tab, returns("\r\n\r\n"), &DocumentStyle::returnsSection, {}},
        {"throws tab", BS, Tab, throws(twoThrows), &DocumentStyle::throwsSection,
         {"\\throw\tInvalid\t\tbad", "\\throw\tE\t\t\tworse"}},
        {"throws tabspace keeps the tab label", BS, TabSpace,
         throws(twoThrows), &DocumentStyle::throwsSection,
         {"\\throw\tInvalid     bad", "\\throw\tE           worse"}},
        {"throws space", AT, Space, throws(twoThrows), &DocumentStyle::throwsSection,
         {"@throw  Invalid bad", "@throw  E       worse"}},
        {"params space", BS, Space, params(twoParams), &DocumentStyle::paramsSection,
         {"\\param[in]      x       first", "\\param[inout]   abcde   second"}},
        {"one param tab", AT, Tab, params({{"in", "x", "d"}}), &DocumentStyle::paramsSection,
         {"@param[in]\tx\td"}},
        {"empty name and description", BS, Tab,
         params({{"in", "", ""}, {"out", "y", "d"}}), &DocumentStyle::paramsSection,
         {"\\param[in]\t\t", "\\param[out]\ty\td"}},
    });
    // clang-format on
}

TEST_F(DocTest, DDocSections) {
    const Fill date = [](DocumentStyle &d) { d.setDate("2026"); };
    const Fill author = [](DocumentStyle &d) { d.setAuthor("me"); };
    const Fill copyright = [](DocumentStyle &d) { d.setCopyright("X"); };
    const Fill note = [](DocumentStyle &d) { d.setNote("first\nsecond\n\n"); };
    const std::vector<ExceptionEntry> twoThrows{{"E", "bad"}, {"F", "much worse"}};
    const std::vector<ParamEntry> twoParams{{"in", "x", "first"}, {"inout", "abcde", "second"}};
    const auto D = Syntax::DDoc;
    const auto Tab = Spacing::Tab, Space = Spacing::Space, TabSpace = Spacing::TabSpace;
    // clang-format off
    checkSections({
        {"date tab", D, Tab, date, &DocumentStyle::dateSection, {"Date:\t2026"}},
        {"date space: colon after the padding", D, Space, date, &DocumentStyle::dateSection,
         {"Date    : 2026"}},
        {"date tabspace as space", D, TabSpace, date, &DocumentStyle::dateSection, {"Date    : 2026"}},
        {"author space", D, Space, author, &DocumentStyle::authorSection, {"Authors : me"}},
        {"author tab", D, Tab, author, &DocumentStyle::authorSection, {"Authors:\tme"}},
        {"copyright space: colon before the padding", D, Space, copyright, &DocumentStyle::copyrightSection,
         {"Copyright:  X"}},
        {"copyright tab", D, Tab, copyright, &DocumentStyle::copyrightSection, {"Copyright:\tX"}},
        {"note has no section name", D, Tab, note, &DocumentStyle::noteSection, {"first", "second"}},
        {"one return line tab", D, Tab, returns("r, s"), &DocumentStyle::returnsSection, {"Returns:\tr, s"}},
        {"one return line tabspace", D, TabSpace, returns("r"), &DocumentStyle::returnsSection,
         {"Returns:    r"}},
        {"two return lines tabspace indent with a tab", D, TabSpace,
         returns("a\r\nb"), &DocumentStyle::returnsSection,
         {"Returns:", "\ta", "\tb"}},
        {"two return lines space", D, Space, returns("a\rb"), &DocumentStyle::returnsSection,
         {"Returns:", "    a", "    b"}},
        {"return of line breaks only", D, Tab, returns("\r\n\r\n"), &DocumentStyle::returnsSection,
         {"Returns:"}},
        {"one exception", D, Tab, throws({{"E", "bad"}}), &DocumentStyle::throwsSection, {"Throws: bad, E"}},
        {"two exceptions tab", D, Tab, throws(twoThrows), &DocumentStyle::throwsSection,
         {"Throws:", "\tbad\t\t\t, E", "\tmuch worse\t, F"}},
        {"two exceptions space", D, Space, throws(twoThrows), &DocumentStyle::throwsSection,
         {"Throws:", "    bad         , E", "    much worse  , F"}},
        {"params tab", D, Tab, params(twoParams), &DocumentStyle::paramsSection,
         {"Params:", "\tx\t\t= first", "\tabcde\t= second"}},
        {"params space", D, Space, params(twoParams), &DocumentStyle::paramsSection,
         {"Params:", "    x       = first", "    abcde   = second"}},
        {"one param keeps the header", D, TabSpace, params({{"in", "x", "d"}}), &DocumentStyle::paramsSection,
         {"Params:", "\tx   = d"}},
    });
    // clang-format on
}

TEST_F(DocTest, DocumentAssembly) {
    struct Row {
        const char *name;
        Syntax syntax;
        Fill fill;
        Lines (DocumentStyle::*document)() const;
        Lines expected;
    };
    const Fill summary = [](DocumentStyle &d) { d.setSummary("Sum."); };
    const auto with = [summary](Fill more) {
        return [summary, more](DocumentStyle &d) {
            summary(d);
            more(d);
        };
    };
    const Fill returnOnly = with(returns("r"));
    const Fill everything = with([](DocumentStyle &d) {
        d.setParams({{"in", "x", "p"}});
        d.setReturns("r");
        d.setThrows({{"E", "t"}});
    });
    const Fill dateNoAuthor = with([](DocumentStyle &d) { d.setDate("2026"); });
    const Fill noteOnly = with([](DocumentStyle &d) { d.setNote("n"); });
    const Fill throwsOnly = with([](DocumentStyle &d) { d.setThrows({{"E", "t"}}); });
    const auto BS = Syntax::DoxygenBS, AT = Syntax::DoxygenAT, D = Syntax::DDoc;
    // clang-format off
    const Row rows[] = {
        {"summary only", D, summary, &DocumentStyle::functionDocument, {"Sum."}},
        {"summary line break kept in one line", BS,
         [](DocumentStyle &d) { d.setSummary("a\r\nb"); }, &DocumentStyle::classDocument,
         {"a\r\nb"}},
        {"comment trailing breaks dropped", D,
         with([](DocumentStyle &d) { d.setComment("w\r\n\r\n"); }), &DocumentStyle::classDocument,
         {"Sum.", "", "w"}},
        {"comment leading breaks kept", D,
         with([](DocumentStyle &d) { d.setComment("\r\n\r\nw"); }), &DocumentStyle::classDocument,
         {"Sum.", "", "", "", "w"}},
        {"comment of breaks only is absent", D,
         with([](DocumentStyle &d) { d.setComment("\r\n"); }), &DocumentStyle::classDocument,
         {"Sum."}},
        {"ddoc: blank before a lone return", D, returnOnly, &DocumentStyle::functionDocument,
         {"Sum.", "", "Returns:\tr"}},
        {"ddoc: blank before lone exceptions", D, throwsOnly, &DocumentStyle::functionDocument,
         {"Sum.", "", "Throws: t, E"}},
        {"doxygen: no blank before a lone return", BS, returnOnly, &DocumentStyle::functionDocument,
         {"Sum.", "\\return\tr"}},
        {"doxygen: one blank before the whole block", AT, everything, &DocumentStyle::functionDocument,
         {"Sum.", "", "@param[in]\tx\tp", "@return\tr", "@throw\tE\tt"}},
        {"class ignores function fields", BS, everything, &DocumentStyle::classDocument, {"Sum."}},
        {"file: date without author has no blank", BS, dateNoAuthor, &DocumentStyle::fileDocument,
         {"Sum.", "\\date\t2026"}},
        {"file: no author, date, copyright ends with the note", D, noteOnly, &DocumentStyle::fileDocument,
         {"Sum.", "", "n"}},
    };
    // clang-format on
    for (const Row &row : rows) {
        auto style = styleFor(row.syntax, Spacing::Tab);
        row.fill(*style);
        EXPECT_EQ(((*style).*row.document)(), row.expected) << row.name;
    }
}

TEST_F(DocTest, EmptySummaryErrors) {
    const char *const message = "概要は必ず記述する必要があります。";
    const std::pair<const char *, Lines (DocumentStyle::*)() const> documents[] = {
        {"function", &DocumentStyle::functionDocument},
        {"class", &DocumentStyle::classDocument},
        {"file", &DocumentStyle::fileDocument},
    };
    for (Syntax syntax : {Syntax::DoxygenBS, Syntax::DoxygenAT, Syntax::DDoc}) {
        for (const auto &[name, document] : documents) {
            auto style = styleFor(syntax, Spacing::Tab);
            style->setComment("c");
            style->setNote("n");
            style->setReturns("r");
            style->setDate("d");
            style->setAuthor("a");
            style->setCopyright("k");
            style->setParams({{"in", "x", "p"}});
            style->setThrows({{"E", "t"}});
            try {
                ((*style).*document)();
                ADD_FAILURE() << name << " document did not throw";
            } catch (const Orvex::Exception &e) {
                EXPECT_STREQ(e.what(), message) << name;
            }
            style->setSummary("s");
            EXPECT_NO_THROW(((*style).*document)()) << name << ": the style stays usable";
        }
    }
}

TEST_F(DocTest, StylerFollowsTheSetting) {
    g_settingRecord.m_documentStyle = static_cast<Syntax>(0);
    EXPECT_NE(dynamic_cast<DoxygenBSDocumentStyle *>(documentStyler().get()), nullptr);
    g_settingRecord.m_documentStyle = static_cast<Syntax>(1);
    EXPECT_NE(dynamic_cast<DoxygenATDocumentStyle *>(documentStyler().get()), nullptr);
    for (std::int32_t value : {2, 3, -1}) {
        g_settingRecord.m_documentStyle = static_cast<Syntax>(value);
        EXPECT_NE(dynamic_cast<DDocumentStyle *>(documentStyler().get()), nullptr) << value;
    }
}

// Directions of different lengths used to leave descriptions on different tab stops; now
// they all start at one display column (24 and 32 in the first two rows).
TEST_F(DocTest, RegressionTabParamsLineUpOnScreen) {
    struct Row {
        const char *name;
        std::uint32_t size;
        std::vector<ParamEntry> params;
        Lines expected;
    };
    // clang-format off
    const Row rows[] = {
        {"in and inout", 4, {{"in", "x", "a"}, {"inout", "abcde", "b"}},
         {"\\param[in]\t\tx\t\ta", "\\param[inout]\tabcde\tb"}},
        {"in and out, size 8", 8, {{"in", "longername", "a"}, {"out", "y", "b"}},
         {"\\param[in]\tlongername\ta", "\\param[out]\ty\t\tb"}},
        {"one parameter unchanged", 4, {{"in", "x", "a"}}, {"\\param[in]\tx\ta"}},
        {"tabs inside direction and name", 4, {{"i\tn", "a\tb", "d"}, {"out", "x", "e"}},
         {"\\param[i\tn]\ta\tb\td", "\\param[out]\tx\t\t\te"}},
    };
    // clang-format on
    for (const Row &row : rows) {
        auto style = styleFor(Syntax::DoxygenBS, Spacing::Tab, row.size);
        style->setParams(row.params);
        EXPECT_EQ(style->paramsSection(), row.expected) << row.name;
    }
}

// A damaged setting.dat can hold a spacing size the settings page never applies.
TEST_F(DocTest, RegressionStoredSpacingSizeIsClamped) {
    struct Row {
        const char *name;
        std::uint32_t stored;
        Lines expected;
    };
    // clang-format off
    const Row rows[] = {
        {"zero acts as 1", 0, {"\\param[in] x d", "\\return r"}},
        {"one", 1, {"\\param[in] x d", "\\return r"}},
        {"largest unsigned acts as 64", 4294967295u,
         {"\\param[in]" + spaces(54) + "x" + spaces(63) + "d", "\\return" + spaces(57) + "r"}},
    };
    // clang-format on
    for (const Row &row : rows) {
        auto style = styleFor(Syntax::DoxygenBS, Spacing::Space, row.stored);
        style->setParams({{"in", "x", "d"}});
        Lines block = style->paramsSection();
        style->setReturns("r");
        block.push_back(style->returnsSection().at(0));
        EXPECT_EQ(block, row.expected) << row.name;
    }
}

void worked(DocumentStyle &d) {
    d.setSummary("Sum");
    d.setParams({{"in", "x", "desc"}});
    d.setReturns("ret");
}

void rich(DocumentStyle &d) {
    d.setDate("2026/01/02");
    d.setAuthor("me");
    d.setCopyright("(c) us");
    d.setSummary("Sum.");
    d.setComment("Body");
    d.setNote("Note");
    d.setReturns("r");
    d.setThrows({{"E", "bad"}});
    d.setParams({{"in", "a", "first"}, {"out", "bb", "second"}});
}

// Whole comments as the clipboard receives them, written out by hand from the rules.
TEST_F(DocTest, GoldenComments) {
    struct Row {
        const char *name;
        Comment framing;
        Syntax syntax;
        Spacing spacing;
        std::uint32_t size;
        bool head, foot;
        std::uint32_t box;
        void (*fill)(DocumentStyle &);
        Lines (DocumentStyle::*document)() const;
        Lines expected;
    };
    const auto C = Comment::C, Java = Comment::Java, D = Comment::D;
    const auto BS = Syntax::DoxygenBS, AT = Syntax::DoxygenAT, DDoc = Syntax::DDoc;
    const auto Tab = Spacing::Tab, Space = Spacing::Space, TabSpace = Spacing::TabSpace;
    const auto function = &DocumentStyle::functionDocument, file = &DocumentStyle::fileDocument,
               klass = &DocumentStyle::classDocument;
    const std::string slashes(20, '/');
    // clang-format off
    const Row rows[] = {
        {"block, backslash, tab", C, BS, Tab, 4, false, false, 100, worked, function,
         {"/**", " *\tSum", " *\t", " *\t\\param[in]\tx\tdesc", " *\t\\return\tret", " */"}},
        {"line, backslash, space, boxed", Java, BS, Space, 4, true, true, 20, rich, function,
         {slashes, "/// Sum.", "/// ", "/// Body", "/// ", "/// \\note\tNote", "/// ",
          "/// \\param[in]  a   first", "/// \\param[out] bb  second", "/// \\return r",
          "/// \\throw  E   bad", slashes}},
        {"nesting, backslash, tabspace, head box", D, BS, TabSpace, 4, true, false, 10, rich, function,
         {"/+" + std::string(8, '+'), " +\tSum.", " +\t", " +\tBody", " +\t", " +\t\\note\tNote", " +\t",
          " +\t\\param[in]  a   first", " +\t\\param[out] bb  second", " +\t\\return\tr",
          " +\t\\throw\tE   bad", " +/"}},
        {"block, at-sign, space 2, foot box, file", C, AT, Space, 2, false, true, 12, rich, file,
         {"/**", " *  Sum.", " *  ", " *  Body", " *  ", " *  @note\tNote", " *  ", " *  @date 2026/01/02",
          " *  @author me", " *  Copyright (c) us", " " + std::string(10, '*') + "/"}},
        {"line, at-sign, tab 8", Java, AT, Tab, 8, false, false, 100, rich, function,
         {"///\tSum.", "///\t", "///\tBody", "///\t", "///\t@note\tNote", "///\t", "///\t@param[in]\ta\tfirst",
          "///\t@param[out]\tbb\tsecond", "///\t@return\tr", "///\t@throw\tE\tbad"}},
        {"nesting, at-sign, space, boxed, class", D, AT, Space, 4, true, true, 16, rich, klass,
         {"/+" + std::string(14, '+'), " +  Sum.", " +  ", " +  Body", " +  ", " +  @note\tNote",
          " " + std::string(14, '+') + "/"}},
        {"block, ddoc, tabspace, boxed", C, DDoc, TabSpace, 4, true, true, 8, rich, function,
         {"/*******", " *\tSum.", " *\t", " *\tBody", " *\t", " *\tNote", " *\t", " *\tParams:",
          " *\t\ta   = first", " *\t\tbb  = second", " *\tReturns:    r", " *\tThrows: bad, E", " ******/"}},
        {"line, ddoc, space, boxed, file", Java, DDoc, Space, 4, true, true, 10, rich, file,
         {"//////////", "/// Sum.", "/// ", "/// Body", "/// ", "/// Note", "/// ",
          "/// Date    : 2026/01/02", "/// Authors : me", "/// Copyright:  (c) us", "//////////"}},
        {"nesting, ddoc, first-start settings", D, DDoc, Tab, 4, true, false, 100, rich, function,
         {"/+" + std::string(98, '+'), " +\tSum.", " +\t", " +\tBody", " +\t", " +\tNote", " +\t",
          " +\tParams:", " +\t\ta\t= first", " +\t\tbb\t= second", " +\tReturns:\tr", " +\tThrows: bad, E",
          " +/"}},
        {"nesting, ddoc, space", D, DDoc, Space, 4, false, false, 100, worked, function,
         {"/++", " +  Sum", " +  ", " +  Params:", " +      x   = desc", " +  Returns:    ret", " +/"}},
    };
    // clang-format on
    for (const Row &row : rows) {
        CSettingData &s = g_settingRecord;
        s.m_commentStyle = row.framing;
        s.m_boxingHeadStyle = row.head;
        s.m_boxingFootStyle = row.foot;
        s.m_boxingSize = row.box;
        auto style = styleFor(row.syntax, row.spacing, row.size);
        row.fill(*style);
        EXPECT_EQ(commentStyler()->format(((*style).*row.document)()), row.expected) << row.name;
    }
}

} // namespace
