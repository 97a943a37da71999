#include "core/Orvex/Util/Setting.h"

#include "core/Orvex/Exception.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Orvex::TSetting;
using Node = TSetting::Node;

TEST(SettingTree, Operations) {
    struct Row {
        const char *name;
        std::function<void(TSetting &)> change;
        std::string text;
        std::vector<std::vector<std::string>> present, absent;
    };
    // clang-format off
    const Row rows[] = {
        {"new tree", [](TSetting&) {}, "\"\"", {{}}, {{"A"}}},
        {"one leaf", [](TSetting& t) { t.opIndexAssign("x", "A"); }, "[A:\"x\"]", {{}, {"A"}}, {{"A", "B"}}},
        {"empty value adds an empty child", [](TSetting& t) { t.opIndexAssign("", "A"); }, "[A:\"\"]", {{"A"}}, {}},
        {"reading a missing key adds it",
         [](TSetting& t) {
             t.opIndexAssign("x", "A");
             t.root()->opIndex("B");
         },
         "[A:\"x\",B:\"\"]", {{"B"}}, {}},
        {"a leaf replaces a branch in its place",
         [](TSetting& t) {
             t.root()->opIndex("A")->opIndexAssign("1", "B");
             t.opIndexAssign("2", "C");
             t.opIndexAssign("3", "A");
         },
         "[A:\"3\",C:\"2\"]", {{"A"}}, {{"A", "B"}}},
        {"nested branches",
         [](TSetting& t) {
             t.root()->opIndex("A")->opIndex("B")->opIndexAssign("v", "C");
             t.root()->opIndex("A")->opIndex("D");
         },
         "[A:[B:[C:\"v\"],D:\"\"]]", {{"A", "B", "C"}, {"A", "D"}}, {{"A", "C"}}},
        {"keys differing in case are different keys",
         [](TSetting& t) {
             t.opIndexAssign("1", "Key");
             t.opIndexAssign("2", "key");
         },
         "[Key:\"1\",key:\"2\"]", {{"Key"}, {"key"}}, {{"KEY"}}},
        {"an empty branch", [](TSetting& t) { t.root()->opIndex("A")->setBranch({}); }, "[A:[]]", {{"A"}}, {}},
        {"clear empties the root",
         [](TSetting& t) {
             t.opIndexAssign("x", "A");
             t.root()->clear();
         },
         "\"\"", {{}}, {{"A"}}},
    };
    // clang-format on
    for (const Row &row : rows) {
        TSetting tree;
        row.change(tree);
        EXPECT_EQ(tree.toString(), row.text) << row.name;
        for (const auto &path : row.present)
            EXPECT_TRUE(tree.exists(path)) << row.name;
        for (const auto &path : row.absent)
            EXPECT_FALSE(tree.exists(path)) << row.name;
        EXPECT_EQ(tree.toString(), row.text) << row.name << ": exists must not add nodes";
    }
}

TEST(SettingTree, Leaves) {
    TSetting tree;
    tree.opIndexAssign("x", "A");
    tree.opIndexAssign("", "E");
    const auto a = tree.root()->opIndex("A");
    EXPECT_TRUE(*a == "x");
    EXPECT_FALSE(*a == "X");
    EXPECT_EQ(a->toLeaf(), "x");
    EXPECT_FALSE(tree.root()->opIndex("E")->isLeaf());
    EXPECT_EQ(tree.root()->getChildNode("A"), a);
    EXPECT_EQ(tree.root()->getChildNode("missing"), nullptr);

    // A node held by a caller outlives its replacement in the tree.
    tree.opIndexAssign("y", "A");
    EXPECT_EQ(a->toLeaf(), "x");
    EXPECT_EQ(a->owner(), &tree);
}

TEST(SettingTree, Errors) {
    struct Row {
        const char *name;
        const char *state; // "empty", "leaf" or "branch"
        std::function<void(Node &)> call;
        const char *message;
    };
    // clang-format off
    const Row rows[] = {
        {"setBranch on a leaf", "leaf", [](Node& n) { n.setBranch({}); },
         "Setting.Node.setBranch:すでにデータがセットされている。"},
        {"setBranch on a branch", "branch", [](Node& n) { n.setBranch({}); },
         "Setting.Node.setBranch:すでにデータがセットされている。"},
        {"toBranch on empty", "empty", [](Node& n) { n.toBranch(); }, "Setting.Node.toBranch:枝ではない。"},
        {"toBranch on a leaf", "leaf", [](Node& n) { n.toBranch(); }, "Setting.Node.toBranch:枝ではない。"},
        {"setLeaf on a leaf", "leaf", [](Node& n) { n.setLeaf("v"); },
         "Setting.Node.setLeaf:すでにデータがセットされている。"},
        {"setLeaf on a branch", "branch", [](Node& n) { n.setLeaf("v"); },
         "Setting.Node.setLeaf:すでにデータがセットされている。"},
        {"toLeaf on empty", "empty", [](Node& n) { n.toLeaf(); }, "Setting.Node.toLeaf:葉ではない。"},
        {"toLeaf on a branch", "branch", [](Node& n) { n.toLeaf(); }, "Setting.Node.toLeaf:葉ではない。"},
        {"equality on empty", "empty", [](Node& n) { (void)(n == "x"); }, "Setting.Node.toLeaf:葉ではない。"},
        {"getChildNode on empty", "empty", [](Node& n) { n.getChildNode("k"); },
         "Setting.Node.getChildNode:枝ではない。"},
        {"getChildNode on a leaf", "leaf", [](Node& n) { n.getChildNode("k"); },
         "Setting.Node.getChildNode:枝ではない。"},
        {"opIndex on a leaf", "leaf", [](Node& n) { n.opIndex("C"); }, "Setting.Node.opIndex:自身が枝ではない"},
        {"opIndexAssign on a leaf", "leaf", [](Node& n) { n.opIndexAssign("v", "C"); },
         "Setting.Node.opIndexAssign:自身が枝ではない"},
    };
    // clang-format on
    for (const Row &row : rows) {
        TSetting tree;
        const std::string state = row.state;
        if (state == "leaf")
            tree.opIndexAssign("x", "A");
        else if (state == "branch")
            tree.root()->opIndex("A")->opIndexAssign("y", "B");
        else
            tree.root()->opIndex("A");
        const std::string before = tree.toString();
        try {
            row.call(*tree.root()->opIndex("A"));
            ADD_FAILURE() << row.name << ": no error";
        } catch (const Orvex::Exception &e) {
            EXPECT_STREQ(e.what(), row.message) << row.name;
        }
        EXPECT_EQ(tree.toString(), before) << row.name << ": the node must stay as it was";
    }
}

TEST(SettingTree, DeepTreeNeedsNoDeepStack) {
    constexpr int depth = 100'000;
    auto tree = std::make_unique<TSetting>();
    TSetting::NodePtr node = tree->root();
    for (int i = 0; i < depth; ++i)
        node = node->opIndex("k");
    node->opIndexAssign("v", "k");
    node.reset();
    EXPECT_EQ(tree->toString().size(), depth * 3 + 7 + depth);
    tree.reset(); // a recursive destructor would overflow the stack here
}

} // namespace
