#pragma once

#include "core/Orvex/Interface/Serialize.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

namespace Orvex {

class TSerializingSetting;

// A tree of named string settings. Every node is empty, a branch (key -> child) or a leaf
// (a non-empty string). Keys and values are UTF-8, compared byte for byte.
//
//     TSetting t;
//     t.opIndexAssign("4", "SpacingSize");
//     t.toString()   // [SpacingSize:"4"]
class TSetting {
public:
    class Node;
    using NodePtr = std::shared_ptr<Node>;

    // A branch's children. Iteration follows the order in which keys were first added, so
    // a saved file keeps its keys where they were; replacing a child keeps its place.
    class Map {
    public:
        using Entry = std::pair<std::string, NodePtr>;
        using const_iterator = std::vector<Entry>::const_iterator;

        // The child under the key, or null.
        NodePtr find(const std::string &key) const;
        // Adds the child under the key, replacing a child already there.
        void put(std::string key, NodePtr child);
        std::size_t size() const { return m_entries.size(); }
        const_iterator begin() const { return m_entries.begin(); }
        const_iterator end() const { return m_entries.end(); }

    private:
        friend class Node;
        std::vector<NodePtr> takeChildren();
        // The entry's position, or size() when the key is absent.
        std::size_t position(const std::string &key) const;

        // Most branches hold a few keys: they are searched in order, and only larger ones
        // get an index (key -> position in m_entries).
        static constexpr std::size_t smallSize = 8;
        std::vector<Entry> m_entries;
        std::unordered_map<std::string, std::size_t> m_index;
    };

    class Node {
    public:
        explicit Node(TSetting *owner) : m_owner(owner) {}
        Node(const Node &) = delete;
        Node &operator=(const Node &) = delete;
        // Takes a deep tree apart without recursion.
        ~Node();

        bool isBranch() const { return std::holds_alternative<Map>(m_content); }
        // Holds a string, which is never empty.
        bool isLeaf() const { return std::holds_alternative<std::string>(m_content); }

        Node &setBranch(Map map);
        Map &toBranch();
        const Map &toBranch() const;
        // An empty value leaves the node empty.
        void setLeaf(std::string_view value);
        const std::string &toLeaf() const;
        // The child under the key, or null when the branch has none.
        NodePtr getChildNode(const std::string &key) const;
        // node[key]: the child under the key, created empty (and the node made a branch)
        // when missing.
        NodePtr opIndex(std::string_view key);
        // node[key] = value: a new child holding the value replaces whatever was under the key.
        Node &opIndexAssign(std::string_view value, std::string_view key);
        // toLeaf() == text; throws as toLeaf does when the node is no leaf.
        bool operator==(std::string_view text) const { return toLeaf() == text; }
        void clear();
        // A leaf gives its value, an empty node "", a branch [key:"leaf",key:[...],key:""].
        std::string toString() const;

        TSetting *owner() const { return m_owner; }

    private:
        friend class TSerializingSetting;
        // Adds a child under the key, making an empty node a branch.
        void addChild(std::string key, NodePtr child);

        std::variant<std::monostate, Map, std::string> m_content;
        TSetting *m_owner;
    };

    TSetting() : m_root(std::make_shared<Node>(this)) {}
    TSetting(const TSetting &) = delete;
    TSetting &operator=(const TSetting &) = delete;
    virtual ~TSetting() = default;

    const NodePtr &root() const { return m_root; }
    // root[key] = value
    void opIndexAssign(std::string_view value, std::string_view key) { m_root->opIndexAssign(value, key); }
    // Whether each key of the path leads to a child of a branch; never creates nodes.
    // True for the empty path.
    bool exists(const std::vector<std::string> &path) const;
    std::string toString() const { return m_root->toString(); }

protected:
    void replaceRoot(NodePtr root) { m_root = std::move(root); }

private:
    NodePtr m_root;
};

// A setting tree that writes itself to a byte sink and reads itself back:
// signature AF 34 00 12 00 99 16 FF, text code (0 = UTF-8, 1 = UTF-16LE, 2 = UTF-32LE), then
// the root node. A node is a kind byte (0 empty, 1 branch, 2 leaf); a branch continues with an
// 8-byte child count and, per child, its key and its node; a leaf with its value. A string is
// an 8-byte byte length and the bytes. Numbers are little-endian.
class TSerializingSetting : public TSetting, public ISerializer {
public:
    void Save(ISaver &saver) override;
    // Replaces the tree with what the stream holds. A wrong signature or text code leaves the
    // tree as it was; damage further on leaves what was read completely before it. Fixed-size
    // fields cut off at the end of the stream read as zero.
    void Load(ILoader &loader) override;
};

} // namespace Orvex
