// remarkist-render check end to end: trees of files in a temporary folder, the exact findings
// and exit statuses, and what --fix leaves on disk.

#include "render/check.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

std::string slurp(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void spill(const fs::path &path, const std::string &text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

const std::string stale = "/**\n * Copies.\n * @param dst where\n * @param len how many\n */\n"
                          "void copy(char *dst, int size);\n";
const std::string staleFinding = ":4:11: warning: parameter 'len' is not in the declaration (renamed to "
                                 "'size'?) [remarkist-param-unknown]\n";
const std::string fresh = "/**\n * Copies.\n * @param dst where\n */\nvoid copy(char *dst);\n";

class Check : public ::testing::Test {
protected:
    void SetUp() override {
        static int count = 0;
        m_dir = fs::temp_directory_path() /
                ("remarkist-check-test-" + std::to_string(getpid()) + "-" + std::to_string(++count));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(m_dir);
    }

    // Runs remarkist-render check with the arguments in the test's folder; `fileLimit` bounds
    // the size of the files it writes, as a full disk would.
    Result run(const std::vector<std::string> &args, rlim_t fileLimit = RLIM_INFINITY) {
        const std::string outPath = m_dir.string() + ".out", errPath = m_dir.string() + ".err";
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(m_dir.c_str()) != 0)
                _exit(127);
            const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            const int in = open("/dev/null", O_RDONLY);
            dup2(out, 1);
            dup2(err, 2);
            dup2(in, 0);
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileLimit, fileLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::vector<std::string> all = {REMARKIST_RENDER, "check"};
            all.insert(all.end(), args.begin(), args.end());
            std::vector<char *> argv;
            for (std::string &arg : all)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        int raw = 0;
        waitpid(pid, &raw, 0);
        Result result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(outPath), slurp(errPath)};
        fs::remove(outPath);
        fs::remove(errPath);
        return result;
    }

    fs::path m_dir;
};

struct Row {
    const char *name;
    std::vector<std::pair<std::string, std::string>> files; // path, text
    std::vector<std::string> args;
    int status;
    std::string out, err = {};
};

TEST_F(Check, FindingsStatusesAndOptions) {
    const std::string twoRules = "/**\n * Runs.\n * @param x gone\n * @return x\n */\nvoid run();\n";
    const Row rows[] = {
        {"nothing found", {{"a.cpp", fresh}}, {"."}, 0, ""},
        {"a finding, as compilers write them", {{"a.cpp", stale}}, {"a.cpp"}, 1, "a.cpp" + staleFinding},
        {"no PATH: the current folder", {{"s/a.cpp", stale}}, {}, 1, "s/a.cpp" + staleFinding},
        {"a tree, in name order, with the path as given",
         {{"t/b.d", "/**\n * F.\n * Params:\n *   q = gone\n */\nvoid f();\n"},
          {"t/a/x.java", "/**\n * F.\n * @param q gone\n */\nvoid f(int a) {}\n"},
          {"t/c.txt", stale}},
         {"t"},
         1,
         "t/a/x.java:3:11: warning: parameter 'q' is not in the declaration (renamed to 'a'?) "
         "[remarkist-param-unknown]\n"
         "t/b.d:4:6: warning: parameter 'q' is not in the declaration [remarkist-param-unknown]\n"},
        {"the extensions of each language",
         {{"s.c", stale},
          {"s.h", stale},
          {"s.hpp", stale},
          {"s.ipp", stale},
          {"s.di", stale},
          {"s.md", stale}},
         {"."},
         1,
         "./s.c" + staleFinding + "./s.di" + staleFinding + "./s.h" + staleFinding + "./s.hpp" +
             staleFinding + "./s.ipp" + staleFinding},
        {"--language reads a file of any name",
         {{"s.inl", stale}},
         {"--language", "cpp", "s.inl"},
         1,
         "s.inl" + staleFinding},
        {"hidden folders are skipped", {{".git/a.cpp", stale}, {".hidden/b.cpp", stale}}, {"."}, 0, ""},
        {"--only",
         {{"a.cpp", twoRules}},
         {"--only", "return-void", "a.cpp"},
         1,
         "a.cpp:4:4: warning: return value documented, but the declaration returns nothing "
         "[remarkist-return-void]\n"},
        {"--disable",
         {{"a.cpp", twoRules}},
         {"--disable=return-void,param-order", "a.cpp"},
         1,
         "a.cpp:3:11: warning: parameter 'x' is not in the declaration [remarkist-param-unknown]\n"},
        {"--exclude a name, a path glob, a folder",
         {{"src/a.cpp", stale}, {"src/gen/b.cpp", stale}, {"src/c.gen.cpp", stale}, {"third/d.cpp", stale}},
         {"--exclude", "*.gen.cpp", "--exclude", "src/gen/**", "--exclude", "third", "."},
         1,
         "./src/a.cpp" + staleFinding},
        {"a PATH that is not there: the rest is still checked",
         {{"a.cpp", stale}},
         {"missing.cpp", "a.cpp"},
         2,
         "a.cpp" + staleFinding,
         "remarkist-render: cannot read \"missing.cpp\": No such file or directory\n"},
        {"unknown option", {}, {"--fast"}, 2, "", "remarkist-render: check: unknown option \"--fast\"\n"},
        {"unknown rule",
         {},
         {"--only", "param-x"},
         2,
         "",
         "remarkist-render: check: --only: unknown rule \"param-x\" (known: param-unknown, "
         "param-undocumented, "
         "param-order, return-void, direction-by-value, param-unnamed)\n"},
        {"bad --jobs",
         {},
         {"--jobs", "0"},
         2,
         "",
         "remarkist-render: check: --jobs: expected a number from 1, got \"0\"\n"},
        {"project file found above the PATH",
         {{".remarkist.toml", "# the project's choice\n[check]\ndisable = [\"return-void\"]\n"
                              "exclude = ['sub/gen', \"*.h\"]\n"},
          {"sub/a.cpp", twoRules},
          {"sub/gen/b.cpp", stale},
          {"sub/c.h", stale}},
         {"sub"},
         1,
         "sub/a.cpp:3:11: warning: parameter 'x' is not in the declaration [remarkist-param-unknown]\n"},
        {"the command line's --only over the project file's",
         {{".remarkist.toml", "only = \"param-unknown\"\nlanguage = \"d\"\n"}, {"a.cpp", twoRules}},
         {"--only", "return-void", "a.cpp"},
         1,
         "a.cpp:4:4: warning: return value documented, but the declaration returns nothing "
         "[remarkist-return-void]\n"},
        {"a bad project file",
         {{".remarkist.toml", "disable = [\"return-void\"]\nskip = 1\n"}, {"a.cpp", stale}},
         {"a.cpp"},
         2,
         "",
         "(the project file's path)"},
    };
    for (const Row &row : rows) {
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        for (const auto &[path, text] : row.files)
            spill(m_dir / path, text);
        const Result result = run(row.args);
        EXPECT_EQ(result.status, row.status) << row.name << "\n" << result.err;
        EXPECT_EQ(result.out, row.out) << row.name;
        if (std::string(row.name) == "a bad project file")
            EXPECT_EQ(result.err, "remarkist-render: " + (m_dir / ".remarkist.toml").string() +
                                      ":2: unknown key \"skip\" (known: disable, only, exclude, language)\n");
        else
            EXPECT_EQ(result.err, row.err) << row.name;
    }
}

TEST_F(Check, JsonAndSarif) {
    spill(m_dir / "a b.cpp", stale + "/**\n * R.\n * @return x\n */\nvoid r();\n");
    const Result json = run({"--format", "json", "."});
    EXPECT_EQ(json.status, 1);
    std::istringstream lines(json.out);
    std::vector<nlohmann::json> items;
    for (std::string line; std::getline(lines, line);)
        items.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].dump(),
              R"x({"column":11,"file":"./a b.cpp","fix":[{"begin":45,"column":11,"end":48,)x"
              R"x("endColumn":14,"endLine":4,"line":4,"text":"size"}],"line":4,)x"
              R"x("message":"parameter 'len' is not in the declaration (renamed to 'size'?)",)x"
              R"x("rule":"param-unknown"})x");
    EXPECT_FALSE(items[1].contains("fix")) << "return-void is left alone";

    const Result sarif = run({"--format", "sarif", "."});
    EXPECT_EQ(sarif.status, 1);
    const nlohmann::json log = nlohmann::json::parse(sarif.out);
    EXPECT_EQ(log["version"], "2.1.0");
    const nlohmann::json &only = log["runs"][0];
    EXPECT_EQ(only["tool"]["driver"]["rules"].size(), 6u);
    ASSERT_EQ(only["results"].size(), 2u);
    const nlohmann::json &first = only["results"][0];
    EXPECT_EQ(first["ruleId"], "param-unknown");
    EXPECT_EQ(only["tool"]["driver"]["rules"][first["ruleIndex"].get<int>()]["id"], "param-unknown");
    const nlohmann::json &location = first["locations"][0]["physicalLocation"];
    EXPECT_EQ(location["artifactLocation"]["uri"], "a%20b.cpp");
    EXPECT_EQ(location["artifactLocation"]["uriBaseId"], "%SRCROOT%");
    EXPECT_EQ(location["region"]["startLine"], 4);
    EXPECT_EQ(location["region"]["startColumn"], 11);
    const nlohmann::json &replacement = first["fixes"][0]["artifactChanges"][0]["replacements"][0];
    EXPECT_EQ(replacement["deletedRegion"]["byteOffset"], 45);
    EXPECT_EQ(replacement["insertedContent"]["text"], "size");
    EXPECT_EQ(only["originalUriBaseIds"]["%SRCROOT%"]["uri"], "file://" + m_dir.string() + "/");

    spill(m_dir / "a b.cpp", fresh);
    EXPECT_EQ(nlohmann::json::parse(run({"--format", "sarif", "."}).out)["runs"][0]["results"].size(), 0u);
}

// What cannot be read is named on standard error, and the rest is checked; nothing hangs.
TEST_F(Check, BadInput) {
    spill(m_dir / "t/a.cpp", stale);
    std::string binary(70000, '\0');
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<char>(i * 7919 % 251);
    spill(m_dir / "t/binary.c", binary);
    spill(m_dir / "t/lat\xe9.c", "/**\n * Copie \xe9.\n * @param q how \xe9\n */\nvoid f(int n);\n");
    ASSERT_EQ(mkfifo((m_dir / "t/fifo.c").c_str(), 0644), 0);
    fs::create_directory_symlink("..", m_dir / "t/up");
    fs::create_symlink("loop.c", m_dir / "t/loop.c");
    const Result walked = run({"t"});
    EXPECT_EQ(walked.status, 1);
    EXPECT_EQ(walked.out,
              "t/a.cpp" + staleFinding +
                  "t/lat\xe9.c:3:11: warning: parameter 'q' is not in the declaration (renamed to "
                  "'n'?) [remarkist-param-unknown]\n");
    EXPECT_EQ(walked.err, "remarkist-render: cannot read \"t/fifo.c\": not a regular file\n");

    const Result named = run({"t/fifo.c", "t/loop.c", "t/a.cpp"});
    EXPECT_EQ(named.status, 2);
    EXPECT_EQ(named.out, "t/a.cpp" + staleFinding);
    EXPECT_EQ(named.err, "remarkist-render: cannot read \"t/fifo.c\": not a regular file\n"
                         "remarkist-render: cannot read \"t/loop.c\": Too many levels of symbolic links\n");

    if (geteuid() != 0) { // root reads every file
        spill(m_dir / "t/secret.cpp", stale);
        fs::permissions(m_dir / "t/secret.cpp", fs::perms::none);
        EXPECT_EQ(run({"t/secret.cpp"}).err,
                  "remarkist-render: cannot read \"t/secret.cpp\": Permission denied\n");
    }

    // 100 MB of code with one stale comment at its end.
    {
        std::ofstream big(m_dir / "big.c", std::ios::binary);
        const std::string block = "/* a block */\nstatic int f(int a) { return a * 2; /* \" ' */ }\n";
        for (std::size_t size = 0; size < 100'000'000; size += block.size())
            big << block;
        big << stale;
    }
    const Result big = run({"big.c"});
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.out.find("big.c:"), std::string::npos);
}

TEST_F(Check, FixChangesOnlyTheLinesItRepairs) {
    // CR LF lines, a Latin-1 byte and a mode of its own stay; the return-void finding stays too.
    const std::string crlf = "// keep \xe9\r\n/**\r\n * Adds.\r\n * @param a one\r\n * @param c three\r\n"
                             " * @return x\r\n */\r\nvoid add(int a, int b);\r\n";
    spill(m_dir / "src/crlf.cpp", crlf);
    fs::permissions(m_dir / "src/crlf.cpp", fs::perms(0640));
    spill(m_dir / "src/fresh.cpp", fresh);
    spill(m_dir / "src/unfixable.cpp", "/**\n * Runs.\n * @return x\n */\nvoid run();\n");
    const auto inode = [&](const char *name) {
        struct stat st {};
        stat((m_dir / "src" / name).c_str(), &st);
        return std::pair(st.st_ino, st.st_mtim.tv_nsec);
    };
    const auto freshBefore = inode("fresh.cpp"), unfixableBefore = inode("unfixable.cpp");

    const Result fixed = run({"--fix", "src"});
    EXPECT_EQ(fixed.status, 1) << "something was found";
    EXPECT_EQ(fixed.err, "remarkist-render: fixed 1 comment in 1 file\n");
    EXPECT_EQ(slurp(m_dir / "src/crlf.cpp"),
              "// keep \xe9\r\n/**\r\n * Adds.\r\n * @param a one\r\n"
              " * @param b three\r\n * @return x\r\n */\r\nvoid add(int a, int b);\r\n");
    EXPECT_EQ(fs::status(m_dir / "src/crlf.cpp").permissions(), fs::perms(0640));
    EXPECT_EQ(inode("fresh.cpp"), freshBefore) << "a file without findings is not touched";
    EXPECT_EQ(inode("unfixable.cpp"), unfixableBefore) << "nor one with findings --fix leaves alone";
    for (const auto &item : fs::directory_iterator(m_dir / "src"))
        EXPECT_FALSE(item.path().filename().string().starts_with(".")) << "temporary file left";

    const Result after = run({"src"});
    EXPECT_EQ(after.out,
              "src/crlf.cpp:6:4: warning: return value documented, but the declaration returns nothing "
              "[remarkist-return-void]\n"
              "src/unfixable.cpp:3:4: warning: return value documented, but the declaration returns "
              "nothing [remarkist-return-void]\n");
}

TEST_F(Check, FixNeverLosesAFile) {
    spill(m_dir / "readonly.cpp", stale);
    fs::permissions(m_dir / "readonly.cpp", fs::perms(0444));
    const Result readOnly = run({"--fix", "readonly.cpp"});
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_EQ(readOnly.err, "remarkist-render: \"readonly.cpp\" is read-only; not written\n");
    EXPECT_EQ(slurp(m_dir / "readonly.cpp"), stale);

    // A full disk: writing stops at 4 KB; the file stays as it was, and no temporary file stays.
    const std::string large = std::string(8000, '\n') + stale;
    spill(m_dir / "large.cpp", large);
    const Result full = run({"--fix", "large.cpp"}, 4096);
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "remarkist-render: cannot write \"large.cpp\": File too large; not written\n");
    EXPECT_EQ(slurp(m_dir / "large.cpp"), large);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto &item : fs::directory_iterator(m_dir))
        ++files;
    EXPECT_EQ(files, 2u);

    // A file that changed on disk after it was read is not written over.
    spill(m_dir / "changed.cpp", stale + "// edited meanwhile\n");
    EXPECT_EQ(replaceFile((m_dir / "changed.cpp").string(), stale, fresh),
              "\"" + (m_dir / "changed.cpp").string() + "\" changed while it was being checked; not written");
    EXPECT_EQ(slurp(m_dir / "changed.cpp"), stale + "// edited meanwhile\n");

    // A comment that cannot take the change in place is named and left as it is; one that can is
    // fixed, and the check afterwards finds nothing.
    const std::string oneLine = "/** @param a one */\nint add(int a, int b);\n";
    spill(m_dir / "oneline.cpp", oneLine);
    const Result fixedOne = run({"--fix", "oneline.cpp"});
    const bool named = fixedOne.err.starts_with(
        "remarkist-render: oneline.cpp:1: comment not fixed: it cannot take the change in place\n");
    EXPECT_EQ(named, slurp(m_dir / "oneline.cpp") == oneLine) << fixedOne.err;
    if (!named) {
        EXPECT_EQ(run({"oneline.cpp"}).out, "");
    }

    // Through a link, the file it points to is replaced and the link stays.
    spill(m_dir / "real.cpp", stale);
    fs::create_symlink("real.cpp", m_dir / "link.cpp");
    EXPECT_EQ(replaceFile((m_dir / "link.cpp").string(), stale, fresh), "");
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.cpp"));
    EXPECT_EQ(slurp(m_dir / "real.cpp"), fresh);
}

// In a git work tree, what git ignores is skipped, unless it is named.
TEST_F(Check, GitIgnore) {
    if (std::system("git --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "git is not installed";
    spill(m_dir / ".gitignore", "build/\n*.gen.cpp\n");
    spill(m_dir / "src/a.cpp", stale);
    spill(m_dir / "src/b.gen.cpp", stale);
    spill(m_dir / "build/c.cpp", stale);
    ASSERT_EQ(std::system(("git init -q " + m_dir.string()).c_str()), 0);
    EXPECT_EQ(run({"."}).out, "./src/a.cpp" + staleFinding);
    EXPECT_EQ(run({"src"}).out, "src/a.cpp" + staleFinding);
    EXPECT_EQ(run({"src/b.gen.cpp"}).out, "src/b.gen.cpp" + staleFinding);
}

// Any number of jobs gives the same output, in the same order.
TEST_F(Check, Jobs) {
    for (int i = 0; i < 40; ++i)
        spill(m_dir / ("d" + std::to_string(i % 4)) / ("f" + std::to_string(i) + ".cpp"),
              std::string(i * 500, '\n') + stale);
    const Result one = run({"--jobs", "1", "."});
    EXPECT_EQ(one.status, 1);
    EXPECT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 40);
    for (const char *jobs : {"3", "16"})
        EXPECT_EQ(run({"--jobs", jobs, "."}).out, one.out) << jobs;
}

} // namespace
