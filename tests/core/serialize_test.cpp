#include "core/Orvex/Util/Setting.h"

#include "core/Orvex/Exception.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

using Orvex::MemoryLoader;
using Orvex::StringSaver;
using Orvex::TSerializingSetting;

// "AF 34 'ab'" gives the bytes AF 34 61 62.
std::string bytes(const std::string &text) {
    std::string out;
    std::istringstream in(text);
    std::string word;
    while (in >> word) {
        if (word.front() == '\'')
            out += word.substr(1, word.size() - 2);
        else
            out += static_cast<char>(std::stoi(word, nullptr, 16));
    }
    return out;
}

const std::string head = bytes("AF 34 00 12 00 99 16 FF 00");
const std::string one = bytes("01 00 00 00 00 00 00 00");
const std::string two = bytes("02 00 00 00 00 00 00 00");
const std::string huge = bytes("FF FF FF FF FF FF FF 7F");
const std::string nul(1, '\0');

std::string saved(TSerializingSetting &tree) {
    std::string out;
    StringSaver sink(out);
    tree.Save(sink);
    return out;
}

// Loads the stream into a tree that already holds [old:"1"]; returns the error text, if any.
std::string load(TSerializingSetting &tree, const std::string &stream) {
    tree.opIndexAssign("1", "old");
    MemoryLoader source(stream);
    try {
        tree.Load(source);
    } catch (const Orvex::Exception &e) {
        return e.what();
    }
    return "";
}

TEST(SettingStream, SavesExactBytes) {
    TSerializingSetting empty;
    EXPECT_EQ(saved(empty), bytes("AF 34 00 12 00 99 16 FF 00 00"));

    TSerializingSetting example;
    example.opIndexAssign("4", "SpacingSize");
    EXPECT_EQ(saved(example), bytes("AF 34 00 12 00 99 16 FF 00 01 01 00 00 00 00 00 00 00 0B 00 00 00 00 00 "
                                    "00 00 'SpacingSize' 02 01 00 00 00 00 00 00 00 34"));
    EXPECT_EQ(saved(example).size(), 47u);
}

TEST(SettingStream, Loads) {
    struct Row {
        const char *name;
        std::string stream;
        std::string tree;
    };
    const std::string keyA = bytes("01 00 00 00 00 00 00 00 'A'");
    // clang-format off
    const Row rows[] = {
        {"empty tree", head + bytes("00"), "\"\""},
        {"9 bytes: the root kind reads as 0", head, "\"\""},
        {"8 bytes: the text code reads as 0", head.substr(0, 8), "\"\""},
        {"worked example", head + "\1" + one + bytes("0B 00 00 00 00 00 00 00 'SpacingSize' 02") + one + "4",
         "[SpacingSize:\"4\"]"},
        {"branch with count 0 is empty", head + "\1" + std::string(8, '\0'), "\"\""},
        {"leaf of length 0 is empty", head + "\2" + std::string(8, '\0'), "\"\""},
        {"root leaf", head + "\2" + one + "v", "v"},
        {"later duplicate replaces the earlier", head + "\1" + two + keyA + "\2" + one + "x" + keyA + "\2" + one + "y",
         "[A:\"y\"]"},
        {"empty key", head + "\1" + one + std::string(8, '\0') + "\2" + one + "v", "[:\"v\"]"},
        {"nested branch", head + "\1" + one + keyA + "\1" + one + keyA + nul + "trailing",
         "[A:[A:\"\"]]"},
        {"UTF-16 key", bytes("AF 34 00 12 00 99 16 FF 01 01") + one + bytes("04 00 00 00 00 00 00 00 41 00 42 00 00"),
         "[AB:\"\"]"},
        {"UTF-16 odd last byte dropped",
         bytes("AF 34 00 12 00 99 16 FF 01 01") + one + bytes("05 00 00 00 00 00 00 00 41 00 42 00 43 00"),
         "[AB:\"\"]"},
        {"UTF-16 surrogate pair and kana",
         bytes("AF 34 00 12 00 99 16 FF 01 02 06 00 00 00 00 00 00 00 3D D8 00 DE 42 30"), "😀あ"},
        {"UTF-32 with remainder dropped",
         bytes("AF 34 00 12 00 99 16 FF 02 02 0A 00 00 00 00 00 00 00 42 30 00 00 41 00 00 00 FF FF"), "あA"},
        // Past the end the missing children read as empty nodes under the empty key.
        {"count runs past the end", head + "\1" + bytes("03 00 00 00 00 00 00 00") + keyA + nul, "[A:\"\",:\"\"]"},
        {"kind byte missing at the end", head + "\1" + one + keyA, "[A:\"\"]"},
    };
    // clang-format on
    for (const Row &row : rows) {
        TSerializingSetting tree;
        EXPECT_EQ(load(tree, row.stream), "") << row.name;
        EXPECT_EQ(tree.toString(), row.tree) << row.name;
    }
}

TEST(SettingStream, LoadErrors) {
    struct Row {
        const char *name;
        std::string stream;
        const char *message;
        std::string tree; // what the tree holds afterwards
    };
    const std::string keyA = bytes("01 00 00 00 00 00 00 00 'A'");
    const std::string unchanged = "[old:\"1\"]";
    // clang-format off
    const Row rows[] = {
        {"empty stream", "", "Setting.Load:SIGNATUREが変", unchanged},
        {"7 bytes", head.substr(0, 7), "Setting.Load:SIGNATUREが変", unchanged},
        {"first byte differs", "\xAE" + head.substr(1) + nul, "Setting.Load:SIGNATUREが変", unchanged},
        {"text code 3", head.substr(0, 8) + "\3\0", "Setting.Load:文字列のコード番号が正しくない値。", unchanged},
        {"kind 3 at the root", head + "\3", "Setting.Load:セクションの値が異常なファイルを読み込んだ", "\"\""},
        {"kind 3 after a complete child", head + "\1" + two + keyA + "\2" + one + "x" + keyA + "\1" + one + keyA + "\3",
         "Setting.Load:セクションの値が異常なファイルを読み込んだ", "[A:\"x\"]"},
        {"huge child count", head + "\1" + huge, "Setting.Load:個数か長さがデータの残りより大きい。", "\"\""},
        {"count beyond the bytes left", head + "\1" + bytes("0A 00 00 00 00 00 00 00 00 00"),
         "Setting.Load:個数か長さがデータの残りより大きい。", "\"\""},
        {"huge key length after a complete child", head + "\1" + two + keyA + nul + huge,
         "Setting.Load:個数か長さがデータの残りより大きい。", "[A:\"\"]"},
        {"value cut short", head + "\2" + bytes("05 00 00 00 00 00 00 00 'ab'"),
         "Setting.Load:個数か長さがデータの残りより大きい。", "\"\""},
        {"UTF-32 beyond U+10FFFF", bytes("AF 34 00 12 00 99 16 FF 02 02 04 00 00 00 00 00 00 00 00 00 11 00"),
         "Setting.Load:文字列をUTF-8に変換できない。", "\"\""},
        {"UTF-16 lone surrogate", bytes("AF 34 00 12 00 99 16 FF 01 02 02 00 00 00 00 00 00 00 00 DC"),
         "Setting.Load:文字列をUTF-8に変換できない。", "\"\""},
    };
    // clang-format on
    for (const Row &row : rows) {
        TSerializingSetting tree;
        EXPECT_EQ(load(tree, row.stream), row.message) << row.name;
        EXPECT_EQ(tree.toString(), row.tree) << row.name;
    }
}

TEST(SettingStream, RoundTrip) {
    TSerializingSetting tree;
    tree.opIndexAssign("値", "キー");
    tree.opIndexAssign("", "empty");
    tree.opIndexAssign("x", "");
    tree.root()->opIndex("branch")->opIndex("deeper")->opIndexAssign("with \"quotes\" and \0 bytes", "leaf");
    for (int i = 0; i < 20; ++i) // enough keys for a branch to be indexed
        tree.root()->opIndex("many")->opIndexAssign(std::to_string(i), "k" + std::to_string(i));
    const std::string stream = saved(tree);

    TSerializingSetting copy;
    EXPECT_EQ(load(copy, stream), "");
    EXPECT_EQ(copy.toString(), tree.toString());
    EXPECT_EQ(saved(copy), stream);
}

TEST(SettingStream, DeepNestingNeedsNoDeepStack) {
    constexpr int depth = 100'000;
    const std::string level = "\1" + one + std::string(8, '\0'); // one child under the empty key
    std::string stream = head;
    for (int i = 0; i < depth; ++i)
        stream += level;
    stream += "\2" + one + "v";

    TSerializingSetting tree;
    EXPECT_EQ(load(tree, stream), "");
    EXPECT_EQ(saved(tree), stream);
    EXPECT_EQ(tree.toString().size(), 3u * depth + 3);
}

// Damaged copies of valid streams: every load ends, and what it leaves saves and loads back
// unchanged. Run under the sanitizers, this also finds leaks and overreads.
TEST(SettingStream, MutatedStreamsLoadSafely) {
    TSerializingSetting sample;
    sample.opIndexAssign("/++_+/", "CommentStyle");
    sample.opIndexAssign("", "Author");
    sample.root()->opIndex("Nested")->opIndex("Deeper")->opIndexAssign("1", "Leaf");
    for (int i = 0; i < 12; ++i)
        sample.root()->opIndex("Wide")->opIndexAssign("v", std::to_string(i));
    const std::string valid = saved(sample);

    std::mt19937 random(20240611);
    const auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int round = 0; round < 3000; ++round) {
        std::string stream = valid;
        for (int edits = 1 + int(below(4)); edits > 0; --edits) {
            const std::size_t at = 8 + below(stream.size() - 8);
            switch (below(4)) {
            case 0:
                stream[at] = static_cast<char>(below(256));
                break;
            case 1:
                stream.resize(at);
                break;
            case 2:
                stream.insert(at, 1, static_cast<char>(below(4)));
                break;
            default:
                stream[at] = '\xFF';
                break;
            }
            if (stream.size() <= 9)
                stream = valid;
        }
        TSerializingSetting tree;
        load(tree, stream);
        const std::string again = saved(tree);
        TSerializingSetting copy;
        ASSERT_EQ(load(copy, again), "") << "round " << round;
        ASSERT_EQ(copy.toString(), tree.toString()) << "round " << round;
    }
}

} // namespace
