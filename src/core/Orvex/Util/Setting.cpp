#include "core/Orvex/Util/Setting.h"

#include "core/Orvex/Exception.h"

#include <array>
#include <iterator>

namespace Orvex {

namespace {

constexpr std::array<unsigned char, 8> signature{0xAF, 0x34, 0x00, 0x12, 0x00, 0x99, 0x16, 0xFF};
enum Kind : unsigned char { emptyKind = 0, branchKind = 1, leafKind = 2 };
enum TextCode : unsigned char { utf8 = 0, utf16 = 1, utf32 = 2 };

[[noreturn]] void fail(const char *message) {
    throw Exception(message);
}

void appendUtf8(std::string &out, char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        fail("Setting.Load:文字列をUTF-8に変換できない。");
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::uint32_t littleEndian(const std::string &bytes, std::size_t at, std::size_t width) {
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// UTF-16LE to UTF-8; an odd last byte is dropped. "41 00 42 00" gives "AB".
std::string fromUtf16(const std::string &bytes) {
    std::string out;
    const std::size_t units = bytes.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        char32_t c = littleEndian(bytes, 2 * i, 2);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
            const char32_t low = littleEndian(bytes, 2 * (i + 1), 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        appendUtf8(out, c);
    }
    return out;
}

// UTF-32LE to UTF-8; 1 to 3 trailing bytes are dropped.
std::string fromUtf32(const std::string &bytes) {
    std::string out;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4)
        appendUtf8(out, littleEndian(bytes, i, 4));
    return out;
}

// Reads the fields of the stream. Bytes the source does not deliver keep their zero fill.
class Reader {
public:
    explicit Reader(ILoader &loader) : m_loader(loader) {}

    unsigned char byte() {
        unsigned char b = 0;
        m_loader.read(&b, 1);
        return b;
    }

    std::uint64_t number() {
        std::array<unsigned char, 8> bytes{};
        m_loader.read(bytes.data(), bytes.size());
        std::uint64_t value = 0;
        for (std::size_t i = bytes.size(); i-- > 0;)
            value = value << 8 | bytes[i];
        return value;
    }

    // A count or length beyond the bytes left can only come from a damaged stream.
    std::uint64_t boundedNumber() {
        const std::uint64_t n = number();
        if (n > m_loader.remaining())
            fail("Setting.Load:個数か長さがデータの残りより大きい。");
        return n;
    }

    std::string string(unsigned char code) {
        std::string bytes(static_cast<std::size_t>(boundedNumber()), '\0');
        m_loader.read(bytes.data(), bytes.size());
        switch (code) {
        case utf16:
            return fromUtf16(bytes);
        case utf32:
            return fromUtf32(bytes);
        default:
            return bytes;
        }
    }

    bool exhausted() const { return m_loader.remaining() == 0; }

private:
    ILoader &m_loader;
};

void writeNumber(ISaver &saver, std::uint64_t value) {
    std::array<unsigned char, 8> bytes{};
    for (auto &b : bytes) {
        b = static_cast<unsigned char>(value);
        value >>= 8;
    }
    saver.write(bytes.data(), bytes.size());
}

void writeString(ISaver &saver, const std::string &text) {
    writeNumber(saver, text.size());
    saver.write(text.data(), text.size());
}

} // namespace

std::size_t TSetting::Map::position(const std::string &key) const {
    if (m_index.empty()) {
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            if (m_entries[i].first == key)
                return i;
        return m_entries.size();
    }
    const auto it = m_index.find(key);
    return it == m_index.end() ? m_entries.size() : it->second;
}

TSetting::NodePtr TSetting::Map::find(const std::string &key) const {
    const std::size_t i = position(key);
    return i == m_entries.size() ? nullptr : m_entries[i].second;
}

void TSetting::Map::put(std::string key, NodePtr child) {
    const std::size_t i = position(key);
    if (i != m_entries.size()) {
        m_entries[i].second = std::move(child);
        return;
    }
    m_entries.emplace_back(std::move(key), std::move(child));
    if (m_entries.size() > smallSize)
        for (std::size_t j = m_index.empty() ? 0 : i; j < m_entries.size(); ++j)
            m_index.emplace(m_entries[j].first, j);
}

std::vector<TSetting::NodePtr> TSetting::Map::takeChildren() {
    std::vector<NodePtr> children;
    children.reserve(m_entries.size());
    for (auto &entry : m_entries)
        children.push_back(std::move(entry.second));
    m_entries.clear();
    m_index.clear();
    return children;
}

TSetting::Node::~Node() {
    clear();
}

void TSetting::Node::clear() {
    // Dropping a branch would destroy its subtree recursively; a file nested a million levels
    // deep would overflow the stack. Collect the nodes nobody else holds and empty them one by one.
    if (auto *map = std::get_if<Map>(&m_content)) {
        std::vector<NodePtr> pending = map->takeChildren();
        while (!pending.empty()) {
            NodePtr node = std::move(pending.back());
            pending.pop_back();
            if (node.use_count() == 1)
                if (auto *childMap = std::get_if<Map>(&node->m_content)) {
                    auto grandchildren = childMap->takeChildren();
                    pending.insert(pending.end(), std::make_move_iterator(grandchildren.begin()),
                                   std::make_move_iterator(grandchildren.end()));
                }
        }
    }
    m_content = std::monostate{};
}

TSetting::Node &TSetting::Node::setBranch(Map map) {
    if (!std::holds_alternative<std::monostate>(m_content))
        fail("Setting.Node.setBranch:すでにデータがセットされている。");
    m_content = std::move(map);
    return *this;
}

TSetting::Map &TSetting::Node::toBranch() {
    if (!isBranch())
        fail("Setting.Node.toBranch:枝ではない。");
    return std::get<Map>(m_content);
}

const TSetting::Map &TSetting::Node::toBranch() const {
    return const_cast<Node *>(this)->toBranch();
}

void TSetting::Node::setLeaf(std::string_view value) {
    if (!std::holds_alternative<std::monostate>(m_content))
        fail("Setting.Node.setLeaf:すでにデータがセットされている。");
    if (!value.empty())
        m_content = std::string(value);
}

const std::string &TSetting::Node::toLeaf() const {
    if (!isLeaf())
        fail("Setting.Node.toLeaf:葉ではない。");
    return std::get<std::string>(m_content);
}

TSetting::NodePtr TSetting::Node::getChildNode(const std::string &key) const {
    if (!isBranch())
        fail("Setting.Node.getChildNode:枝ではない。");
    return std::get<Map>(m_content).find(key);
}

TSetting::NodePtr TSetting::Node::opIndex(std::string_view key) {
    if (isLeaf())
        fail("Setting.Node.opIndex:自身が枝ではない");
    std::string k(key);
    if (isBranch())
        if (NodePtr child = std::get<Map>(m_content).find(k))
            return child;
    auto child = std::make_shared<Node>(m_owner);
    addChild(std::move(k), child);
    return child;
}

TSetting::Node &TSetting::Node::opIndexAssign(std::string_view value, std::string_view key) {
    if (isLeaf())
        fail("Setting.Node.opIndexAssign:自身が枝ではない");
    auto child = std::make_shared<Node>(m_owner);
    child->setLeaf(value);
    addChild(std::string(key), std::move(child));
    return *this;
}

void TSetting::Node::addChild(std::string key, NodePtr child) {
    if (!isBranch())
        m_content = Map{};
    std::get<Map>(m_content).put(std::move(key), std::move(child));
}

std::string TSetting::Node::toString() const {
    if (isLeaf())
        return toLeaf();
    if (!isBranch())
        return "\"\"";
    // An explicit stack instead of recursion, for arbitrarily deep trees.
    struct Frame {
        Map::const_iterator next, end;
    };
    const auto frameOf = [](const Map &map) { return Frame{map.begin(), map.end()}; };
    std::string out = "[";
    std::vector<Frame> open{frameOf(toBranch())};
    while (!open.empty()) {
        Frame &top = open.back();
        if (top.next == top.end) {
            out += ']';
            open.pop_back();
            continue;
        }
        // Only a branch just opened ends in "[": every child's text ends in a quote or "]".
        if (out.back() != '[')
            out += ',';
        const auto &[key, child] = *top.next++;
        out += key;
        out += ':';
        if (child->isBranch()) {
            out += '[';
            open.push_back(frameOf(child->toBranch()));
        } else {
            out += child->isLeaf() ? '"' + child->toLeaf() + '"' : "\"\"";
        }
    }
    return out;
}

bool TSetting::exists(const std::vector<std::string> &path) const {
    const Node *node = m_root.get();
    for (const auto &key : path) {
        if (!node->isBranch())
            return false;
        NodePtr child = node->toBranch().find(key);
        if (!child)
            return false;
        node = child.get();
    }
    return true;
}

void TSerializingSetting::Save(ISaver &saver) {
    saver.write(signature.data(), signature.size());
    const unsigned char code = utf8;
    saver.write(&code, 1);

    // Writes a node's head; a branch's children follow from the stack below.
    std::vector<std::pair<Map::const_iterator, Map::const_iterator>> open;
    const auto writeHead = [&](const Node &node) {
        const unsigned char kind = node.isBranch() ? branchKind : node.isLeaf() ? leafKind : emptyKind;
        saver.write(&kind, 1);
        if (kind == leafKind) {
            writeString(saver, node.toLeaf());
        } else if (kind == branchKind) {
            const Map &map = node.toBranch();
            writeNumber(saver, map.size());
            open.emplace_back(map.begin(), map.end());
        }
    };
    writeHead(*root());
    while (!open.empty()) {
        auto &[next, end] = open.back();
        if (next == end) {
            open.pop_back();
            continue;
        }
        const auto &[key, child] = *next++;
        writeString(saver, key);
        writeHead(*child);
    }
}

void TSerializingSetting::Load(ILoader &loader) {
    Reader in(loader);
    std::array<unsigned char, 8> head{};
    loader.read(head.data(), head.size());
    if (head != signature)
        fail("Setting.Load:SIGNATUREが変");
    const unsigned char code = in.byte();
    if (code > utf32)
        fail("Setting.Load:文字列のコード番号が正しくない値。");

    // A branch whose children are still being read, and the key it goes under in its parent
    // once it is complete.
    struct Open {
        NodePtr node;
        std::uint64_t childrenLeft;
        std::string key;
    };
    std::vector<Open> open;
    // Reads a node's kind and content; returns the number of children still to read.
    const auto readHead = [&](Node &node) -> std::uint64_t {
        switch (in.byte()) {
        case emptyKind:
            return 0;
        case leafKind:
            node.setLeaf(in.string(code));
            return 0;
        case branchKind:
            return in.boundedNumber();
        default:
            fail("Setting.Load:セクションの値が異常なファイルを読み込んだ");
        }
    };

    replaceRoot(std::make_shared<Node>(this));
    if (const std::uint64_t count = readHead(*root()))
        open.push_back({root(), count, {}});
    while (!open.empty()) {
        if (open.back().childrenLeft == 0) {
            Open done = std::move(open.back());
            open.pop_back();
            if (!open.empty())
                open.back().node->addChild(std::move(done.key), std::move(done.node));
            continue;
        }
        // Past the end every further child reads as an empty node under the empty key, each
        // replacing the one before, so reading one has the same effect as reading them all.
        if (in.exhausted())
            open.back().childrenLeft = 1;
        --open.back().childrenLeft;
        std::string key = in.string(code);
        auto child = std::make_shared<Node>(this);
        if (const std::uint64_t count = readHead(*child))
            open.push_back({std::move(child), count, std::move(key)});
        else
            open.back().node->addChild(std::move(key), std::move(child));
    }
}

} // namespace Orvex
