#include "core/read/scan.h"

#include "core/read/comment.h"
#include "core/read/update.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// A finding as "line:column rule: message".
std::vector<std::string> describe(const std::vector<Finding> &findings) {
    std::vector<std::string> lines;
    for (const Finding &f : findings)
        lines.push_back(std::to_string(f.line) + ":" + std::to_string(f.column) + " " +
                        std::string(ruleName(f.rule)) + ": " + f.message);
    return lines;
}

struct Row {
    const char *name;
    Language language;
    std::string text;
    std::vector<std::string> expected;
};

const std::vector<Row> ruleRows = {
    // param-unknown
    {"renamed, with the new name suggested",
     Language::Cpp,
     "/**\n * Copies.\n * @param dst where\n * @param len how many\n */\nvoid copy(char *dst, int size);\n",
     {"4:11 param-unknown: parameter 'len' is not in the declaration (renamed to 'size'?)"}},
    {"removed",
     Language::C,
     "/**\n * Frees.\n * @param p it\n * @param n gone\n */\nvoid drop(void *p);\n",
     {"4:11 param-unknown: parameter 'n' is not in the declaration"}},
    {"java, renamed",
     Language::Java,
     "class A {\n    /**\n     * Adds.\n     *\n     * @param x one\n     * @param y two\n     * @return "
     "sum\n"
     "     */\n    public int add(int x, int z) { return x + z; }\n}\n",
     {"6:15 param-unknown: parameter 'y' is not in the declaration (renamed to 'z'?)"}},
    {"d, removed",
     Language::D,
     "/**\n * Adds.\n *\n * Params:\n *   a = one\n *   b = two\n */\nint add(int a) { return a; }\n",
     {"6:6 param-unknown: parameter 'b' is not in the declaration"}},
    {"d, template parameters may be documented",
     Language::D,
     "/**\n * Converts.\n *\n * Params:\n *   T = the type\n *   value = it\n */\n"
     "Checked!(T, Hook) checked(Hook = Abort, T)(const T value);\n",
     {}},
    {"java, type parameters may be documented",
     Language::Java,
     "/**\n * Id.\n *\n * @param <T> the type\n * @param t it\n * @return t\n */\n"
     "public static <T> T id(T t) { return t; }\n",
     {}},
    // param-undocumented
    {"added",
     Language::Cpp,
     "/// Adds.\n/// @param a one\n/// @return sum\nint add(int a, int b);\n",
     {"2:5 param-undocumented: parameter 'b' is not documented"}},
    {"a comment documenting no parameter is a choice",
     Language::Cpp,
     "/** Adds two numbers. */\nint add(int a, int b);\n",
     {}},
    {"variadic and unnamed parameters need no line",
     Language::C,
     "/**\n * Prints.\n * @param format how\n */\nint print(const char *format, int, ...);\n",
     {}},
    {"d, added",
     Language::D,
     "/++\n + Adds.\n +\n + Params:\n +   a = one\n +/\nint add(int a, ref int b);\n",
     {"5:6 param-undocumented: parameter 'b' is not documented"}},
    // param-order
    {"swapped",
     Language::Cpp,
     "/**\n * Adds.\n * @param b two\n * @param a one\n */\nint add(int a, int b);\n",
     {"4:11 param-order: parameter 'a' is documented after 'b', but the declaration has it before"}},
    {"java, swapped",
     Language::Java,
     "/**\n * Puts.\n * @param value v\n * @param key k\n */\nvoid put(String key, String value);\n",
     {"4:11 param-order: parameter 'key' is documented after 'value', but the declaration has it before"}},
    // return-void
    {"void function",
     Language::Cpp,
     "/**\n * Runs.\n * @return nothing\n */\nvoid run();\n",
     {"3:4 return-void: return value documented, but the declaration returns nothing"}},
    {"constructor",
     Language::Java,
     "class A {\n  /**\n   * Makes.\n   * @return an A\n   */\n  public A() {}\n}\n",
     {"4:6 return-void: return value documented, but the declaration returns nothing"}},
    {"destructor, backslash command",
     Language::Cpp,
     "struct A {\n  /**\n   * Ends.\n   * \\returns nothing\n   */\n  ~A();\n};\n",
     {"4:6 return-void: return value documented, but the declaration returns nothing"}},
    {"a pointer to void is a value",
     Language::C,
     "/**\n * Gets.\n * @return it\n */\nvoid *get(void);\n",
     {}},
    {"d, void",
     Language::D,
     "/**\n * Runs.\n *\n * Returns: nothing\n */\nvoid run();\n",
     {"4:4 return-void: return value documented, but the declaration returns nothing"}},
    // direction-by-value
    {"out on a value",
     Language::Cpp,
     "/**\n * Sets.\n * @param[out] n count\n * @param[in,out] s text\n * @param[out] p it\n */\n"
     "void set(int n, std::string s, int *p);\n",
     {"3:16 direction-by-value: parameter 'n' is passed by value, so it can never be [out]",
      "4:19 direction-by-value: parameter 's' is passed by value, so it can never be [in,out]"}},
    {"out on references is right",
     Language::Cpp,
     "/**\n * Sets.\n * @param[out] n count\n * @param[inout] s text\n */\nvoid set(int &n, std::string "
     "&s);\n",
     {}},
    // param-unnamed
    {"nameless line",
     Language::Cpp,
     "/**\n * Runs.\n * @param a one\n * @param\n */\nvoid run(int a);\n",
     {"4:4 param-unnamed: parameter line without a name"}},
    // which comments are checked
    {"a blank line parts comment and declaration",
     Language::Cpp,
     "/**\n * Runs.\n * @param x one\n */\n\nvoid run(int a);\n",
     {}},
    {"a preprocessor line parts them",
     Language::Cpp,
     "/**\n * Runs.\n * @param x one\n */\n#if X\nvoid run(int a);\n#endif\n",
     {}},
    {"function-like macros",
     Language::C,
     "/**\n * Adds.\n * @param x one\n * @param b two\n */\n#define ADD(a, b) \\\r\n  ((a) + (b))\n"
     "/** One. @param z */\n# define ONE 1\n",
     {"3:11 param-unknown: parameter 'x' is not in the declaration (renamed to 'a'?)"}},
    {"ordinary comments are not checked",
     Language::Cpp,
     "/*\n * Runs.\n * @param x one\n */\nvoid run(int a);\n// @param y\nvoid f(int b);\n",
     {}},
    {"member comments document what stands before",
     Language::Cpp,
     "int x; ///< @param y no\nvoid f(int b);\n",
     {}},
    {"a variable under a comment", Language::Cpp, "/** @param x no */\nint value = 3;\n", {}},
    {"comments in strings and raw strings",
     Language::Cpp,
     "const char *s = \"/** @param q */\";\nauto r = R\"x(\n/** @param q\n*/)x\";\nvoid f(int a);\n"
     "int n = 1'000'000;\n/**\n * F.\n * @param q gone\n */\nvoid g(int a);\n",
     {"9:11 param-unknown: parameter 'q' is not in the declaration (renamed to 'a'?)"}},
    {"java text block",
     Language::Java,
     "String s = \"\"\"\n  /** @param q */\n  \"\"\";\n/**\n * F.\n * @param q gone\n */\nvoid g(int a);\n",
     {"6:11 param-unknown: parameter 'q' is not in the declaration (renamed to 'a'?)"}},
    {"d nested comments and strings",
     Language::D,
     "/+ /+ /** @param q */ +/ +/\nstring s = `/**`;\nstring t = q\"(/**)\";\n"
     "/**\n * F.\n * Params:\n *   q = gone\n */\nvoid g(int a);\n",
     {"7:6 param-unknown: parameter 'q' is not in the declaration (renamed to 'a'?)"}},
    {"a function body ends the declaration",
     Language::Cpp,
     "/**\n * F.\n * @param q gone\n */\nFoo::Foo(int a) : m_a{a}, m_b(2) { if (a) { return; } }\n",
     {"3:11 param-unknown: parameter 'q' is not in the declaration (renamed to 'a'?)"}},
    {"CR LF lines",
     Language::Cpp,
     "/**\r\n * F.\r\n * @param q gone\r\n */\r\nvoid g(int a);\r\n",
     {"3:11 param-unknown: parameter 'q' is not in the declaration (renamed to 'a'?)"}},
    {"Latin-1 bytes are read as they are",
     Language::C,
     "/**\n * F\xe9.\n * @param q gone \xe9t\xe9\n */\nvoid g(int a);\n",
     {"3:11 param-unknown: parameter 'q' is not in the declaration (renamed to 'a'?)"}},
};

TEST(Scan, Rules) {
    for (const Row &row : ruleRows)
        EXPECT_EQ(describe(scan(row.text, row.language)), row.expected) << row.name;
}

const std::vector<Row> silenceRows = {
    {"the word in the comment",
     Language::Cpp,
     "/**\n * F. remarkist-ignore\n * @param q gone\n * @return x\n */\nvoid g(int a);\n",
     {}},
    {"on the declaration's line",
     Language::Cpp,
     "/**\n * F.\n * @param q gone\n */\nvoid g(int a); // remarkist-ignore\n",
     {}},
    {"named rules only",
     Language::Cpp,
     "/**\n * F. remarkist-ignore(param-unknown, param-order)\n * @param q gone\n * @return x\n */\n"
     "void g(int a);\n",
     {"4:4 return-void: return value documented, but the declaration returns nothing"}},
    {"another comment's word does not count",
     Language::Cpp,
     "/** F. remarkist-ignore */\nvoid f();\n/**\n * G.\n * @param q gone\n */\nvoid g();\n",
     {"5:11 param-unknown: parameter 'q' is not in the declaration"}},
};

TEST(Scan, InlineSuppression) {
    for (const Row &row : silenceRows)
        EXPECT_EQ(describe(scan(row.text, row.language)), row.expected) << row.name;
}

// Bad input never crashes nor takes long: a scan of every prefix of a tricky text, binary bytes,
// brackets that never close.
TEST(Scan, SurvivesAnyText) {
    std::string tricky;
    for (const Row &row : ruleRows)
        tricky += row.text;
    for (Language language : {Language::C, Language::Cpp, Language::D, Language::Java})
        for (std::size_t n = 0; n <= tricky.size(); n += 61)
            scan(std::string_view(tricky).substr(0, n), language);
    std::mt19937 random(7);
    std::string binary(1 << 18, '\0');
    for (char &c : binary)
        c = static_cast<char>(random());
    EXPECT_NO_THROW(scan(binary, Language::Cpp));
    const std::string open = "/** @param x */\nvoid f(" + std::string(1 << 20, '(');
    EXPECT_TRUE(scan(open, Language::Cpp).empty());
}

// Planted changes in every language and comment style: each is found, the fix repairs it with
// a small change, and the fixed comment documents the declaration's parameters in its order.
struct Style {
    Language language;
    std::string head, line, tail; // line: "%" stands for the parameter's name
    std::string declare;          // "%" stands for the parameter list
    std::string param;            // one parameter, "%" its name
};

const std::vector<Style> styles = {
    {Language::Cpp, "/**\n * Does it.\n *\n", " * @param % the %\n", " */\n", "int f(%);\n", "int %"},
    {Language::Cpp, "/// Does it.\n///\n", "/// \\param[in] % the %\n", "", "int f(%);\n", "const char *%"},
    {Language::C, "    /*!\n     * Does it.\n", "     * @param %  the %\n", "     */\n", "    int f(%);\n",
     "long %"},
    {Language::C, "/**\n * Does it.\n", " * @param % the %\n", " */\n", "#define F(%) 0\n", "%"},
    {Language::Java, "  /**\n   * Does it.\n   *\n", "   * @param % the %\n", "   * @return x\n   */\n",
     "  public int f(%) { return 0; }\n", "String %"},
    {Language::D, "/**\n * Does it.\n *\n * Params:\n", " *   % = the %\n", " */\n", "int f(%);\n", "int %"},
    {Language::D, "/++\nDoes it.\n\nParams:\n", "    % = the %\n", "+/\n", "void f(%) {}\n", "ref int %"},
};

std::string fill(std::string pattern, const std::string &name) {
    for (std::size_t at; (at = pattern.find('%')) != std::string::npos;)
        pattern.replace(at, 1, name);
    return pattern;
}

std::string source(const Style &style, const std::vector<std::string> &documented,
                   const std::vector<std::string> &declared) {
    std::string text = style.head;
    for (const std::string &name : documented)
        text += fill(style.line, name);
    std::string list;
    for (const std::string &name : declared)
        list += (list.empty() ? "" : ", ") + fill(style.param, name);
    return text + style.tail + fill(style.declare, list);
}

std::vector<std::string> lines(const std::string &text) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        out.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

TEST(Scan, FixRepairsPlantedChanges) {
    std::mt19937 random(19);
    const std::vector<std::string> names = {"alpha", "beta", "gamma", "delta", "eps"};
    int planted = 0;
    for (int round = 0; round < 200; ++round) {
        const Style &style = styles[random() % styles.size()];
        std::vector<std::string> declared(names.begin(), names.begin() + 1 + random() % 4);
        std::vector<std::string> documented = declared;
        std::string change;
        switch (random() % 4) {
        case 0:
            declared[random() % declared.size()] = "renamed";
            change = "rename";
            break;
        case 1:
            declared.insert(declared.begin() + static_cast<std::ptrdiff_t>(random() % (declared.size() + 1)),
                            "added");
            change = "add";
            break;
        case 2:
            if (declared.size() < 2)
                continue;
            declared.erase(declared.begin() + static_cast<std::ptrdiff_t>(random() % declared.size()));
            change = "remove";
            break;
        default:
            if (documented.size() < 2)
                continue;
            std::swap(documented[0], documented[1]);
            change = "swap";
        }
        ++planted;
        const std::string text = source(style, documented, declared);
        const std::string what = change + " in\n" + text;
        const std::vector<Finding> findings = scan(text, style.language);
        ASSERT_FALSE(findings.empty()) << what;
        const std::vector<Replacement> fixes = fixesOf(findings);
        ASSERT_FALSE(fixes.empty()) << what;
        const std::string fixed = applyReplacements(text, fixes);
        EXPECT_TRUE(scan(fixed, style.language).empty()) << what << "fixed:\n" << fixed;
        // The fixed comment documents the declaration's parameters, in its order...
        std::vector<std::string> names;
        const std::size_t begin = fixed.find('/');
        const std::optional<CommentExtent> extent = findDocComment(std::string_view(fixed).substr(begin));
        ASSERT_TRUE(extent) << fixed;
        const CommentSpan span{begin, begin + extent->end, extent->firstLine, extent->lastLine};
        for (const DocumentedParam &p : outlineComment(fixed, span).params)
            names.push_back(p.name);
        EXPECT_EQ(names, declared) << what << "fixed:\n" << fixed;
        // ...and only the lines of the change differ: one renamed, added or removed, two swapped.
        const std::vector<std::string> before = lines(text), after = lines(fixed);
        std::size_t head = 0, tail = 0;
        while (head < before.size() && head < after.size() && before[head] == after[head])
            ++head;
        while (tail + head < before.size() && tail + head < after.size() &&
               before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
            ++tail;
        EXPECT_LE(std::max(before.size(), after.size()) - head - tail, change == "swap" ? 2u : 1u) << what;
    }
    EXPECT_GT(planted, 150);
}

TEST(Scan, FixesOfTakesEachCommentOnce) {
    const std::string text = "/**\n * F.\n * @param b two\n * @param c three\n */\nint f(int a, int b);\n"
                             "/// G.\n/// @return x\nvoid g();\n";
    const std::vector<Finding> findings = scan(text, Language::Cpp);
    ASSERT_EQ(findings.size(), 3u);
    const std::vector<Replacement> fixes = fixesOf(findings);
    EXPECT_EQ(fixes, findings[0].fix);
    for (const Finding &f : findings)
        EXPECT_EQ(f.fix.empty(), !isFixable(f.rule)) << f.message;
}

} // namespace
