#include "core/misc/lines.h"

#include "firststart.h"

#include <gtest/gtest.h>

namespace {

class LinesTest : public ::testing::Test {
protected:
    void SetUp() override { resetFirstStartSettings(); }
};

TEST_F(LinesTest, SplitLines) {
    struct Row {
        const char *name;
        std::string text;
        Lines expected;
        std::string lead = "";
    };
    const Row rows[] = {
        {"empty text is one blank line", "", {""}},
        {"single CR LF is one blank line", "\r\n", {""}},
        {"mixed breaks", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"LF then CR is two breaks", "\n\r", {"", ""}},
        {"trailing break adds nothing", "a\n", {"a"}},
        {"two trailing CR LF give one blank", "w\r\n\r\n", {"w", ""}},
        {"leading blanks stay", "\r\n\r\nw", {"", "", "w"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"lead before the first line only", "a\r\nb", {"> a", "b"}, "> "},
        {"lead on empty text", "", {"> "}, "> "},
        {"lead on a lone break", "\n", {"> "}, "> "},
    };
    for (const Row &row : rows)
        EXPECT_EQ(splitLines(row.text, row.lead), row.expected) << row.name;
}

// Lines share one buffer: where one line ends and the next begins must survive every edit.
TEST_F(LinesTest, LineBoundaries) {
    EXPECT_NE((Lines{"ab"}), (Lines{"a", "b"}));
    EXPECT_NE((Lines{""}), Lines{});

    Lines lines{"a", "bc"};
    lines.append({"", "d"}, "> ");
    EXPECT_EQ(lines, (Lines{"a", "bc", "> ", "> d"}));
    lines.pop_back();
    lines.extend("x");
    lines.push_back(lines[1]);
    EXPECT_EQ(lines, (Lines{"a", "bc", "> x", "bc"}));
    EXPECT_EQ(joinLines(lines), "a\r\nbc\r\n> x\r\nbc");
    EXPECT_THROW(lines.at(4), std::out_of_range);

    // A section added to a document trims only its own blank tail.
    Lines document{"summary", ""};
    appendSplitLines(document, "\r\n\r\n", "> ");
    trimTrailingEmpty(document, 2);
    EXPECT_EQ(document, (Lines{"summary", "", "> "}));
    appendSplitLines(document, "\n\n");
    trimTrailingEmpty(document, 3);
    EXPECT_EQ(document, (Lines{"summary", "", "> "}));
}

TEST_F(LinesTest, JoinAndTrim) {
    EXPECT_EQ(joinLines({}), "");
    EXPECT_EQ(joinLines({"only"}), "only");
    EXPECT_EQ(joinLines({"a", "", "b"}), "a\r\n\r\nb");
    EXPECT_EQ(joinLines({"a", "b"}, "\n"), "a\nb");
    EXPECT_EQ(trimTrailingEmpty({"", "a", "", ""}), (Lines{"", "a"}));
    EXPECT_EQ(trimTrailingEmpty({"", ""}), Lines{});
}

TEST_F(LinesTest, AlignColumns) {
    struct Row {
        const char *name;
        bool useTab;
        std::uint32_t width, column;
        Lines lines, expected;
    };
    const Row rows[] = {
        {"spaces to a common column",
         false,
         4,
         12,
         {"1234567", "1234567890"},
         {"1234567     ", "1234567890  "}},
        {"tabs counted as tab stops",
         true,
         4,
         18,
         {"\\throw\tInvalid", "\\throw\tE"},
         {"\\throw\tInvalid\t\t", "\\throw\tE\t\t\t"}},
        {"line past the column steps once", false, 4, 3, {"abcdef"}, {"abcdef  "}},
        {"line on a tab stop gains a full width", false, 4, 1, {"abcd"}, {"abcd    "}},
        {"empty line gains one tab", true, 4, 1, {""}, {"\t"}},
        {"width 0 is taken as 1", false, 0, 3, {"a"}, {"a  "}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(alignColumns(row.useTab, row.width, row.column, row.lines), row.expected) << row.name;
}

TEST_F(LinesTest, DisplayWidth) {
    struct Row {
        const char *name;
        std::string line;
        std::uint32_t width;
        std::size_t expected, from = 0;
    };
    const Row rows[] = {
        {"no tab", "abc", 4, 3},
        {"starting at column 3", "ab\tc", 4, 9, 3},
        {"starting on a stop", "\tx", 4, 9, 4},
        {"empty", "", 4, 0},
        {"lone tab", "\t", 4, 4},
        {"tab mid-stop", "ab\tc", 4, 5},
        {"tab on a stop goes a full stop", "abcd\t", 4, 8},
        {"tabs in a row", "a\t\tb", 4, 9},
        {"text between tabs", "\tx\t", 8, 16},
        {"width 0 is taken as 1", "a\tb", 0, 3},
    };
    for (const Row &row : rows)
        EXPECT_EQ(displayWidth(row.line, row.width, row.from), row.expected) << row.name;
}

TEST_F(LinesTest, TabStopAfter) {
    struct Row {
        const char *name;
        std::size_t end;
        std::uint32_t width;
        std::size_t column, expected;
    };
    const Row rows[] = {
        {"the column when it is further", 7, 4, 12, 12},
        {"an end on a stop goes a full stop", 4, 4, 1, 8},
        {"an end on the column passes it", 12, 4, 12, 16},
        {"a column between stops rounds up", 1, 4, 9, 12},
        {"width 0 is taken as 1", 0, 0, 3, 3},
    };
    for (const Row &row : rows)
        EXPECT_EQ(tabStopAfter(row.end, row.width, row.column), row.expected) << row.name;
}

TEST_F(LinesTest, PadLabel) {
    struct Row {
        const char *name;
        std::uint32_t size;
        std::string label, expected;
    };
    const Row rows[] = {
        {"mark, size 4", 4, " *", " *  "},
        {"5 bytes gain 3", 4, "\\date", "\\date   "},
        {"4 bytes gain a full 4", 4, "Date", "Date    "},
        {"7 bytes gain 1", 4, "\\retval", "\\retval "},
        {"size 1 adds one space", 1, " *", " * "},
        {"size 2", 2, " *", " *  "},
        {"size 0 is clamped to 1", 0, "ab", "ab "},
    };
    for (const Row &row : rows) {
        g_settingRecord.m_spacingSize = row.size;
        EXPECT_EQ(padLabel(row.label), row.expected) << row.name;
    }
}

} // namespace
