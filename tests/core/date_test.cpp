#include "core/misc/date.h"

#include "core/common/settingrecord.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <regex>

namespace {

std::tm at(int year, int month, int day, int weekday, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = weekday;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

const std::tm monday = at(2026, 12, 7, 1, 3, 28, 5);
const std::tm newYear = at(2007, 1, 1, 1, 0, 0, 9);

const std::string months12 = "Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec";

struct Row {
    const char *name;
    std::tm time;
    std::string dateFormat;
    std::string expected;
};

void expectRows(const std::vector<Row> &rows) {
    for (const Row &row : rows)
        EXPECT_EQ(formatDate(row.dateFormat, row.time), row.expected) << row.name;
}

TEST(FormatDate, Tokens) {
    expectRows({
        {"default template", monday, defaultDateFormat, "2026/12/07(月)[03:28:05]"},
        {"empty template is the English form", monday, "", "December 07, 2026"},
        {"empty template pads day and year", at(987, 3, 5, 0, 0, 0, 0), "", "March 05, 0987"},
        {"no tokens", monday, "plain text 100%", "plain text 100%"},
        {"unpadded numbers", newYear, "%M%|%D%|%H%|%MI%|%S%", "1|1|0|0|9"},
        {"padded numbers", newYear, "%M2%|%D2%|%H2%|%MI2%|%S2%", "01|01|00|00|09"},
        {"two-digit year", monday, "%Y2%", "26"},
        {"four-digit year of a short year", at(987, 1, 1, 0, 0, 0, 0), "%Y4%", "0987"},
        {"names", monday, "%Men% %Wen% %Wjp%", "December Mon 月"},
        {"only the first occurrence", monday, "%D% %D% %D2%", "7 %D% 07"},
        {"minute token is not month and text", monday, "%MI%", "28"},
        {"lower case stays", monday, "%y4% %m% %wen%", "%y4% %m% %wen%"},
        {"unclosed token stays", monday, "%Y4 %M2", "%Y4 %M2"},
        {"month list", monday, "%M[" + months12 + "]%", "Dec"},
        {"month list, January is the first name", newYear, "%M[" + months12 + "]%", "Jan"},
        {"weekday list, Sunday is the first name", at(2026, 12, 6, 0, 0, 0, 0), "%W[a,b,c,d,e,f,g]%", "a"},
        {"out-of-range month and weekday wrap", at(2026, 13, 1, 9, 0, 0, 0), "%Men% %Wen%", "January Tue"},
        // A replacement is text for the later rules: a month named "%D%" becomes the day.
        {"later rules see earlier replacements", monday, "%M[a,b,c,d,e,f,g,h,i,j,k,%D%]%", "7"},
    });
}

TEST(FormatDate, ListNames) {
    const std::tm saturday = at(2026, 12, 12, 6, 0, 0, 0);
    expectRows({
        {"spaces after [ and commas are skipped", saturday, "%W[ a, b, c, d, e, f,   g]%", "g"},
        {"spaces before a comma stay", monday, "%W[a,b  ,c,d,e,f,g]%", "b  "},
        {"spaces before ]% stay", saturday, "%W[a,b,c,d,e,f,g  ]%", "g  "},
        {"a name of spaces keeps one space", monday, "%W[a,   ,c,d,e,f,g]%", " "},
        {"surplus names go into the first", at(2026, 12, 6, 0, 0, 0, 0), "%W[x,y,b,c,d,e,f,g]%", "x,y"},
        {"surplus names leave the later ones single", monday, "%W[x,y,b,c,d,e,f,g]%", "b"},
        {"six names do not match", monday, "%W[a,b,c,d,e,f]%", "%W[a,b,c,d,e,f]%"},
        {"eleven month names do not match", monday, "%M[a,b,c,d,e,f,g,h,i,j,k]%",
         "%M[a,b,c,d,e,f,g,h,i,j,k]%"},
        {"an empty name does not match", monday, "%W[a,,c,d,e,f,g]%", "%W[a,,c,d,e,f,g]%"},
        {"an empty name merges with a neighbour when names are surplus", monday, "%W[a,,c,d,e,f,g,h]%", "c"},
        {"a line break inside the list", monday, "%W[a,b\n,c,d,e,f,g]%", "%W[a,b\n,c,d,e,f,g]%"},
        {"text around the list stays", monday, "(%W[a,b,c,d,e,f,g]%)", "(b)"},
        {"a failed opener stays, a later list matches", monday, "%W[x]% %W[a,b,c,d,e,f,g]%", "%W[x]% b"},
        {"a list may close where the next opens", monday, "%W[q]%W[a,b,c,d,e,f,g]%", "%W[q]b"},
        {"only the first list is replaced", monday, "%W[a,b,c,d,e,f,g]%%W[a,b,c,d,e,f,g]%",
         "b%W[a,b,c,d,e,f,g]%"},
    });
}

// A month list used to run on to the closing "]%" of a later weekday list, swallowing it: a
// list ends at the first "]%" after its opener.
TEST(FormatDateRegression, MonthListEndsAtItsOwnClose) {
    const std::string lists = "%M[" + months12 + "]% (%W[日,月,火,水,木,金,土]%)";
    expectRows({
        {"both lists are replaced", monday, lists, "Dec (月)"},
        {"a short month list stays, the weekday list is replaced", monday, "%M[a,b]% %W[a,b,c,d,e,f,g]%",
         "%M[a,b]% b"},
        {"a name never reaches past the first ]%", monday, "%M[a,b,c,d,e,f,g,h,i,j,k]% l]%",
         "%M[a,b,c,d,e,f,g,h,i,j,k]% l]%"},
    });
}

TEST(FormatDate, ZeroPad) {
    struct {
        std::size_t width;
        const char *digits;
        const char *expected;
    } rows[] = {{2, "7", "07"},  {4, "987", "0987"}, {2, "2026", "26"},
                {2, "12", "12"}, {0, "5", ""},       {3, "", "000"}};
    for (const auto &row : rows)
        EXPECT_EQ(zeroPad(row.width, row.digits), row.expected) << row.width << " " << row.digits;
}

// The list matcher against a backtracking regular-expression engine on the pattern as written,
// applied to the text up to the first "]%" after each opener.
std::string byRegex(const std::string &text, int weekday) {
    static const std::regex pattern(
        "%W\\[ *(.+) *, *(.+) *, *(.+) *, *(.+) *, *(.+) *, *(.+) *, *(.+) *\\]%");
    for (std::size_t open = text.find("%W["); open != std::string::npos; open = text.find("%W[", open + 1)) {
        const std::size_t close = text.find("]%", open + 3);
        if (close == std::string::npos)
            break;
        std::smatch match;
        const std::string window = text.substr(open, close + 2 - open);
        if (std::regex_match(window, match, pattern))
            return text.substr(0, open) + match[weekday + 1].str() + text.substr(close + 2);
    }
    return text;
}

TEST(FormatDate, ListAgreesWithBacktrackingEngine) {
    std::mt19937 random(20261207);
    const std::string alphabet = "ab ,,,  ]%W[";
    for (int round = 0; round < 3000; ++round) {
        std::string text = "%W[";
        const int length = 4 + static_cast<int>(random() % 22);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        text += random() % 2 ? "]%" : "";
        const int weekday = static_cast<int>(random() % 7);
        ASSERT_EQ(formatDate(text, at(2026, 1, 1, weekday, 0, 0, 0)), byRegex(text, weekday))
            << "text \"" << text << "\" weekday " << weekday;
    }
}

// These take exponential or quadratic time with naive matching; the test's timeout catches that.
TEST(FormatDate, AdversarialTemplatesStayAsTyped) {
    const std::string commas = "%M[" + std::string(64 * 1024, ',');
    const std::string openers = [] {
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "%M[";
        return text + "a,b]%";
    }();
    const std::string closes = [] {
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "%W[,]%";
        return text;
    }();
    for (const std::string &text : {commas, openers, closes})
        EXPECT_EQ(formatDate(text, monday), text) << text.substr(0, 12);
    // Closed, the commas are a list whose names are commas.
    EXPECT_EQ(formatDate(commas + "]%", monday), ",");
}

TEST(FormatCurrentDate, ReadsTheSettingAndTheClock) {
    g_settingRecord.Load();
    const auto year = [] {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        return std::to_string(local.tm_year + 1900);
    };
    g_settingRecord.m_dateFormat = "year %Y4%";
    const std::string before = year();
    const std::string text = formatCurrentDate();
    EXPECT_TRUE(text == "year " + before || text == "year " + year()) << text;

    g_settingRecord.m_dateFormat = "no tokens";
    EXPECT_EQ(formatCurrentDate(), "no tokens");
    g_settingRecord.Load();
}

} // namespace
