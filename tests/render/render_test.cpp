// Runs the built remarkist-render in an empty temporary directory (no setting.dat: the
// first-start settings) and checks the exact bytes it writes and its exit status.

#include "core/common/settingrecord.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

std::string shellQuoted(const std::string &text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string slurp(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void spill(const fs::path &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

class Render : public ::testing::Test {
protected:
    void SetUp() override {
        static int count = 0;
        m_dir = fs::temp_directory_path() /
                ("remarkist-render-test-" + std::to_string(getpid()) + "-" + std::to_string(++count));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs remarkist-render with the arguments, `input` on its standard input, with the user's
    // settings folder in `config`.
    Result run(const std::vector<std::string> &args, const std::string &input = "",
               const fs::path &config = {}) {
        spill(m_dir / "stdin", input);
        std::string command = "cd " + shellQuoted(m_dir.string()) + " && XDG_CONFIG_HOME=" +
                              shellQuoted(config.empty() ? (m_dir / "config").string() : config.string()) +
                              " " + shellQuoted(REMARKIST_RENDER);
        for (const std::string &arg : args)
            command += " " + shellQuoted(arg);
        command += " <stdin >stdout 2>stderr";
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(m_dir / "stdout"), slurp(m_dir / "stderr")};
    }

    fs::path m_dir;
};

const std::string headBox = "/+" + std::string(98, '+');

struct OutputRow {
    const char *name;
    std::vector<std::string> args;
    std::string request;
    std::string expected;
};

TEST_F(Render, Comments) {
    const OutputRow rows[] = {
        {"first-start settings: nesting comment, head box, DDoc",
         {},
         R"({"summary": "S", "date": "d"})",
         headBox + "\r\n +\tS\r\n +/"},
        {"backslash commands in a block comment",
         {},
         R"({"summary": "S", "params": [{"direction": "in", "name": "x", "description": "the x"}],
             "returns": "the sum",
             "settings": {"CommentStyle": 0, "DocumentStyle": 0, "BoxingHeadStyle": false}})",
         "/**\r\n *\tS\r\n *\t\r\n *\t\\param[in]\tx\tthe x\r\n *\t\\return\tthe sum\r\n */"},
        {"DDoc with spaces",
         {},
         R"({"summary": "S", "params": [{"direction": "in", "name": "x", "description": "the x"}],
             "returns": "the sum", "settings": {"SpacingStyle": 1, "BoxingHeadStyle": false}})",
         "/++\r\n +  S\r\n +  \r\n +  Params:\r\n +      x   = the x\r\n +  Returns:    the sum\r\n +/"},
        {"--lf: line comment, at-sign commands",
         {"--lf"},
         R"({"summary": "S", "comment": "c1\r\nc2", "throws": [{"type": "E", "description": "bad"}],
             "settings": {"CommentStyle": 1, "DocumentStyle": 1}})",
         std::string(100, '/') + "\n///\tS\n///\t\n///\tc1\n///\tc2\n///\t@throw\tE\tbad\n"},
        {"class: no function sections, no date",
         {},
         R"({"kind": "class", "summary": "S", "note": "n", "returns": "r", "params": [{"name": "p"}]})",
         headBox + "\r\n +\tS\r\n +\t\r\n +\tn\r\n +/"},
        {"file: author and copyright from the settings",
         {},
         R"({"kind": "file", "summary": "S", "date": "2026/12/07",
             "settings": {"Author": "A", "Copyright": "(c) C"}})",
         headBox +
             "\r\n +\tS\r\n +\t\r\n +\tDate:\t2026/12/07\r\n +\tAuthors:\tA\r\n +\tCopyright:\t(c) C\r\n +/"},
        {"absent date comes from the DateFormat setting",
         {},
         R"({"kind": "file", "summary": "S", "settings": {"DateFormat": "%Q%"}})",
         headBox + "\r\n +\tS\r\n +\tDate:\t%Q%\r\n +/"},
        {"other integers select the third member",
         {},
         R"({"summary": "S", "settings": {"CommentStyle": 7, "DocumentStyle": -1, "SpacingStyle": 99,
             "BoxingHeadStyle": false}})",
         "/++\r\n +\tS\r\n +/"},
        {"missing entry keys are empty",
         {"--lf"},
         R"({"summary": "S", "params": [{}], "settings": {"CommentStyle": 0, "BoxingHeadStyle": false}})",
         "/**\n *\tS\n *\t\n *\tParams:\n *\t\t\t= \n */\n"},
    };
    for (const OutputRow &row : rows) {
        const Result result = run(row.args, row.request);
        EXPECT_EQ(result.err, "") << row.name;
        EXPECT_EQ(result.status, 0) << row.name;
        EXPECT_EQ(result.out, row.expected) << row.name;
    }
}

TEST_F(Render, RequestFromAFile) {
    spill(m_dir / "request.json", R"({"summary": "S", "settings": {"BoxingHeadStyle": false}})");
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"request.json"}, {"--", "request.json"}}) {
        const Result result = run(args, "not read");
        EXPECT_EQ(result.out, "/++\r\n +\tS\r\n +/");
        EXPECT_EQ(result.status, 0);
    }
}

struct ErrorRow {
    const char *name;
    std::vector<std::string> args;
    std::string request;
    int status;
    std::string message;
};

TEST_F(Render, Errors) {
    const ErrorRow rows[] = {
        {"empty summary", {}, R"({"note": "n"})", 1, "概要は必ず記述する必要があります。"},
        {"invalid JSON",
         {},
         "{\n  \"summary\": }",
         2,
         "request: invalid JSON at line 2, column 14: syntax error while parsing value - unexpected '}'; "
         "expected '[', '{', or a literal"},
        {"empty input",
         {},
         "",
         2,
         "request: invalid JSON at line 1, column 1: syntax error while parsing value - unexpected end of "
         "input; expected '[', '{', or a literal"},
        {"number out of range",
         {},
         R"({"summary": "S", "settings": {"SpacingSize": 1e400}})",
         2,
         "request: invalid JSON: number overflow parsing '1e400'"},
        {"not an object", {}, "[]", 2, "request: expected an object"},
        {"unknown key", {}, R"({"summary": "S", "sumary": "S"})", 2, R"(request: "sumary": unknown key)"},
        {"string expected", {}, R"({"summary": 1})", 2, R"(request: "summary": expected a string)"},
        {"null is not a string",
         {},
         R"({"summary": "S", "date": null})",
         2,
         R"(request: "date": expected a string)"},
        {"entry field",
         {},
         R"({"summary": "S", "params": [{"name": "a"}, {"name": 2}]})",
         2,
         R"(request: "params"[1]."name": expected a string)"},
        {"entry not an object",
         {},
         R"({"summary": "S", "throws": ["E"]})",
         2,
         R"(request: "throws"[0]: expected an object)"},
        {"entry unknown key",
         {},
         R"({"summary": "S", "throws": [{"kind": "E"}]})",
         2,
         R"(request: "throws"[0]."kind": unknown key)"},
        {"list not an array",
         {},
         R"({"summary": "S", "params": {}})",
         2,
         R"(request: "params": expected an array)"},
        {"unknown kind",
         {},
         R"({"kind": "method", "summary": "S"})",
         2,
         R"(request: "kind": unknown kind "method" (expected "function", "class" or "file"))"},
        {"settings not an object",
         {},
         R"({"summary": "S", "settings": 1})",
         2,
         R"(request: "settings": expected an object)"},
        {"unknown setting",
         {},
         R"({"summary": "S", "settings": {"Colour": 1}})",
         2,
         R"(request: "settings"."Colour": unknown key)"},
        {"style not an integer",
         {},
         R"({"summary": "S", "settings": {"CommentStyle": 1.5}})",
         2,
         R"(request: "settings"."CommentStyle": expected an integer)"},
        {"negative size",
         {},
         R"({"summary": "S", "settings": {"SpacingSize": -1}})",
         2,
         R"(request: "settings"."SpacingSize": expected an integer from 0 to 4294967295)"},
        {"size beyond 32 bits",
         {},
         R"({"summary": "S", "settings": {"BoxingSize": 4294967296}})",
         2,
         R"(request: "settings"."BoxingSize": expected an integer from 0 to 4294967295)"},
        {"flag not a boolean",
         {},
         R"({"summary": "S", "settings": {"BoxingHeadStyle": "yes"}})",
         2,
         R"(request: "settings"."BoxingHeadStyle": expected true or false)"},
        {"unknown option", {"--x"}, "", 2, R"(unknown option "--x" (see remarkist-render --help))"},
        {"option of another command",
         {"date", "--lf"},
         "",
         2,
         R"(date: unknown option "--lf" (see remarkist-render --help))"},
        {"missing value",
         {"--settings"},
         "",
         2,
         R"("--settings" needs a value (see remarkist-render --help))"},
        {"flag with a value", {"--lf=1"}, "", 2, R"("--lf" takes no value (see remarkist-render --help))"},
        {"two files",
         {"a.json", "b.json"},
         "",
         2,
         R"(unexpected argument "b.json" (see remarkist-render --help))"},
        {"argument to settings",
         {"settings", "x"},
         "",
         2,
         R"(settings: unexpected argument "x" (see remarkist-render --help))"},
        {"missing request file",
         {"missing.json"},
         "",
         2,
         R"(cannot read "missing.json": No such file or directory)"},
        {"request file is a directory", {"."}, "", 2, R"(cannot read ".": Is a directory)"},
        {"missing settings file",
         {"settings", "--settings", "none.dat"},
         "",
         2,
         R"(cannot read settings file "none.dat": No such file or directory)"},
        {"malformed time",
         {"date", "--at", "2026-1-1"},
         "",
         2,
         R"(date: --at: expected YYYY-MM-DDTHH:MM:SS, got "2026-1-1")"},
        {"no such day",
         {"date", "--at", "2026-02-29T00:00:00"},
         "",
         2,
         R"(date: --at: no such date or time "2026-02-29T00:00:00")"},
        {"no such hour",
         {"date", "--at", "2026-02-28T24:00:00"},
         "",
         2,
         R"(date: --at: no such date or time "2026-02-28T24:00:00")"},
        {"read: no declaration",
         {"read", "--language", "cpp"},
         "// an assignment\nx = 5;\n",
         1,
         "no declaration found (reading stopped at line 2)"},
        {"read: unknown language",
         {"read", "--language", "rust"},
         "fn f() {}",
         2,
         R"(read: unknown language "rust" (expected c, cpp, d or java) (see remarkist-render --help))"},
        {"read: option of another command",
         {"read", "--lf"},
         "",
         2,
         R"(read: unknown option "--lf" (see remarkist-render --help))"},
        {"read: two files",
         {"read", "a.h", "b.h"},
         "",
         2,
         R"(read: unexpected argument "b.h" (see remarkist-render --help))"},
        {"read: missing file",
         {"read", "missing.h"},
         "",
         2,
         R"(cannot read "missing.h": No such file or directory)"},
    };
    for (const ErrorRow &row : rows) {
        const Result result = run(row.args, row.request);
        EXPECT_EQ(result.err, "remarkist-render: " + row.message + "\n") << row.name;
        EXPECT_EQ(result.status, row.status) << row.name;
        EXPECT_EQ(result.out, "") << row.name;
    }
}

TEST_F(Render, Date) {
    const struct {
        const char *name;
        std::vector<std::string> args;
        std::string expected;
    } rows[] = {
        {"default template", {"date", "--at", "2026-12-07T03:28:05"}, "2026/12/07(月)[03:28:05]\n"},
        {"leap day",
         {"date", "--at", "2024-02-29T23:59:59", "--format", "%Wen% %Men% %D%"},
         "Thu February 29\n"},
        {"first day of a century", {"date", "--format=%Wjp%", "--at=2000-01-01T00:00:00"}, "土\n"},
        {"empty template", {"date", "--format", "", "--at", "2026-12-07T00:00:00"}, "December 07, 2026\n"},
        {"now", {"date", "--format", "no tokens"}, "no tokens\n"},
    };
    for (const auto &row : rows) {
        const Result result = run(row.args);
        EXPECT_EQ(result.out, row.expected) << row.name;
        EXPECT_EQ(result.status, 0) << row.name << ": " << result.err;
    }
}

TEST_F(Render, FirstStartSettings) {
    const Result result = run({"settings"});
    EXPECT_EQ(result.out, R"({"CommentStyle":2,"DocumentStyle":2,"SpacingStyle":0,"SpacingSize":4,)"
                          R"("BoxingHeadStyle":true,"BoxingFootStyle":false,"BoxingSize":100,)"
                          R"("DateFormat":"%Y4%/%M2%/%D2%(%W[日,月,火,水,木,金,土]%)[%H2%:%MI2%:%S2%]",)"
                          R"("Copyright":"","Author":"","WindowX":0,"WindowY":0})"
                          "\n");
    EXPECT_EQ(result.status, 0);
}

// A settings file written by the desktop program's record is what render and date use.
TEST_F(Render, SavedSettings) {
    g_settingRecord.Load();
    g_settingRecord.m_commentStyle = SettingData::CommentStyle::C;
    g_settingRecord.m_documentStyle = SettingData::DocumentStyle::DoxygenAT;
    g_settingRecord.m_spacingStyle = SettingData::SpacingStyle::Space;
    g_settingRecord.m_spacingSize = 3;
    g_settingRecord.m_boxingHeadStyle = false;
    g_settingRecord.m_dateFormat = "%D%.%M%.";
    g_settingRecord.m_author = "著者";
    g_settingRecord.m_path = (m_dir / "saved.dat").string();
    g_settingRecord.Save();

    EXPECT_EQ(
        run({"settings", "--settings", "saved.dat"}).out,
        R"({"CommentStyle":0,"DocumentStyle":1,"SpacingStyle":1,"SpacingSize":3,)"
        R"("BoxingHeadStyle":false,"BoxingFootStyle":false,"BoxingSize":100,"DateFormat":"%D%.%M%.","Copyright":"",)"
        R"("Author":"著者","WindowX":0,"WindowY":0})"
        "\n");
    EXPECT_EQ(run({"date", "--settings", "saved.dat", "--at", "2026-12-07T00:00:00"}).out, "7.12.\n");
    EXPECT_EQ(run({"--settings", "saved.dat", "--lf"}, R"({"summary": "S"})").out, "/**\n * S\n */\n");
    // The request overrides the file.
    EXPECT_EQ(
        run({"--settings=saved.dat", "--lf"}, R"({"summary": "S", "settings": {"SpacingSize": 8}})").out,
        "/**\n *      S\n */\n");
}

// settings --language: the settings a language's comments are written in; --set and --unset keep
// its own choice in setting.dat, and rendering with --language follows it.
TEST_F(Render, LanguageSettings) {
    const auto field = [](const std::string &json, const std::string &key) {
        const auto start = json.find("\"" + key + "\":") + key.size() + 3;
        return json.substr(start, json.find_first_of(",}", start) - start);
    };
    const Result firstStart = run({"settings", "--language", "cpp"});
    EXPECT_EQ(field(firstStart.out, "CommentStyle") + field(firstStart.out, "DocumentStyle"), "01");
    EXPECT_EQ(firstStart.status, 0) << firstStart.err;

    const Result set =
        run({"settings", "--language=cpp", "--set", "CommentStyle=1", "--set=BoxingHeadStyle=false"});
    EXPECT_EQ(field(set.out, "CommentStyle") + field(set.out, "BoxingHeadStyle"), "1false");
    EXPECT_EQ(run({"settings"}).out, run({"settings"}, "", m_dir / "config").out)
        << "all languages unchanged";
    EXPECT_EQ(field(run({"settings"}).out, "CommentStyle"), "2");
    const std::string request =
        R"({"summary": "S", "params": [{"direction": "inout", "name": "x", "description": "d"}]})";
    EXPECT_EQ(run({"--language", "cpp", "--lf"}, request).out, "///\tS\n///\t\n///\t@param[in,out]\tx\td\n");
    EXPECT_EQ(run({"--language", "c", "--lf"}, request).out.substr(0, 3), "/**")
        << "C has no choice of its own";
    EXPECT_EQ(run({"--lf"}, request).out.substr(0, 3), "/++") << "without a language, as the desktop writes";
    // A request's own settings win over the language's choice; the rest of the choice holds.
    EXPECT_EQ(run({"--language", "cpp", "--lf"}, R"({"summary": "S", "settings": {"CommentStyle": 0}})").out,
              "/**\n *\tS\n */\n");

    const Result unset =
        run({"settings", "--language", "cpp", "--unset", "CommentStyle", "--unset", "BoxingHeadStyle"});
    EXPECT_EQ(unset.out, firstStart.out);

    const struct {
        std::vector<std::string> args;
        std::string err;
    } errors[] = {
        {{"settings", "--set", "CommentStyle=1"}, "settings: --set and --unset need --language"},
        {{"settings", "--language", "cpp", "--set", "Author=me"},
         "settings: --set: \"Author\" is no setting a language chooses (CommentStyle, DocumentStyle, "
         "SpacingStyle, "
         "SpacingSize, BoxingHeadStyle, BoxingFootStyle, BoxingSize)"},
        {{"settings", "--language", "cpp", "--set", "SpacingSize=-1"},
         "settings: --set SpacingSize=-1: expected an integer from 0 to 4294967295"},
        {{"settings", "--language", "go"}, "settings: unknown language \"go\" (expected c, cpp, d or java)"},
    };
    for (const auto &row : errors) {
        const Result result = run(row.args);
        EXPECT_EQ(result.err, "remarkist-render: " + row.err + " (see remarkist-render --help)\n");
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
    }
}

// Without --settings, setting.dat in the current folder wins over the one in the user's
// settings folder.
TEST_F(Render, SettingsFolder) {
    const auto saveAuthor = [](const fs::path &path, const char *author) {
        g_settingRecord.resetToFirstStart();
        g_settingRecord.m_author = author;
        g_settingRecord.m_path = path.string();
        fs::create_directories(path.parent_path());
        g_settingRecord.Save();
    };
    const auto author = [this] {
        const std::string out = run({"settings"}, "", m_dir / "config").out;
        const auto start = out.find("\"Author\":\"") + 10;
        return out.substr(start, out.find('"', start) - start);
    };
    EXPECT_EQ(author(), "");
    saveAuthor(m_dir / "config" / "remarkist" / "setting.dat", "user");
    EXPECT_EQ(author(), "user");
    saveAuthor(m_dir / "setting.dat", "portable");
    EXPECT_EQ(author(), "portable");
}

TEST_F(Render, Read) {
    const struct {
        const char *name;
        std::vector<std::string> args;
        std::string source, expected;
    } rows[] = {
        {"C++ recognised, after its comment",
         {"read"},
         "/** Doc. */\nint copy(const char *from, char *to, std::size_t n = 0);\n",
         R"({"kind":"function","summary":"Doc.","comment":"","note":"","returns":"","params":[)"
         R"({"direction":"in","name":"from","description":""},{"direction":"inout","name":"to","description":""},)"
         R"({"direction":"in","name":"n","description":""}],"throws":[]})"},
        {"Java recognised, with exceptions",
         {"read"},
         "public void load(String path) throws IOException, java.text.ParseException {",
         R"({"kind":"function","summary":"","comment":"","note":"","returns":"","params":[)"
         R"({"direction":"in","name":"path","description":""}],"throws":[{"type":"IOException","description":""},)"
         R"({"type":"java.text.ParseException","description":""}]})"},
        {"D given",
         {"read", "--language=d"},
         "void f(out int x);",
         R"({"kind":"function","summary":"","comment":"","note":"","returns":"","params":[)"
         R"({"direction":"out","name":"x","description":""}],"throws":[]})"},
        {"a class",
         {"read", "--language", "java"},
         "record Point(int x, int y) {}",
         R"({"kind":"class","summary":"","comment":"","note":"","returns":"","params":[],"throws":[]})"},
        {"bytes that are not UTF-8 in a name",
         {"read", "--language", "c"},
         "void f(int \xff);",
         R"({"kind":"function","summary":"","comment":"","note":"","returns":"","params":[)"
         "{\"direction\":\"in\",\"name\":\"\xef\xbf\xbd\",\"description\":\"\"}],\"throws\":[]}"},
    };
    for (const auto &row : rows) {
        const Result result = run(row.args, row.source);
        EXPECT_EQ(result.out, row.expected + "\n") << row.name;
        EXPECT_EQ(result.status, 0) << row.name << ": " << result.err;
    }
    spill(m_dir / "decl.h", "void f(int &x);");
    EXPECT_EQ(run({"read", "decl.h"}).out,
              R"({"kind":"function","summary":"","comment":"","note":"","returns":"","params":[)"
              R"({"direction":"inout","name":"x","description":""}],"throws":[]})"
              "\n");
}

// What read prints is a request: unchanged, render takes it and fails only for want of a
// summary; with one filled in, it writes the comment with the parameters read.
TEST_F(Render, ReadThenRender) {
    const Result read = run({"read"}, "void f(const char *s, int *n) throw(E);");
    ASSERT_EQ(read.status, 0) << read.err;
    const Result unchanged = run({}, read.out);
    EXPECT_EQ(unchanged.err, "remarkist-render: 概要は必ず記述する必要があります。\n");
    EXPECT_EQ(unchanged.status, 1);
    std::string request = read.out;
    request.replace(request.find(R"("summary":"")"), 12,
                    R"("summary":"S","settings":{"CommentStyle":0,)"
                    R"("DocumentStyle":1,"BoxingHeadStyle":false})");
    const Result rendered = run({"--lf"}, request);
    EXPECT_EQ(rendered.out,
              "/**\n *\tS\n *\t\n *\t@param[in]\t\ts\t\n *\t@param[inout]\tn\t\n *\t@throw\tE\t\n */\n");
    EXPECT_EQ(rendered.status, 0) << rendered.err;
}

// edit: the lines to replace as JSON; exit 1 without output when there is nothing to write.
TEST_F(Render, Edit) {
    const std::string source = "/// Old.\n/// @param gone was here\nint f(int a);\n";
    const struct {
        const char *name;
        std::vector<std::string> args;
        int status;
        std::string out, err;
    } rows[] = {
        {"a summary writes the comment anew; the renamed parameter keeps its description",
         {"edit", "--line", "3", "--summary", "New."},
         0,
         R"({"first":1,"last":2,"text":"/)" + std::string(99, '*') +
             R"(\n *\tNew.\n *\t\n *\t@param[in]\ta\twas here\n */\n",)"
             R"("summary":"New.","dropped":[]})"
             "\n",
         ""},
        {"empty summary",
         {"edit", "--line=3", "--summary="},
         1,
         "",
         "remarkist-render: 概要は必ず記述する必要があります。\n"},
        {"no declaration",
         {"edit", "--line", "4"},
         1,
         "",
         "remarkist-render: no declaration at line 4 or within the 20 lines after it\n"},
        {"no line",
         {"edit"},
         2,
         "",
         "remarkist-render: edit: --line is needed (see remarkist-render --help)\n"},
        {"line 0",
         {"edit", "--line", "0"},
         2,
         "",
         "remarkist-render: edit: --line: expected a line number from 1, got \"0\" (see remarkist-render "
         "--help)\n"},
    };
    for (const auto &row : rows) {
        const Result result = run(row.args, source);
        EXPECT_EQ(result.out, row.out) << row.name;
        EXPECT_EQ(result.err, row.err) << row.name;
        EXPECT_EQ(result.status, row.status) << row.name;
    }
}

} // namespace
