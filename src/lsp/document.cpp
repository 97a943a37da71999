#include "lsp/document.h"

#include "core/read/declaration.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

// The bytes and UTF-16 code units of the character that starts at text[0]. A byte that does
// not start a valid sequence counts as one unit, as does every byte of a broken sequence.
std::pair<std::size_t, std::size_t> character(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t bytes = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
    if (bytes > text.size())
        return {1, 1};
    for (std::size_t i = 1; i < bytes; ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return {1, 1};
    return {bytes, bytes == 4 ? 2 : 1};
}

} // namespace

Document::Document(std::string text, std::optional<Language> language, std::int64_t version)
    : m_text(std::move(text)), m_language(language), m_version(version) {
    indexLines();
}

void Document::indexLines() {
    if (m_text.size() > UINT32_MAX)
        throw std::length_error("documents of 4 GiB or more are not served");
    m_lineStarts.clear();
    m_lineStarts.push_back(0);
    for (const char *at = m_text.data(), *end = at + m_text.size();
         (at = static_cast<const char *>(std::memchr(at, '\n', static_cast<std::size_t>(end - at))));)
        m_lineStarts.push_back(static_cast<std::uint32_t>(++at - m_text.data()));
    // A document that shrank gives its memory back.
    if (m_text.capacity() > 2 * m_text.size() + 4096)
        m_text.shrink_to_fit();
    if (m_lineStarts.capacity() > 2 * m_lineStarts.size() + 1024)
        m_lineStarts.shrink_to_fit();
}

std::size_t Document::lineBegin(std::size_t line) const {
    return line < m_lineStarts.size() ? m_lineStarts[line] : m_text.size();
}

std::string_view Document::line(std::size_t line) const {
    if (line >= m_lineStarts.size())
        return {};
    std::string_view text =
        std::string_view(m_text).substr(lineBegin(line), lineBegin(line + 1) - lineBegin(line));
    if (text.ends_with('\n'))
        text.remove_suffix(text.ends_with("\r\n") ? 2 : 1);
    return text;
}

std::string_view Document::lineEnding() const {
    return m_lineStarts.size() > 1 && m_lineStarts[1] >= 2 && m_text[m_lineStarts[1] - 2] == '\r' ? "\r\n"
                                                                                                  : "\n";
}

std::size_t Document::offset(const nlohmann::json &position, Encoding encoding) const {
    const auto lineNumber = position.at("line").get<std::uint64_t>();
    auto wanted = position.at("character").get<std::uint64_t>();
    if (lineNumber >= m_lineStarts.size())
        return m_text.size();
    const std::string_view text = line(lineNumber);
    const std::size_t begin = lineBegin(lineNumber);
    if (encoding == Encoding::Utf8)
        return begin + std::min<std::size_t>(wanted, text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto [bytes, units] = character(text.substr(at));
        if (units > wanted)
            break;
        wanted -= units;
        at += bytes;
    }
    return begin + at;
}

nlohmann::json Document::position(std::size_t offset, Encoding encoding) const {
    offset = std::min(offset, m_text.size());
    const std::size_t line =
        static_cast<std::size_t>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), offset) -
                                 m_lineStarts.begin()) -
        1;
    const std::string_view before =
        std::string_view(m_text).substr(lineBegin(line), offset - lineBegin(line));
    std::size_t units = before.size();
    if (encoding == Encoding::Utf16) {
        units = 0;
        for (std::size_t at = 0; at < before.size();) {
            const auto [bytes, count] = character(before.substr(at));
            at += bytes;
            units += count;
        }
    }
    return {{"line", line}, {"character", units}};
}

nlohmann::json Document::range(std::size_t begin, std::size_t end, Encoding encoding) const {
    return {{"start", position(begin, encoding)}, {"end", position(end, encoding)}};
}

void Document::change(const nlohmann::json &change, Encoding encoding) {
    const auto &text = change.at("text").get_ref<const std::string &>();
    if (!change.contains("range")) {
        m_text = text;
    } else {
        const std::size_t begin = offset(change.at("range").at("start"), encoding);
        const std::size_t end = offset(change.at("range").at("end"), encoding);
        if (end < begin)
            throw std::invalid_argument("the change's range ends before it starts");
        m_text.replace(begin, end - begin, text);
    }
    indexLines();
}

std::optional<Language> documentLanguage(std::string_view languageId, std::string_view uri) {
    if (languageId == "c++")
        return Language::Cpp;
    if (std::optional<Language> named = languageNamed(languageId))
        return named;
    const std::string_view name = uri.substr(uri.find_last_of('/') + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::string_view extension = name.substr(dot + 1);
    if (extension == "c")
        return Language::C;
    for (const char *cpp : {"h", "cc", "cpp", "cxx", "hpp", "hh", "hxx", "ipp"})
        if (extension == cpp)
            return Language::Cpp;
    if (extension == "d" || extension == "di")
        return Language::D;
    if (extension == "java")
        return Language::Java;
    return std::nullopt;
}
