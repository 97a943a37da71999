#include "core/read/source.h"

#include "firststart.h"

#include <gtest/gtest.h>

namespace {

using Kind = DocumentKind;

class Source : public ::testing::Test {
protected:
    void SetUp() override {
        resetFirstStartSettings();
        g_settingRecord.m_commentStyle = SettingData::CommentStyle::C;
        g_settingRecord.m_documentStyle = SettingData::DocumentStyle::DoxygenBS;
        g_settingRecord.m_boxingHeadStyle = false;
    }
};

DocumentRequest request(std::string summary, std::vector<ParamEntry> params,
                        std::vector<ExceptionEntry> throws = {}) {
    DocumentRequest r;
    r.summary = std::move(summary);
    r.params = std::move(params);
    r.throws = std::move(throws);
    return r;
}

// The lines of the request's comment, each behind the indent and ended with the line ending.
// The rows are C++: edit writes what C++ takes.
std::string commentText(const DocumentRequest &r, const std::string &indent, const std::string &ending) {
    std::string text, rendered = renderDocument(r, "\n", Language::Cpp) + "\n";
    for (std::size_t begin = 0, end; (end = rendered.find('\n', begin)) != std::string::npos; begin = end + 1)
        text += indent + rendered.substr(begin, end - begin) + ending;
    return text;
}

TEST_F(Source, MergeKeepsWhatTheCommentSaysOfNamesStillDeclared) {
    const DocumentRequest comment =
        request("Adds.", {{"in", "a", "first"}, {"", "b", "second"}, {"out", "gone", "was here"}},
                {{"Overflow", "too big"}});
    // "c" comes first and "gone" stood last: no rename.
    DocumentRequest declaration =
        request("", {{"inout", "c", ""}, {"inout", "a", ""}, {"in", "b", ""}, {"in", "", ""}},
                {{"Overflow", ""}, {"Range", ""}});
    const SourceReading merged = mergeRequests(comment, declaration);
    EXPECT_EQ(merged.request,
              request("Adds.",
                      {{"inout", "c", ""}, {"in", "a", "first"}, {"in", "b", "second"}, {"in", "", ""}},
                      {{"Overflow", "too big"}, {"Range", ""}}));
    EXPECT_EQ(merged.dropped, std::vector<std::string>{"gone"});

    // Where it stood, a new name is the old one renamed: it keeps the description and direction.
    declaration.params = {{"inout", "a", ""}, {"in", "b", ""}, {"in", "renamed", ""}};
    EXPECT_EQ(mergeRequests(comment, declaration).request.params,
              (std::vector<ParamEntry>{
                  {"in", "a", "first"}, {"in", "b", "second"}, {"out", "renamed", "was here"}}));

    declaration.kind = Kind::Class;
    declaration.params.clear();
    // A function's sections over what reads as a type: the comment knows more, and stays.
    EXPECT_EQ(mergeRequests(comment, declaration).request, comment);
    EXPECT_EQ(mergeRequests(request("A type.", {}), declaration).request.kind, Kind::Class);
}

TEST_F(Source, ReadsACommentADeclarationOrBoth) {
    struct Row {
        const char *name;
        const char *text;
        DocumentRequest expected;
        std::vector<std::string> dropped = {};
    };
    const Row rows[] = {
        {"declaration", "int add(int a, const int *b);", request("", {{"in", "a", ""}, {"in", "b", ""}})},
        {"comment", "/**\n *\tAdds.\n *\t\n *\t\\param[out]\ta\tfirst\n */\n",
         request("Adds.", {{"out", "a", "first"}})},
        {"comment, then the declaration it documents: z renamed b",
         "/**\n *\tAdds.\n *\t\n *\t\\param[out]\ta\tfirst\n *\t\\param[in]\tz\tgone\n */\nint add(int a, "
         "int &b);",
         request("Adds.", {{"out", "a", "first"}, {"in", "b", "gone"}})},
        {"comment, then the declaration it documents: z removed",
         "/**\n *\tAdds.\n *\t\n *\t\\param[out]\ta\tfirst\n *\t\\param[in]\tz\tgone\n */\nint add(int a);",
         request("Adds.", {{"out", "a", "first"}}),
         {"z"}},
    };
    for (const Row &row : rows) {
        const SourceReading reading = readSource(row.text);
        EXPECT_EQ(reading.request, row.expected) << row.name;
        EXPECT_EQ(reading.dropped, row.dropped) << row.name;
    }
}

TEST_F(Source, EditsTheDeclarationAtTheLine) {
    const std::string oldComment =
        "/**\n *\tAdds.\n *\t\n *\t\\param[in]\ta\tfirst\n *\t\\param[in]\tgone\tx\n */\n";
    struct Row {
        const char *name;
        std::string buffer;
        std::size_t line;
        std::size_t first, last;
        DocumentRequest expected;
        std::string indent = "", ending = "\n";
        std::vector<std::string> dropped = {};
    };
    const Row rows[] = {
        {"new comment above", "int x;\n\nint add(int a, int b);\n", 2, 3, 2,
         request("Sum.", {{"in", "a", ""}, {"in", "b", ""}})},
        {"cursor in the body", "void run(char *p)\n{\n    return;\n}\n", 3, 1, 0,
         request("Sum.", {{"inout", "p", ""}})},
        {"update: renamed in place", oldComment + "int add(int a, int c);\n", 7, 1, 6,
         request("Sum.", {{"in", "a", "first"}, {"in", "c", "x"}}), "", "\n"},
        {"update: removed in place",
         oldComment + "int add(int a);\n",
         7,
         1,
         6,
         request("Sum.", {{"in", "a", "first"}}),
         "",
         "\n",
         {"gone"}},
        {"cursor inside the comment",
         oldComment + "int add(int a);\n",
         2,
         1,
         6,
         request("Sum.", {{"in", "a", "first"}}),
         "",
         "\n",
         {"gone"}},
        {"CR LF", "int x;\r\nint add(int a);\r\n", 2, 2, 1, request("Sum.", {{"in", "a", ""}}), "", "\r\n"},
        {"indented method", "class A {\npublic:\n    /// Old.\n    void f(int &n) const;\n};\n", 4, 3, 3,
         request("Sum.", {{"inout", "n", ""}}), "    "},
        {"a blank line parts the comment from the declaration", "/** Old. */\n\nvoid f();\n", 3, 3, 2,
         request("Sum.", {})},
        {"an ordinary comment is not replaced", "/* Old. */\nvoid f();\n", 2, 2, 1, request("Sum.", {})},
    };
    for (const Row &row : rows) {
        const SourceEdit edit = editSource(row.buffer, row.line, std::nullopt, "Sum.");
        EXPECT_EQ(edit.first, row.first) << row.name;
        EXPECT_EQ(edit.last, row.last) << row.name;
        EXPECT_EQ(edit.text, commentText(row.expected, row.indent, row.ending)) << row.name;
        EXPECT_EQ(edit.summary, "Sum.") << row.name;
        EXPECT_EQ(edit.dropped, row.dropped) << row.name;
    }
}

TEST_F(Source, Errors) {
    const struct {
        const char *name;
        std::string buffer;
        std::size_t line;
        const char *message;
    } rows[] = {
        {"nothing within 20 lines", "x = 1;\n" + std::string(25, '\n') + "void f();\n", 1,
         "no declaration at line 1 or within the 20 lines after it"},
        {"empty summary", "void f();\n", 1, "概要は必ず記述する必要があります。"},
    };
    for (const auto &row : rows) {
        try {
            editSource(row.buffer, row.line);
            ADD_FAILURE() << row.name << ": no error";
        } catch (const Orvex::Exception &error) {
            EXPECT_STREQ(error.what(), row.message) << row.name;
        }
    }
}

} // namespace
