#include "core/common/settingrecord.h"

#include "core/Orvex/Exception.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Style = SettingData;

std::string readBytes(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path &path, const std::string &bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string treeIn(const fs::path &path) {
    const std::string bytes = readBytes(path);
    Orvex::MemoryLoader source(bytes);
    Orvex::TSerializingSetting tree;
    tree.Load(source);
    return tree.toString();
}

// The fields as text, enumerations as numbers: "2 2 0 4 1 0 100 |date|copyright|author".
std::string fields(const CSettingData &s) {
    std::ostringstream out;
    out << int(s.commentStyle()) << ' ' << int(s.documentStyle()) << ' ' << int(s.spacingStyle()) << ' '
        << s.spacingSize() << ' ' << s.boxingHeadStyle() << ' ' << s.boxingFootStyle() << ' '
        << s.boxingSize() << " |" << s.dateFormat() << '|' << s.copyright() << '|' << s.author();
    return out.str();
}

const std::string defaults = std::string("2 2 0 4 1 0 100 |") + defaultDateFormat + "||";

class SettingRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "settingrecord-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        file = dir / "setting.dat";
        record.m_path = file.string();
    }
    void TearDown() override {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    // Files other than setting.dat, such as a temporary file left behind.
    std::vector<std::string> strayFiles() const {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(dir))
            if (entry.path().filename() != "setting.dat")
                names.push_back(entry.path().filename().string());
        return names;
    }

public:
    fs::path dir, file;
    CSettingData record;
};

TEST_F(SettingRecordTest, FirstStartGivesDefaults) {
    EXPECT_EQ(fields(record), "0 0 0 0 0 0 0 |||");
    record.Load();
    EXPECT_EQ(fields(record), defaults);
    EXPECT_EQ(record.windowX(), 0);
    EXPECT_EQ(record.windowY(), 0);
    // Outside a rendering for one language, g_settingData reads the record.
    g_settingRecord.m_spacingSize = 7;
    EXPECT_EQ(g_settingData.spacingSize(), 7u);
}

TEST_F(SettingRecordTest, SavedDefaultsHoldTheTenKeysInOrder) {
    record.Load();
    record.Save();
    EXPECT_EQ(treeIn(file),
              std::string("[CommentStyle:\"/++_+/\",DocumentStyle:\"DDoc\",SpacingStyle:\"Tab\","
                          "SpacingSize:\"4\",BoxingHeadStyle:\"true\",BoxingFootStyle:\"false\","
                          "BoxingSize:\"100\",DateFormat:\"") +
                  defaultDateFormat + "\",Copyright:\"\",Author:\"\"]");
    CSettingData again;
    again.m_path = record.m_path;
    again.Load();
    EXPECT_EQ(fields(again), defaults);
}

TEST_F(SettingRecordTest, StoredTexts) {
    struct Row {
        const char *name;
        std::function<void(CSettingData &)> set;
        const char *key;
        std::string text; // "" for an empty child
    };
    // clang-format off
    const Row rows[] = {
        {"C", [](CSettingData& s) { s.m_commentStyle = Style::CommentStyle::C; }, "CommentStyle", "/**_*/"},
        {"Java", [](CSettingData& s) { s.m_commentStyle = Style::CommentStyle::Java; }, "CommentStyle", "///_"},
        {"comment style 7", [](CSettingData& s) { s.m_commentStyle = Style::CommentStyle(7); }, "CommentStyle",
         "/++_+/"},
        {"DoxygenBS", [](CSettingData& s) { s.m_documentStyle = Style::DocumentStyle::DoxygenBS; }, "DocumentStyle",
         "\\"},
        {"DoxygenAT", [](CSettingData& s) { s.m_documentStyle = Style::DocumentStyle::DoxygenAT; }, "DocumentStyle",
         "@"},
        {"document style -1", [](CSettingData& s) { s.m_documentStyle = Style::DocumentStyle(-1); }, "DocumentStyle",
         "DDoc"},
        {"Space", [](CSettingData& s) { s.m_spacingStyle = Style::SpacingStyle::Space; }, "SpacingStyle", "Space"},
        {"TabSpace", [](CSettingData& s) { s.m_spacingStyle = Style::SpacingStyle::TabSpace; }, "SpacingStyle",
         "TabSpace"},
        {"size 0", [](CSettingData& s) { s.m_spacingSize = 0; }, "SpacingSize", "0"},
        {"largest size", [](CSettingData& s) { s.m_boxingSize = 4294967295u; }, "BoxingSize", "4294967295"},
        {"flag false", [](CSettingData& s) { s.m_boxingHeadStyle = false; }, "BoxingHeadStyle", "false"},
        {"flag true", [](CSettingData& s) { s.m_boxingFootStyle = true; }, "BoxingFootStyle", "true"},
        {"empty date format", [](CSettingData& s) { s.m_dateFormat.clear(); }, "DateFormat", ""},
        {"author", [](CSettingData& s) { s.m_author = "山田"; }, "Author", "山田"},
    };
    // clang-format on
    for (const Row &row : rows) {
        CSettingData s;
        s.m_path = record.m_path;
        s.Load();
        row.set(s);
        s.Save();
        const auto child = s.m_setting.root()->opIndex(row.key);
        EXPECT_EQ(child->isLeaf() ? child->toLeaf() : "", row.text) << row.name;
    }
}

TEST_F(SettingRecordTest, LoadConvertsTheTree) {
    struct Row {
        const char *name;
        const char *key;
        const char *text; // nullptr: key absent; "[]": a branch
        std::string expected;
    };
    const std::string date = defaultDateFormat;
    // clang-format off
    const Row rows[] = {
        {"C", "CommentStyle", "/**_*/", "0 2 0 4 1 0 100 |" + date + "||"},
        {"Java", "CommentStyle", "///_", "1 2 0 4 1 0 100 |" + date + "||"},
        {"unknown comment style", "CommentStyle", "/**", defaults},
        {"comment style as branch", "CommentStyle", "[]", defaults},
        {"backslash", "DocumentStyle", "\\", "2 0 0 4 1 0 100 |" + date + "||"},
        {"at-sign", "DocumentStyle", "@", "2 1 0 4 1 0 100 |" + date + "||"},
        {"Space", "SpacingStyle", "Space", "2 2 1 4 1 0 100 |" + date + "||"},
        {"lower-case tab is TabSpace", "SpacingStyle", "tab", "2 2 2 4 1 0 100 |" + date + "||"},
        {"empty spacing style is absent", "SpacingStyle", "", defaults},
        {"size with blank and letters", "SpacingSize", " 12ab", "2 2 0 12 1 0 100 |" + date + "||"},
        {"hexadecimal size", "SpacingSize", "0x10", "2 2 0 16 1 0 100 |" + date + "||"},
        {"letters only", "SpacingSize", "abc", "2 2 0 0 1 0 100 |" + date + "||"},
        {"minus one", "SpacingSize", "-1", "2 2 0 4294967295 1 0 100 |" + date + "||"},
        {"capital True is false", "BoxingHeadStyle", "True", "2 2 0 4 0 0 100 |" + date + "||"},
        {"foot true", "BoxingFootStyle", "true", "2 2 0 4 1 1 100 |" + date + "||"},
        {"foot yes is false", "BoxingFootStyle", "yes", defaults},
        {"box size", "BoxingSize", "80", "2 2 0 4 1 0 80 |" + date + "||"},
        {"date format", "DateFormat", "%Y4%", "2 2 0 4 1 0 100 |%Y4%||"},
        {"empty date format is the default", "DateFormat", "", defaults},
        {"copyright", "Copyright", "(c) 2024", "2 2 0 4 1 0 100 |" + date + "|(c) 2024|"},
        {"author", "Author", "山田", "2 2 0 4 1 0 100 |" + date + "||山田"},
    };
    // clang-format on
    for (const Row &row : rows) {
        CSettingData s;
        s.m_path = (dir / "missing.dat").string(); // Load keeps the tree built here
        if (std::string_view(row.text) == "[]")
            s.m_setting.root()->opIndex(row.key)->opIndexAssign("x", "y");
        else
            s.m_setting.opIndexAssign(row.text, row.key);
        s.Load();
        EXPECT_EQ(fields(s), row.expected) << row.name;
    }
}

TEST_F(SettingRecordTest, WindowPosition) {
    struct Row {
        const char *name;
        const char *text; // nullptr: key absent; "[]": a branch
        std::int32_t expected;
    };
    // clang-format off
    const Row rows[] = {
        {"absent", nullptr, 0},
        {"negative", "-120", -120},
        {"largest", "0x7fffffff", 2147483647},
        {"wraps to 32 bits", "4294967295", -1},
        {"a branch reads as 0", "[]", 0},
        {"empty child", "", 0},
    };
    // clang-format on
    for (const Row &row : rows) {
        CSettingData s;
        if (row.text && std::string_view(row.text) == "[]") {
            s.m_setting.root()->opIndex("WindowX")->opIndexAssign("1", "y");
            s.m_setting.root()->opIndex("WindowY")->opIndexAssign("1", "y");
        } else if (row.text) {
            s.m_setting.opIndexAssign(row.text, "WindowX");
            s.m_setting.opIndexAssign(row.text, "WindowY");
        }
        EXPECT_EQ(s.windowX(), row.expected) << row.name;
        EXPECT_EQ(s.windowY(), row.expected) << row.name;
    }
}

TEST(SettingNumber, Reading) {
    struct Row {
        const char *text;
        std::uint32_t expected;
    };
    // clang-format off
    const Row rows[] = {
        {"", 0},           {"0", 0},          {"7", 7},          {"\t 7", 7},          {"012", 12},
        {"099", 99},       {"0x", 0},         {"0XfF", 255},     {"0x1g", 1},          {"0b101", 5},
        {"0B2", 0},        {"0o17", 15},      {"0O8", 0},        {"+-+5", 5},          {"-+-5", 4294967291u},
        {"- 3", 4294967293u}, {"-0x1", 4294967295u}, {"4294967296", 0}, {"4294967297", 1}, {"12 34", 12},
    };
    // clang-format on
    for (const Row &row : rows)
        EXPECT_EQ(readSettingNumber(row.text), row.expected) << '"' << row.text << '"';
}

TEST_F(SettingRecordTest, SaveAndLoadKeepEverything) {
    writeBytes(file, "");
    record.Load();
    record.m_setting.opIndexAssign("-8", "WindowX");
    record.m_setting.opIndexAssign("kept", "Unknown");
    record.m_commentStyle = Style::CommentStyle::Java;
    record.m_documentStyle = Style::DocumentStyle::DoxygenAT;
    record.m_spacingStyle = Style::SpacingStyle::Space;
    record.m_spacingSize = 2;
    record.m_boxingHeadStyle = false;
    record.m_boxingFootStyle = true;
    record.m_boxingSize = 72;
    record.m_dateFormat = "%D2%";
    record.m_copyright = "© 2024";
    record.m_author = "Author \"A\"";
    record.Save();
    const std::string expected = fields(record);

    CSettingData again;
    again.m_path = record.m_path;
    again.Load();
    EXPECT_EQ(fields(again), expected);
    EXPECT_EQ(again.windowX(), -8);
    EXPECT_EQ(again.windowY(), 0);
    again.Save();
    EXPECT_TRUE(again.m_setting.exists({"Unknown"}));

    // A damaged file leaves the tree as the last Save made it.
    writeBytes(file, "not a settings file");
    record.m_author = "changed";
    record.Load();
    EXPECT_EQ(fields(record), expected);
}

// Each language's own choice goes under "Languages" beside the ten keys and comes back; a file
// from before it, or whose choices were all unset again, is saved as it was.
TEST_F(SettingRecordTest, LanguageChoicesRoundTrip) {
    record.Load();
    record.m_setting.opIndexAssign("12", "WindowX");
    record.Save();
    const std::string before = readBytes(file);

    CSettingData old;
    old.m_path = record.m_path;
    old.Load();
    EXPECT_TRUE(old.m_languageChoices.empty());
    old.Save();
    EXPECT_EQ(readBytes(file), before) << "a file without choices is saved byte for byte";

    record.m_languageChoices[Language::Cpp] = {{"CommentStyle", "///_"}, {"SpacingSize", "2"}};
    record.m_languageChoices[Language::Java] = {{"BoxingHeadStyle", "false"}};
    record.Save();
    const std::string tree = treeIn(file);
    EXPECT_NE(tree.find(R"(,Author:"",Languages:[cpp:[CommentStyle:"///_",SpacingSize:"2"],)"
                        R"(java:[BoxingHeadStyle:"false"]]])"),
              std::string::npos)
        << tree;

    CSettingData again;
    again.m_path = record.m_path;
    again.Load();
    EXPECT_EQ(again.m_languageChoices, record.m_languageChoices);
    EXPECT_EQ(fields(again), defaults) << "the keys of all languages keep their values";
    EXPECT_EQ(int(again.settingsFor(Language::Cpp).commentStyle()), 1);
    EXPECT_EQ(again.settingsFor(Language::Cpp).spacingSize(), 2u);
    EXPECT_EQ(int(again.settingsFor(Language::C).commentStyle()), 0) << "C follows all languages, fitted";
    EXPECT_FALSE(again.settingsFor(Language::Java).boxingHeadStyle());

    again.m_languageChoices.clear();
    again.Save();
    EXPECT_EQ(readBytes(file), before) << "with every choice unset the file is what it was";

    // What this program does not know in the branch stays; it reads no choice from it.
    const auto languages = again.m_setting.root()->opIndex("Languages");
    languages->opIndex("rust")->opIndexAssign("x", "CommentStyle");
    languages->opIndex("d")->opIndexAssign("x", "Author");
    languages->opIndexAssign("leaf", "c");
    again.m_languageChoices[Language::Cpp] = {{"SpacingStyle", "Space"}};
    again.Save();
    again.Load();
    EXPECT_EQ(again.m_languageChoices,
              (std::map<Language, LanguageChoice>{{Language::Cpp, {{"SpacingStyle", "Space"}}}}));
    again.m_languageChoices.clear();
    again.Save();
    EXPECT_NE(treeIn(file).find(R"(Languages:[rust:[CommentStyle:"x"],d:[Author:"x"],c:"leaf"])"),
              std::string::npos)
        << treeIn(file);
}

TEST_F(SettingRecordTest, ChoosingKeepsWhatDiffersFromAllLanguages) {
    record.Load();
    SettingValues wanted = record.settingsFor(Language::Cpp);
    record.chooseForLanguage(Language::Cpp, wanted);
    EXPECT_TRUE(record.m_languageChoices.empty()) << "what C++ follows anyway is no choice";
    wanted.m_spacingStyle = Style::SpacingStyle::Space;
    wanted.m_author = "not per language";
    record.chooseForLanguage(Language::Cpp, wanted);
    EXPECT_EQ(record.m_languageChoices.at(Language::Cpp), (LanguageChoice{{"SpacingStyle", "Space"}}));
    EXPECT_EQ(record.m_author, "");
}

// A rendering for a language reads its settings on its own thread only.
TEST_F(SettingRecordTest, UseSettingsIsPerThread) {
    record.Load();
    g_settingRecord.m_spacingSize = 4;
    SettingValues other = g_settingRecord;
    other.m_spacingSize = 9;
    const UseSettings use(other);
    EXPECT_EQ(g_settingData.spacingSize(), 9u);
    std::uint32_t elsewhere = 0;
    std::thread([&] { elsewhere = g_settingData.spacingSize(); }).join();
    EXPECT_EQ(elsewhere, 4u);
}

// Where the settings live: setting.dat in the current folder when it is there, else the user's
// configuration folder, whose remarkist folder the first save makes.
TEST_F(SettingRecordTest, SettingsPathLookup) {
    struct Row {
        const char *name;
        bool here;           // setting.dat exists in the current folder
        const char *config;  // XDG_CONFIG_HOME below dir, "" unset, "relative" a relative one
        const char *home;    // HOME below dir, "" unset
        const char *written; // where the first save puts the file, below dir
    };
    const Row rows[] = {
        {"portable copy in the current folder", true, "xdg", "home", "work/setting.dat"},
        {"XDG_CONFIG_HOME", false, "xdg", "home", "xdg/remarkist/setting.dat"},
        {"~/.config when XDG_CONFIG_HOME is unset", false, "", "home", "home/.config/remarkist/setting.dat"},
        {"a relative XDG_CONFIG_HOME counts as unset", false, "relative", "home",
         "home/.config/remarkist/setting.dat"},
        {"no home at all: the current folder", false, "", "", "work/setting.dat"},
    };
    const fs::path before = fs::current_path();
    const auto setOrUnset = [&](const char *variable, const char *value) {
        if (std::string_view(value).empty())
            ::unsetenv(variable);
        else
            ::setenv(variable, std::string_view(value) == "relative" ? value : (dir / value).c_str(), 1);
    };
    const char *savedHome = std::getenv("HOME"), *savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string home = savedHome ? savedHome : "", config = savedConfig ? savedConfig : "";
    for (const Row &row : rows) {
        fs::remove_all(dir);
        fs::create_directories(dir / "work");
        fs::current_path(dir / "work");
        if (row.here)
            writeBytes("setting.dat", "");
        setOrUnset("XDG_CONFIG_HOME", row.config);
        setOrUnset("HOME", row.home);
        CSettingData s;
        s.Load();
        s.Save();
        EXPECT_TRUE(fs::is_regular_file(dir / row.written)) << row.name;
        EXPECT_EQ(fs::path(s.settingsPath()), row.here || !*row.home ? "setting.dat" : dir / row.written)
            << row.name;
        fs::current_path(before);
    }
    savedHome ? ::setenv("HOME", home.c_str(), 1) : ::unsetenv("HOME");
    savedConfig ? ::setenv("XDG_CONFIG_HOME", config.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SettingRecordTest, SaveKeepsLinkAndMode) {
    record.Load();
    writeBytes(dir / "real.dat", "old");
    fs::permissions(dir / "real.dat", fs::perms(0640));
    fs::create_symlink("real.dat", file);
    record.Save();
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(fs::status(dir / "real.dat").permissions(), fs::perms(0640));
    EXPECT_NE(readBytes(dir / "real.dat"), "old");
    EXPECT_TRUE(fs::exists(file));
}

TEST_F(SettingRecordTest, FailedSaveKeepsTheOldFile) {
    struct Row {
        const char *name;
        std::function<void(SettingRecordTest &)> arrange;
    };
    // clang-format off
    const Row rows[] = {
        {"read-only file", [](SettingRecordTest& t) { fs::permissions(t.file, fs::perms(0444)); }},
        {"missing directory", [](SettingRecordTest& t) { t.record.m_path = (t.dir / "no" / "setting.dat").string(); }},
        {"path is a directory", [](SettingRecordTest& t) { t.record.m_path = t.dir.string(); }},
        {"path is a named pipe", [](SettingRecordTest& t) { t.record.m_path = (t.dir / "pipe").string(); ::mkfifo(t.record.m_path.c_str(), 0600); }},
        {"file size limit reached part-way",
         [](SettingRecordTest& t) {
             t.record.m_author.assign(100000, 'a');
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{4096, RLIM_INFINITY};
             setrlimit(RLIMIT_FSIZE, &limit);
         }},
    };
    // clang-format on
    for (const Row &row : rows) {
        record.Load();
        record.Save();
        const std::string old = readBytes(file);
        record.m_author = "new";
        row.arrange(*this);
        try {
            record.Save();
            ADD_FAILURE() << row.name << ": saved";
        } catch (const Orvex::Exception &e) {
            EXPECT_STREQ(e.what(), "ファイルの保存に失敗しました。") << row.name;
        }
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &unlimited);
        std::signal(SIGXFSZ, SIG_DFL);
        EXPECT_EQ(readBytes(file), old) << row.name;
        fs::remove(dir / "pipe");
        EXPECT_EQ(strayFiles(), std::vector<std::string>{}) << row.name;
        fs::permissions(file, fs::perms(0644));
        record.m_path = file.string();
    }
}

TEST_F(SettingRecordTest, NamedPipeLoadsWithoutWaiting) {
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    record.Load();
    EXPECT_EQ(fields(record), defaults);
}

TEST_F(SettingRecordTest, KilledWhileSavingKeepsTheOldFile) {
    record.Load();
    record.Save();
    const std::string old = readBytes(file);
    record.m_author.assign(100000, 'a');
    const auto saveBeyondTheLimit = [this] {
        const rlimit limit{4096, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        record.Save();
    };
    EXPECT_EXIT(saveBeyondTheLimit(), ::testing::KilledBySignal(SIGXFSZ), "");
    EXPECT_EQ(readBytes(file), old);
}

TEST_F(SettingRecordTest, DamagedFilesNeverLockTheUserOut) {
    struct Row {
        const char *name;
        std::string bytes;
    };
    const std::string head("\xAF\x34\x00\x12\x00\x99\x16\xFF\x00", 9);
    // clang-format off
    const Row rows[] = {
        {"root is a leaf", head + std::string("\x02\x01\0\0\0\0\0\0\0x", 10)},
        {"huge child count", head + "\x01" + std::string(7, '\xFF') + "\x7F"},
        {"wrong signature", "garbage"},
        {"empty file", ""},
    };
    // clang-format on
    for (const Row &row : rows) {
        CSettingData s;
        s.m_path = file.string();
        writeBytes(file, row.bytes);
        s.Load();
        EXPECT_EQ(fields(s), defaults) << row.name;
        s.m_author = "saved";
        EXPECT_NO_THROW(s.Save()) << row.name;
        s.m_author.clear();
        s.Load();
        EXPECT_EQ(s.author(), "saved") << row.name;
    }
}

} // namespace
