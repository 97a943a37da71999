// What a comment written for a language holds: the settings it cannot hold replaced, the
// language's own choice over the settings of all languages, and what its checker accepts.

#include "core/common/languagerule.h"
#include "core/doc/request.h"

#include "firststart.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using CS = SettingData::CommentStyle;
using DS = SettingData::DocumentStyle;
using SS = SettingData::SpacingStyle;

class LanguageRule : public ::testing::Test {
protected:
    void SetUp() override { resetFirstStartSettings(); }
};

DocumentRequest function() {
    DocumentRequest r;
    r.summary = "Copies.";
    r.note = "Slow.";
    r.params = {{"in", "from", "the source"}, {"inout", "to", "the target"}, {"out", "n", "the count"}};
    r.returns = "0, done\n-1, failed";
    r.throws = {{"IoError", "on a bad disk"}};
    return r;
}

void set(CS comment, DS syntax, SS spacing = SS::Tab, bool head = false) {
    g_settingRecord.m_commentStyle = comment;
    g_settingRecord.m_documentStyle = syntax;
    g_settingRecord.m_spacingStyle = spacing;
    g_settingRecord.m_boxingHeadStyle = head;
}

TEST_F(LanguageRule, WhatIsWritten) {
    const struct {
        const char *name;
        Language language;
        std::function<void()> settings;
        std::string expected;
    } rows[] = {
        {"C++ at first start: /** with @cmd, the head still boxed", Language::Cpp, [] {},
         "/" + std::string(99, '*') +
             "\n *\tCopies.\n *\t\n *\t@note\tSlow.\n *\t\n *\t@param[in]\t\tfrom\tthe source\n"
             " *\t@param[in,out]\tto\t\tthe target\n *\t@param[out]\t\tn\t\tthe count\n"
             " *\t@retval\t0\t\tdone\n *\t@retval\t-1\t\tfailed\n *\t@throw\tIoError\t\ton a bad disk\n */"},
        {"C: \\cmd and /// stay, directions as clang reads them", Language::C,
         [] { set(CS::Java, DS::DoxygenBS); },
         "///\tCopies.\n///\t\n///\t\\note\tSlow.\n///\t\n///\t\\param[in]\t\tfrom\tthe source\n"
         "///\t\\param[in,out]\tto\t\tthe target\n///\t\\param[out]\t\tn\t\tthe count\n"
         "///\t\\retval\t0\t\tdone\n///\t\\retval\t-1\t\tfailed\n///\t\\throw\tIoError\t\ton a bad disk"},
        {"Java from /// and \\cmd: Javadoc", Language::Java, [] { set(CS::Java, DS::DoxygenBS, SS::Space); },
         "/**\n *  Copies.\n *  \n *  <p>Slow.\n *  \n *  @param  from    the source\n"
         " *  @param  to      the target\n *  @param  n       the count\n *  @return\n *      <ul>\n"
         " *      <li>0   done\n *      <li>-1  failed\n *      </ul>\n *  @throws IoError on a bad disk\n "
         "*/"},
        {"D at first start: as the desktop writes it", Language::D, [] {},
         "/" + std::string(99, '+') +
             "\n +\tCopies.\n +\t\n +\tSlow.\n +\t\n +\tParams:\n +\t\tfrom\t= the source\n"
             " +\t\tto\t\t= the target\n +\t\tn\t\t= the count\n +\tReturns:\n +\t\t0, done\n +\t\t-1, "
             "failed\n"
             " +\tThrows: on a bad disk, IoError\n +/"},
        {"D keeps @cmd and its directions", Language::D, [] { set(CS::D, DS::DoxygenAT); },
         "/++\n +\tCopies.\n +\t\n +\t@note\tSlow.\n +\t\n +\t@param[in]\t\tfrom\tthe source\n"
         " +\t@param[inout]\tto\t\tthe target\n +\t@param[out]\t\tn\t\tthe count\n"
         " +\t@retval\t0\t\tdone\n +\t@retval\t-1\t\tfailed\n +\t@throw\tIoError\t\ton a bad disk\n +/"},
        {"C++'s own choice over all languages", Language::Cpp,
         [] {
             set(CS::C, DS::DoxygenAT);
             g_settingRecord.m_languageChoices[Language::Cpp] = {{"CommentStyle", "///_"},
                                                                 {"SpacingSize", "2"}};
         },
         "///\tCopies.\n///\t\n///\t@note\tSlow.\n///\t\n///\t@param[in]\t\t\tfrom\tthe source\n"
         "///\t@param[in,out]\tto\t\tthe target\n///\t@param[out]\t\t\tn\t\t\tthe count\n"
         "///\t@retval\t0\t\tdone\n///\t@retval\t-1\tfailed\n///\t@throw\tIoError\ton a bad disk"},
    };
    for (const auto &row : rows) {
        resetFirstStartSettings();
        row.settings();
        EXPECT_EQ(renderDocument(function(), "\n", row.language), row.expected) << row.name;
    }
}

TEST_F(LanguageRule, OtherShapes) {
    const auto request = [](DocumentKind kind, std::vector<ParamEntry> params, std::string returns) {
        DocumentRequest r;
        r.kind = kind;
        r.summary = "S.";
        r.date = "2026/12/07";
        r.params = std::move(params);
        r.returns = std::move(returns);
        return r;
    };
    const struct {
        const char *name;
        Language language;
        DocumentRequest request;
        std::string expected;
    } rows[] = {
        {"a direction clang does not know is left out", Language::Cpp,
         request(DocumentKind::Function, {{"", "a", "x"}, {"sideways", "b", "y"}, {"out,in", "c", "z"}}, ""),
         "/**\n *\tS.\n *\t\n *\t@param\t\t\ta\tx\n *\t@param\t\t\tb\ty\n *\t@param[in,out]\tc\tz\n */"},
        {"Java: a return text of several lines", Language::Java,
         request(DocumentKind::Function, {}, "the count\nor none"),
         "/**\n *\tS.\n *\t@return\n *\t\tthe count\n *\t\tor none\n */"},
        {"Java: a file comment's date", Language::Java, request(DocumentKind::File, {}, ""),
         "/**\n *\tS.\n *\t\n *\t@since\t2026/12/07\n *\t@author\tA\n */"},
        {"C: a file comment", Language::C, request(DocumentKind::File, {}, ""),
         "/**\n *\tS.\n *\t\n *\t@date\t2026/12/07\n *\t@author\tA\n */"},
    };
    for (const auto &row : rows) {
        set(CS::D, DS::DDoc);
        g_settingRecord.m_author = "A";
        EXPECT_EQ(renderDocument(row.request, "\n", row.language), row.expected) << row.name;
    }
}

// Whatever the settings, C, C++ and Java get no framing or section they cannot hold, and D gets
// exactly what the desktop program writes.
TEST_F(LanguageRule, EverySetting) {
    for (int comment = 0; comment < 3; ++comment)
        for (int syntax = 0; syntax < 3; ++syntax)
            for (int spacing = 0; spacing < 3; ++spacing) {
                const std::string name =
                    std::to_string(comment) + std::to_string(syntax) + std::to_string(spacing);
                set(CS(comment), DS(syntax), SS(spacing), true);
                g_settingRecord.m_boxingFootStyle = true;
                const std::string desktop = renderDocument(function(), "\n");
                EXPECT_EQ(renderDocument(function(), "\n", Language::D), desktop) << name;
                for (const Language language : {Language::C, Language::Cpp, Language::Java}) {
                    const std::string text = renderDocument(function(), "\n", language);
                    EXPECT_EQ(text.find("/+"), std::string::npos) << name;
                    EXPECT_EQ(text.find("Params:"), std::string::npos) << name;
                    EXPECT_EQ(text.find("[inout]"), std::string::npos) << name;
                    EXPECT_EQ(text.starts_with("/*"), language == Language::Java || comment != 1) << name;
                }
                const std::string java = renderDocument(function(), "\n", Language::Java);
                for (const char *foreign : {"\\", "@param[", "@retval", "@throw\t", "@note"})
                    EXPECT_EQ(java.find(foreign), std::string::npos) << name << ' ' << foreign;
                // The record is as it was: only the rendering saw the language's settings.
                EXPECT_EQ(int(g_settingData.commentStyle()), comment);
            }
}

TEST_F(LanguageRule, ChoicesLeaveTheDesktopAlone) {
    const std::string desktop = renderDocument(function(), "\r\n");
    for (const Language language : allLanguages)
        g_settingRecord.m_languageChoices[language] = {{"CommentStyle", "///_"},
                                                       {"DocumentStyle", "\\"},
                                                       {"SpacingStyle", "Space"},
                                                       {"BoxingSize", "7"}};
    EXPECT_EQ(renderDocument(function(), "\r\n"), desktop);
    EXPECT_NE(renderDocument(function(), "\r\n", Language::D), desktop);
}

TEST_F(LanguageRule, FitToLanguage) {
    const struct {
        Language language;
        int comment, syntax, fittedComment, fittedSyntax;
    } rows[] = {
        {Language::C, 2, 2, 0, 1},    {Language::Cpp, 1, 0, 1, 0},  {Language::Cpp, 7, -1, 0, 1},
        {Language::Java, 1, 0, 0, 1}, {Language::Java, 2, 2, 0, 1}, {Language::D, 2, 0, 2, 0},
    };
    for (const auto &row : rows) {
        SettingValues values;
        values.m_commentStyle = CS(row.comment);
        values.m_documentStyle = DS(row.syntax);
        fitToLanguage(values, row.language);
        EXPECT_EQ(int(values.m_commentStyle), row.fittedComment) << languageName(row.language);
        EXPECT_EQ(int(values.m_documentStyle), row.fittedSyntax) << languageName(row.language);
    }
}

} // namespace
