#include "core/comment/c.h"
#include "core/comment/d.h"
#include "core/comment/java.h"
#include "core/comment/styler.h"

#include "firststart.h"

#include <gtest/gtest.h>

namespace {

using Comment = SettingData::CommentStyle;
using Spacing = SettingData::SpacingStyle;

class CommentTest : public ::testing::Test {
protected:
    void SetUp() override { resetFirstStartSettings(); }
};

std::string repeat(char c, std::size_t n) {
    return std::string(n, c);
}

TEST_F(CommentTest, Format) {
    struct Row {
        const char *name;
        Comment style;
        Spacing spacing;
        std::uint32_t size;
        bool head, foot;
        std::uint32_t box;
        Lines body, expected;
    };
    const Lines body{"S", "", "C"};
    // clang-format off
    const Row rows[] = {
        {"C tab", Comment::C, Spacing::Tab, 4, false, false, 10, body,
         {"/**", " *\tS", " *\t", " *\tC", " */"}},
        {"C space", Comment::C, Spacing::Space, 4, false, false, 10, body,
         {"/**", " *  S", " *  ", " *  C", " */"}},
        {"C space size 1", Comment::C, Spacing::Space, 1, false, false, 10, {"S"}, {"/**", " * S", " */"}},
        {"C space size 2", Comment::C, Spacing::Space, 2, false, false, 10, {"S"}, {"/**", " *  S", " */"}},
        {"C tabspace marks as tab", Comment::C, Spacing::TabSpace, 4, false, false, 10, {"S"},
         {"/**", " *\tS", " */"}},
        {"C boxed both, 10 bytes", Comment::C, Spacing::Tab, 4, true, true, 10, {"S"},
         {"/*********", " *\tS", " ********/"}},
        {"C boxed foot only", Comment::C, Spacing::Tab, 4, false, true, 5, {"S"}, {"/**", " *\tS", " ***/"}},
        {"C no lines", Comment::C, Spacing::Tab, 4, true, true, 10, {}, {""}},
        {"D tab", Comment::D, Spacing::Tab, 4, false, false, 10, body,
         {"/++", " +\tS", " +\t", " +\tC", " +/"}},
        {"D first start", Comment::D, Spacing::Tab, 4, true, false, 100, {"S"},
         {"/+" + repeat('+', 98), " +\tS", " +/"}},
        {"D space boxed foot", Comment::D, Spacing::Space, 4, false, true, 6, {"S"},
         {"/++", " +  S", " ++++/"}},
        {"D no lines", Comment::D, Spacing::Space, 4, false, false, 10, {}, {""}},
        {"Java tab boxed", Comment::Java, Spacing::Tab, 4, true, true, 5, body,
         {"/////", "///\tS", "///\t", "///\tC", "/////"}},
        {"Java one line never boxed", Comment::Java, Spacing::Tab, 4, true, true, 5, {"S"}, {"///\tS"}},
        {"Java space, head box only", Comment::Java, Spacing::Space, 4, true, false, 4, {"S", "C"},
         {"////", "/// S", "/// C"}},
        {"Java tabspace", Comment::Java, Spacing::TabSpace, 4, false, false, 4, {"S", "C"},
         {"///\tS", "///\tC"}},
        {"Java no lines", Comment::Java, Spacing::Tab, 4, true, true, 5, {}, {}},
    };
    // clang-format on
    for (const Row &row : rows) {
        CSettingData &s = g_settingRecord;
        s.m_commentStyle = row.style;
        s.m_spacingStyle = row.spacing;
        s.m_spacingSize = row.size;
        s.m_boxingHeadStyle = row.head;
        s.m_boxingFootStyle = row.foot;
        s.m_boxingSize = row.box;
        EXPECT_EQ(commentStyler()->format(row.body), row.expected) << row.name;
    }
}

TEST_F(CommentTest, StylerFollowsTheSettingAtEveryCall) {
    struct Row {
        const char *name;
        std::int32_t value;
        std::string opening;
    };
    // clang-format off
    const Row rows[] = {
        {"0 is the block comment", 0, "/**"},           {"1 is the line comment", 1, "///\tS"},
        {"2 is the nesting comment", 2, "/++"},         {"out of range is the nesting comment", 7, "/++"},
        {"negative is the nesting comment", -1, "/++"},
    };
    // clang-format on
    g_settingRecord.m_boxingHeadStyle = false;
    for (const Row &row : rows) {
        g_settingRecord.m_commentStyle = static_cast<Comment>(row.value);
        EXPECT_EQ(commentStyler()->format({"S"}).front(), row.opening) << row.name;
    }
}

// A damaged setting.dat can hold sizes the settings page never applies.
TEST_F(CommentTest, RegressionStoredSizesAreClamped) {
    struct Row {
        const char *name;
        std::uint32_t stored;
        std::string mark;
        std::size_t boxBytes;
    };
    // clang-format off
    const Row rows[] = {
        {"zero", 0, " * ", 3},
        {"one", 1, " * ", 3},
        {"largest unsigned", 4294967295u, " *" + repeat(' ', 62), 1000},
    };
    // clang-format on
    for (const Row &row : rows) {
        CSettingData &s = g_settingRecord;
        s.m_commentStyle = Comment::C;
        s.m_spacingStyle = Spacing::Space;
        s.m_spacingSize = row.stored;
        s.m_boxingSize = row.stored;
        s.m_boxingFootStyle = true;
        const Lines framed = commentStyler()->format({"S"});
        ASSERT_EQ(framed.size(), 3u) << row.name;
        EXPECT_EQ(framed[0], "/*" + repeat('*', row.boxBytes - 2)) << row.name;
        EXPECT_EQ(framed[1], row.mark + "S") << row.name;
        EXPECT_EQ(framed[2], " " + repeat('*', row.boxBytes - 2) + "/") << row.name;
    }
}

} // namespace
