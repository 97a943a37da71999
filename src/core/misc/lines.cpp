#include "misc/lines.h"

#include "common/settingdata.h"

#include <algorithm>

Lines splitLines(std::string_view text) {
    if (text.empty())
        return {""};
    Lines lines;
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
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 0)
            text += separator;
        text += lines[i];
    }
    return text;
}

Lines trimTrailingEmpty(Lines lines) {
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

std::string spaces(std::size_t n) {
    return std::string(n, ' ');
}

std::size_t displayWidth(std::string_view line, std::uint32_t width) {
    const std::size_t stop = std::max<std::uint32_t>(width, 1);
    std::size_t w = 0;
    for (char c : line)
        w += c == '\t' ? stop - w % stop : 1;
    return w;
}

Lines alignColumns(bool useTab, std::uint32_t width, std::uint32_t column, const Lines &lines) {
    const std::size_t stop = std::max<std::uint32_t>(width, 1);
    const std::string unit = useTab ? "\t" : spaces(stop);
    Lines padded;
    padded.reserve(lines.size());
    for (const std::string &line : lines) {
        std::string out = line;
        std::size_t w = displayWidth(line, width);
        const std::size_t step = stop - w % stop;
        out += useTab ? "\t" : spaces(step);
        w += step;
        // alignColumns(false, 4, 12, {"1234567"}) pads to 8, then one unit more to 12.
        if (w < column) {
            const std::size_t units = (column - w + stop - 1) / stop;
            for (std::size_t i = 0; i < units; ++i)
                out += unit;
        }
        padded.push_back(std::move(out));
    }
    return padded;
}

std::string padLabel(std::string_view label) {
    const std::size_t size = g_settingData.tabWidth();
    std::string padded(label);
    padded += ' ';
    padded += spaces((size - padded.size() % size) % size);
    return padded;
}

std::string indent() {
    return g_settingData.spacingStyle() == SettingData::SpacingStyle::Space ? spaces(g_settingData.tabWidth())
                                                                            : "\t";
}
