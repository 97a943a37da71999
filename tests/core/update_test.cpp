#include "core/read/comment.h"
#include "core/read/source.h"
#include "core/read/update.h"

#include "firststart.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sstream>

// The rows name only the fields they fill; the others keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

class Update : public ::testing::Test {
protected:
    void SetUp() override {
        resetFirstStartSettings();
        g_settingRecord.m_commentStyle = SettingData::CommentStyle::C;
        g_settingRecord.m_documentStyle = SettingData::DocumentStyle::DoxygenAT;
        g_settingRecord.m_boxingHeadStyle = false;
    }
};

// The buffer after `edit` at the line of the declaration, which is the buffer's last line.
std::string edited(const std::string &buffer, Language language, bool restyle = false,
                   std::vector<std::string> *dropped = nullptr) {
    const std::size_t lines = 1 + static_cast<std::size_t>(std::count(buffer.begin(), buffer.end(), '\n'));
    const std::size_t line = buffer.ends_with('\n') ? lines - 1 : lines;
    const SourceEdit edit = editSource(buffer, line, language, std::nullopt, restyle);
    if (dropped)
        *dropped = edit.dropped;
    std::istringstream in(buffer);
    std::string out, text;
    for (std::size_t n = 1; std::getline(in, text); ++n) {
        if (n == edit.first)
            out += edit.text;
        if (n < edit.first || n > edit.last)
            out += text + "\n";
    }
    return out;
}

TEST_F(Update, ChangesOnlyWhatTheSignatureChanged) {
    struct Row {
        const char *name;
        Language language;
        std::string before, after;
        std::vector<std::string> dropped;
    };
    const Row rows[] = {
        {"a rename keeps the description and its column", Language::C,
         "/**\n * Copies.\n * @param[in]  src  where from\n * @param[out] dst  where to\n */\nvoid "
         "copy(const char *src, char *to);\n",
         "/**\n * Copies.\n * @param[in]  src  where from\n * @param[out] to   where to\n */\nvoid "
         "copy(const char *src, char *to);\n"},
        {"GNU layout: a tab after the star on continuation lines", Language::C,
         "/**\n * Allocates.\n * @param __size\tthe size\n * @param __align\tthe alignment,\n *\t       of "
         "type size_t\n */\n"
         "void *aligned_alloc(size_t __size, size_t __aligq);\n",
         "/**\n * Allocates.\n * @param __size\tthe size\n * @param __aligq\tthe alignment,\n *\t       of "
         "type size_t\n */\n"
         "void *aligned_alloc(size_t __size, size_t __aligq);\n"},
        {"a new parameter: in order, with a direction as its neighbours have", Language::Cpp,
         "/**\n * Sums.\n *\n * @param[in] a  first\n * @param[in] c  third\n * @return the sum\n */\nint "
         "sum(int a, int &b, int c);\n",
         "/**\n * Sums.\n *\n * @param[in] a  first\n * @param[in,out] b\n * @param[in] c  third\n * @return "
         "the sum\n */\nint sum(int a, int &b, int c);\n"},
        {"Javadoc: no directions; a new exception after the others", Language::Java,
         "    /**\n     * Reads.\n     * @param in the stream\n     * @throws IOException on error\n     */\n"
         "    int read(InputStream in, int max) throws IOException, EOFException {\n",
         "    /**\n     * Reads.\n     * @param in the stream\n     * @param max\n     * @throws IOException "
         "on error\n"
         "     * @throws EOFException\n     */\n    int read(InputStream in, int max) throws IOException, "
         "EOFException {\n"},
        {"backslash commands, a removed parameter goes with its continuation line",
         Language::Cpp,
         "/*!\n    \\brief Frobs.\n    \\param w the widget,\n           a long one\n    \\param n the "
         "count\n*/\nvoid frob(int n);\n",
         "/*!\n    \\brief Frobs.\n    \\param n the count\n*/\nvoid frob(int n);\n",
         {"w"}},
        {"DDoc: a row in the column of the others; the last row takes Params: with it", Language::D,
         "/++\n + Runs.\n + Params:\n +   job  = what\n + Returns: nothing\n +/\nvoid run(Job job, int "
         "when);\n",
         "/++\n + Runs.\n + Params:\n +   job  = what\n +   when =\n + Returns: nothing\n +/\nvoid run(Job "
         "job, int when);\n"},
        {"DDoc: the only row removed with its header",
         Language::D,
         "/++\n + Runs.\n + Params:\n +   job = what\n +/\nvoid run();\n",
         "/++\n + Runs.\n +/\nvoid run();\n",
         {"job"}},
        {"a nameless line goes, the order follows the declaration", Language::C,
         "/**\n * F.\n * @param b second\n * @param[inout]\n * @param a first\n */\nvoid f(int a, int b);\n",
         "/**\n * F.\n * @param a first\n * @param b second\n */\nvoid f(int a, int b);\n"},
        {"no parameter lines yet: before the return line, in the comment's syntax", Language::Java,
         "/**\n * Gets it.\n * <p>Twice.\n * @return it\n */\nint get(int key);\n",
         "/**\n * Gets it.\n * <p>Twice.\n * @param key\n * @return it\n */\nint get(int key);\n"},
        {"no commands at all: after the text, a blank line between", Language::Cpp,
         "/// Gets it.\n/// Twice.\nint get(int key);\n",
         "/// Gets it.\n/// Twice.\n///\n/// @param[in] key\nint get(int key);\n"},
        {"CR LF stays on a new line", Language::C,
         "/**\r\n * F.\r\n * @param a first\r\n */\r\nvoid f(int a, int b);\r\n",
         "/**\r\n * F.\r\n * @param a first\r\n * @param b\r\n */\r\nvoid f(int a, int b);\r\n"},
        {"unnamed parameters get no line", Language::Cpp,
         "/**\n * F.\n * @param p the p\n */\nvoid f(allocator &, T *p);\n",
         "/**\n * F.\n * @param p the p\n */\nvoid f(allocator &, T *p);\n"},
        {"a class's words stay: @author, {@code}, HTML, @see", Language::Java,
         "/**\n * A list, {@code List}.\n * <ul><li>one</li></ul>\n * @author Josh\n * @see Set\n */\npublic "
         "class List {\n",
         "/**\n * A list, {@code List}.\n * <ul><li>one</li></ul>\n * @author Josh\n * @see Set\n */\npublic "
         "class List {\n"},
    };
    for (const Row &row : rows) {
        std::vector<std::string> dropped;
        EXPECT_EQ(edited(row.before, row.language, false, &dropped), row.after) << row.name;
        EXPECT_EQ(dropped, row.dropped) << row.name;
        EXPECT_EQ(edited(row.after, row.language), row.after) << row.name << ": again";
    }
}

TEST_F(Update, AnOpenerOrCloserOnALineOfTextMovesToALineOfItsOwn) {
    EXPECT_EQ(edited("  /** Frobs. */\n  void frob(int n);\n", Language::Cpp),
              "  /**\n   * Frobs.\n   *\n   * @param[in] n\n   */\n  void frob(int n);\n");
    EXPECT_EQ(edited("/** Frobs\n * twice. */\nvoid frob(int n);\n", Language::Cpp),
              "/** Frobs\n * twice.\n *\n * @param[in] n\n */\nvoid frob(int n);\n");
}

TEST_F(Update, OutlinePlacesParametersAndReturns) {
    const std::string buffer =
        "int x;\n/**\n * F.\n *  @param[out] a the a\n * @param[in]\n * @return r\n */\n";
    const CommentSpan span{7, buffer.size() - 1, 2, 7};
    const CommentOutline outline = outlineComment(buffer, span);
    ASSERT_EQ(outline.params.size(), 2u);
    EXPECT_EQ(outline.params[0].name, "a");
    EXPECT_EQ(outline.params[0].direction, "out");
    EXPECT_EQ(outline.params[0].place.line, 4u);
    EXPECT_EQ(outline.params[0].place.column, 5u);
    EXPECT_EQ(buffer.substr(outline.params[0].nameBegin, 1), "a");
    EXPECT_EQ(outline.params[1].name, "");
    EXPECT_EQ(outline.params[1].nameBegin, outline.params[1].nameEnd);
    ASSERT_EQ(outline.returns.size(), 1u);
    EXPECT_EQ(outline.returns[0].line, 6u);
    EXPECT_EQ(buffer.substr(outline.returns[0].begin, outline.returns[0].end - outline.returns[0].begin),
              " * @return r\n");
}

// Hand-written comments of random layouts over declarations whose parameters were renamed, added
// or removed: an update keeps every word but those of removed parameters, documents exactly the
// declaration's parameters, and a second update changes nothing; so does a restyle.
class Maker {
public:
    explicit Maker(std::uint32_t seed) : m_random(seed) {}

    struct Case {
        std::string buffer;
        Language language;
    };

    Case next() {
        const Language language = Language(below(4));
        const char *const leads[] = {" * ", " *\t", "   ", "/// "};
        const std::string lead = leads[below(4)];
        const bool lines = lead == "/// ";
        const char command = language == Language::D ? 'D' : below(2) ? '@' : '\\';
        std::vector<std::string> names;
        for (std::uint32_t n = below(5); n > 0; --n)
            names.push_back("p" + std::to_string(names.size()));
        std::vector<std::string> body{words(1 + below(4)) + ".", ""};
        if (below(2))
            body.push_back(words(3) + " {@code x} <b>y</b> $(D z) ");
        if (command == 'D' && !names.empty())
            body.push_back("Params:");
        for (const std::string &name : names) {
            const bool direction = command != 'D' && language != Language::Java && below(2);
            body.push_back(command == 'D' ? "  " + name + " = " + words(1 + below(3))
                                          : std::string(1, command) + "param" + (direction ? "[in] " : " ") +
                                                name + (below(2) ? "\t" : "  ") + words(1 + below(3)));
            if (below(3) == 0)
                body.push_back("      " + words(2));
        }
        if (below(2))
            body.push_back(command == 'D' ? "See_Also: " + words(2)
                                          : std::string(1, command) + "see " + words(2));
        std::string buffer = lines ? "" : language == Language::D && below(2) ? "/++\n" : "/**\n";
        const std::string mark = buffer == "/++\n" ? " + " : lead;
        for (const std::string &line : body)
            buffer +=
                (line.empty() ? std::string(mark.substr(0, mark.find_last_not_of(" \t") + 1)) : mark + line) +
                "\n";
        if (!lines)
            buffer += buffer.starts_with("/++") ? " +/\n" : " */\n";
        // The declaration: each name renamed, dropped or kept, now and then a new one.
        std::string params;
        for (const std::string &name : names) {
            const std::uint32_t fate = below(6);
            if (fate == 0)
                continue;
            params += (params.empty() ? "" : ", ") + std::string("int ") + (fate == 1 ? name + "x" : name);
            if (below(6) == 0)
                params += ", int n" + std::to_string(below(100));
        }
        buffer += (language == Language::Java ? "public void f(" : "void f(") + params + ");\n";
        return {buffer, language};
    }

private:
    std::uint32_t below(std::uint32_t n) {
        return std::uniform_int_distribution<std::uint32_t>(0, n - 1)(m_random);
    }
    std::string words(std::uint32_t n) {
        const char *const all[] = {"the", "value", "of", "a,", "b", "日本", "(c)", "e.g.", "@", "x:y"};
        std::size_t first = std::size(all) - 1; // "x:y" would begin a section
        std::string text;
        for (std::uint32_t i = 0; i < n; ++i)
            text += (i ? " " : "") + std::string(all[below(i ? std::size(all) : first)]);
        return text;
    }
    std::mt19937 m_random;
};

std::multiset<std::string> wordsOf(std::string_view text) {
    std::multiset<std::string> words;
    std::string word;
    for (char c : std::string(text) + " ") {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '*' || c == '/' || c == '+') {
            if (!word.empty())
                words.insert(word);
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

void check(const Maker::Case &c, int i, int &failures) {
    std::vector<std::string> dropped;
    const std::string once = edited(c.buffer, c.language, false, &dropped);
    std::multiset<std::string> lost = wordsOf(c.buffer), kept = wordsOf(once);
    for (const ParamEntry &param : readComment(c.buffer).params)
        lost.erase(param.name); // renamed, or gone with the parameter
    for (const std::string &word : kept)
        if (const auto at = lost.find(word); at != lost.end())
            lost.erase(at);
    // Words may go only with a dropped parameter's lines.
    const bool onlyDropped = lost.empty() || !dropped.empty();
    std::vector<std::string> documented, declared;
    for (const ParamEntry &param : readComment(once).params)
        documented.push_back(param.name);
    for (const ParamEntry &param : readSource(once, c.language).request.params)
        if (!param.name.empty())
            declared.push_back(param.name);
    const bool again = edited(once, c.language) == once;
    const std::string restyled = edited(c.buffer, c.language, true);
    const bool restyleAgain = edited(restyled, c.language, true) == restyled;
    if (onlyDropped && documented == declared && again && restyleAgain)
        return;
    ++failures;
    ADD_FAILURE() << "case " << i << (onlyDropped ? "" : ": words lost")
                  << (documented == declared ? "" : ": parameters") << (again ? "" : ": not idempotent")
                  << (restyleAgain ? "" : ": restyle not idempotent") << "\n"
                  << c.buffer << "---\n"
                  << once << "---\n"
                  << restyled;
}

TEST_F(Update, KeepsEveryWordAndIsIdempotent) {
    Maker maker(20261209);
    int failures = 0;
    for (int i = 0; i < 2000 && failures < 3; ++i) {
        const Maker::Case c = maker.next();
        try {
            check(c, i, failures);
        } catch (const std::exception &e) {
            ++failures;
            ADD_FAILURE() << "case " << i << ": " << e.what() << "\n" << c.buffer;
        }
    }
}

} // namespace
