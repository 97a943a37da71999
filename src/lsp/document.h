#pragma once

#include "core/common/language.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a position's "character" counts: UTF-16 code units, as the protocol has it unless the
// client offers "utf-8", or bytes.
enum class Encoding { Utf16, Utf8 };

// An open document: its text, and the conversions between byte offsets and the client's
// positions. Lines end at LF; a CR before it belongs to the line end, not to the line. It keeps the
// text and four bytes per line, whatever the history of changes.
class Document {
public:
    Document(std::string text, std::optional<Language> language, std::int64_t version);

    const std::string &text() const { return m_text; }
    // Nothing for a language Remarkist does not read: such a document gets no actions.
    std::optional<Language> language() const { return m_language; }
    std::int64_t version() const { return m_version; }
    void setVersion(std::int64_t version) { m_version = version; }

    std::size_t lineCount() const { return m_lineStarts.size(); }
    // The first byte of a 0-based line; lineCount() gives the end of the text.
    std::size_t lineBegin(std::size_t line) const;
    // A 0-based line without its line end.
    std::string_view line(std::size_t line) const;
    // CR LF when the first line ends so, else LF, as remarkist-render edit writes.
    std::string_view lineEnding() const;

    // {"line": 2, "character": 4} as a byte offset. A character past the line's end stands for
    // its end and a line past the last for the end of the text, as the protocol says. Throws
    // nlohmann::json::exception when the value is not a position.
    std::size_t offset(const nlohmann::json &position, Encoding encoding) const;
    nlohmann::json position(std::size_t offset, Encoding encoding) const;
    nlohmann::json range(std::size_t begin, std::size_t end, Encoding encoding) const;

    // Applies one entry of a didChange's contentChanges: {"range": ..., "text": ...}, or
    // {"text": ...} for the whole document.
    void change(const nlohmann::json &change, Encoding encoding);

private:
    void indexLines();

    std::string m_text;
    std::optional<Language> m_language;
    std::int64_t m_version;
    std::vector<std::uint32_t> m_lineStarts;
};

// The language of a document from its languageId ("c", "cpp" or "c++", "d", "java"), or else
// from its file name's extension, as remarkist-render check chooses it: ".h" is read as C++.
std::optional<Language> documentLanguage(std::string_view languageId, std::string_view uri);
