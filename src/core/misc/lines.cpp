#include "core/misc/lines.h"

#include "core/common/settingdata.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

Lines::Lines(std::initializer_list<std::string_view> lines) {
    std::size_t bytes = 0;
    for (std::string_view line : lines)
        bytes += line.size();
    reserve(lines.size(), bytes);
    for (std::string_view line : lines)
        push_back(line);
}

std::string_view Lines::at(std::size_t i) const {
    if (i >= size())
        throw std::out_of_range("Lines::at");
    return (*this)[i];
}

namespace {

// Copies the bytes to text + at and returns where they end.
std::size_t copy(std::string_view bytes, char *text, std::size_t at) {
    std::copy(bytes.begin(), bytes.end(), text + at);
    return at + bytes.size();
}

} // namespace

void Lines::reserve(std::size_t lines, std::size_t bytes) {
    m_ends.reserve(m_ends.size() + lines);
    m_text.reserve(m_text.size() + lines * lineBreak.size() + bytes);
}

void Lines::append(const Lines &lines, std::string_view prefix) {
    if (lines.empty())
        return;
    if (prefix.empty()) {
        // One copy of the text, the ends shifted by where it lands.
        if (!empty())
            m_text += lineBreak;
        const std::size_t offset = m_text.size();
        m_text += lines.m_text;
        m_ends.reserve(m_ends.size() + lines.size());
        for (std::size_t end : lines.m_ends)
            m_ends.push_back(offset + end);
        return;
    }
    // Sized once, then every line written in behind a break and the prefix. A prefix of up to
    // eight bytes (" *\t", "///\t") goes in as one eight-byte word whose surplus the line then
    // overwrites, much quicker than copying a few bytes; eight spare bytes at the end make room
    // for the surplus after an empty last line.
    std::size_t at = m_text.size();
    const std::size_t size =
        at + (empty() ? 0 : lineBreak.size()) + lines.bytes() + lines.size() * prefix.size();
    m_text.resize(size + sizeof(std::uint64_t));
    m_ends.reserve(m_ends.size() + lines.size());
    char *const text = m_text.data();
    std::uint64_t word = 0;
    const bool inWord = prefix.size() <= sizeof word;
    if (inWord)
        std::memcpy(&word, prefix.data(), prefix.size());
    for (std::string_view line : lines) {
        if (!empty())
            at = copy(lineBreak, text, at);
        if (inWord) {
            std::memcpy(text + at, &word, sizeof word);
            at += prefix.size();
        } else {
            at = copy(prefix, text, at);
        }
        at = copy(line, text, at);
        m_ends.push_back(at);
    }
    m_text.resize(size);
}

void Lines::pop_back() {
    m_ends.pop_back();
    m_text.resize(m_ends.empty() ? 0 : m_ends.back());
}

Lines splitLines(std::string_view text, std::string_view lead) {
    Lines lines;
    appendSplitLines(lines, text, lead);
    return lines;
}

void appendSplitLines(Lines &lines, std::string_view text, std::string_view lead) {
    // Exact for LF and CR LF text, a little short for old CR-only text.
    std::size_t breaks = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n', lf + 1))
        ++breaks;
    lines.reserve(breaks + 1, lead.size() + text.size());
    lines.push_back(lead);
    // The next LF and the next CR, each searched again only once passed, so a text without
    // any CR is scanned for one just once.
    std::size_t start = 0, lf = text.find('\n'), cr = text.find('\r');
    for (;;) {
        if (lf < start)
            lf = text.find('\n', start);
        if (cr < start)
            cr = text.find('\r', start);
        const std::size_t end = std::min(lf, cr);
        if (start == 0)
            lines.extend(text.substr(0, end));
        else
            lines.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            break;
        start = end + (end == cr && end + 1 == lf ? 2 : 1);
        if (start >= text.size()) // a trailing break adds no line
            break;
    }
}

std::string joinLines(const Lines &lines) {
    return lines.text();
}

std::string joinLines(Lines &&lines) {
    return std::move(lines).text();
}

std::string joinLines(const Lines &lines, std::string_view separator) {
    if (separator == "\r\n")
        return lines.text();
    if (lines.empty())
        return {};
    std::string text;
    text.reserve(lines.bytes());
    text += lines.front();
    for (auto line = lines.begin() + 1; line != lines.end(); ++line) {
        text += separator;
        text += *line;
    }
    return text;
}

Lines trimTrailingEmpty(Lines lines) {
    trimTrailingEmpty(lines, 0);
    return lines;
}

void trimTrailingEmpty(Lines &lines, std::size_t keep) {
    while (lines.size() > keep && lines.back().empty())
        lines.pop_back();
}

std::string spaces(std::size_t n) {
    return std::string(n, ' ');
}

std::size_t displayWidth(std::string_view line, std::uint32_t width, std::size_t from) {
    const std::size_t stop = std::max<std::uint32_t>(width, 1);
    std::size_t w = from, start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', start)) {
        w += tab - start;     // the bytes before the tab, one column each
        w += stop - w % stop; // the tab, to the next stop
        start = tab + 1;
    }
    return w + line.size() - start;
}

namespace {

// tabStopAfter counted in stops.
std::size_t stopsAfter(std::size_t end, std::size_t stop, std::size_t column) {
    // The stop after the end, or the first at or after column if that is further.
    return std::max(end / stop + 1, (column + stop - 1) / stop);
}

} // namespace

std::size_t tabStopAfter(std::size_t end, std::uint32_t width, std::size_t column) {
    const std::size_t stop = std::max<std::uint32_t>(width, 1);
    return stopsAfter(end, stop, column) * stop;
}

void padToColumn(Lines &lines, bool useTab, std::uint32_t width, std::size_t end, std::size_t column) {
    const std::size_t stop = std::max<std::uint32_t>(width, 1);
    const std::size_t target = stopsAfter(end, stop, column);
    if (useTab)
        lines.extend(target - end / stop, '\t');
    else
        lines.extend(target * stop - end, ' ');
}

Lines alignColumns(bool useTab, std::uint32_t width, std::uint32_t column, const Lines &lines) {
    Lines aligned;
    aligned.reserve(lines.size(), 0);
    for (std::string_view line : lines) {
        aligned.push_back(line);
        padToColumn(aligned, useTab, width, displayWidth(line, width), column);
    }
    return aligned;
}

std::string padLabel(std::string_view label) {
    const std::size_t size = g_settingData.tabWidth();
    std::string padded(label);
    padded += ' ';
    padded.append((size - padded.size() % size) % size, ' ');
    return padded;
}

std::string indent() {
    return g_settingData.spacingStyle() == SettingData::SpacingStyle::Space ? spaces(g_settingData.tabWidth())
                                                                            : "\t";
}
