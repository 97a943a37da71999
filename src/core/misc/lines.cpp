#include "misc/lines.h"

#include "common/settingdata.h"

#include <algorithm>
#include <iterator>

Lines splitLines(std::string_view text) {
    if (text.empty())
        return {""};
    Lines lines;
    // Exact for LF and CR LF text, a little short for old CR-only text.
    lines.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string joinLines(const Lines &lines) {
    return joinLines(lines, "\r\n");
}

std::string joinLines(const Lines &lines, std::string_view separator) {
    if (lines.empty())
        return {};
    std::size_t size = separator.size() * (lines.size() - 1);
    for (const std::string &line : lines)
        size += line.size();
    std::string text;
    text.reserve(size);
    text += lines.front();
    for (auto line = lines.begin() + 1; line != lines.end(); ++line) {
        text += separator;
        text += *line;
    }
    return text;
}

Lines trimTrailingEmpty(Lines lines) {
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

void appendLines(Lines &lines, Lines section) {
    lines.insert(lines.end(), std::make_move_iterator(section.begin()), std::make_move_iterator(section.end()));
}

std::string spaces(std::size_t n) {
    return std::string(n, ' ');
}

std::size_t displayWidth(std::string_view line, std::uint32_t width) {
    const std::size_t stop = std::max<std::uint32_t>(width, 1);
    std::size_t w = 0, start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', start)) {
        w += tab - start;     // the bytes before the tab, one column each
        w += stop - w % stop; // the tab, to the next stop
        start = tab + 1;
    }
    return w + line.size() - start;
}

void padToColumn(std::string &line, bool useTab, std::uint32_t width, std::size_t column) {
    const std::size_t stop = std::max<std::uint32_t>(width, 1);
    const std::size_t end = displayWidth(line, width);
    // In tab stops: the one after the end, or the first at or after column if that is further.
    const std::size_t target = std::max(end / stop + 1, (column + stop - 1) / stop);
    if (useTab)
        line.append(target - end / stop, '\t');
    else
        line.append(target * stop - end, ' ');
}

Lines alignColumns(bool useTab, std::uint32_t width, std::uint32_t column, Lines lines) {
    for (std::string &line : lines)
        padToColumn(line, useTab, width, column);
    return lines;
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
