#include "doc/doxygenbsdoc.h"

#include "common/settingdata.h"

#include <algorithm>

namespace {

using Spacing = SettingData::SpacingStyle;

// "\date\t" with Tab, padLabel("\date") otherwise.
Lines labelled(const std::string &label, const std::string &value) {
    if (value.empty())
        return {};
    if (g_settingData.spacingStyle() == Spacing::Tab)
        return {label + '\t' + value};
    return {padLabel(label) + value};
}

} // namespace

std::optional<ValuePair> splitValuePair(std::string_view line) {
    // A greedy "^(.+) *, *(.+)$" settles on the last comma with a byte on each side.
    if (line.size() < 3)
        return std::nullopt;
    const std::size_t comma = line.find_last_of(',', line.size() - 2);
    if (comma == std::string_view::npos || comma == 0)
        return std::nullopt;
    // " *" takes every space after the comma but must leave ".+" one byte.
    std::size_t start = line.find_first_not_of(' ', comma + 1);
    start = std::min(start, line.size() - 1);
    return ValuePair{std::string(line.substr(0, comma)), std::string(line.substr(start))};
}

std::string DoxygenDocumentStyle::command(std::string_view name) const {
    return m_prefix + std::string(name);
}

Lines DoxygenDocumentStyle::dateSection() const {
    return labelled(command("date"), m_date);
}
Lines DoxygenDocumentStyle::authorSection() const {
    return labelled(command("author"), m_author);
}
Lines DoxygenDocumentStyle::copyrightSection() const {
    return labelled("Copyright", m_copyright);
}

Lines DoxygenDocumentStyle::noteSection() const {
    if (m_note.empty())
        return {};
    return trimTrailingEmpty(splitLines(command("note") + '\t' + m_note));
}

Lines DoxygenDocumentStyle::returnsSection() const {
    if (m_returns.empty())
        return {};
    const Lines lines = trimTrailingEmpty(splitLines(m_returns));
    const bool space = g_settingData.spacingStyle() == Spacing::Space;
    if (lines.size() == 1)
        return {(space ? padLabel(command("return")) : command("return") + '\t') + lines[0]};

    std::vector<ValuePair> pairs;
    for (const std::string &line : lines) {
        std::optional<ValuePair> pair = splitValuePair(line);
        if (!pair)
            break;
        pairs.push_back(std::move(*pair));
    }
    if (pairs.size() == lines.size())
        return commandColumns("retval", pairs);

    Lines section{command("return")};
    for (const std::string &line : lines)
        section.push_back(indent() + line);
    return section;
}

Lines DoxygenDocumentStyle::throwsSection() const {
    std::vector<ValuePair> rows;
    for (const ExceptionEntry &entry : m_throws)
        rows.push_back({entry.type, entry.description});
    return commandColumns("throw", rows);
}

// One line per row: the command, the row's value, then its description at a common column.
Lines DoxygenDocumentStyle::commandColumns(std::string_view name, const std::vector<ValuePair> &rows) const {
    const SettingData &s = g_settingData;
    const bool space = s.spacingStyle() == Spacing::Space;
    const std::string label = space ? padLabel(command(name)) : command(name) + '\t';
    const std::size_t labelWidth = space ? label.size() : command(name).size() + s.tabWidth();

    Lines heads;
    std::size_t longest = 0;
    for (const ValuePair &row : rows) {
        heads.push_back(label + row.value);
        longest = std::max(longest, row.value.size());
    }
    const auto column = static_cast<std::uint32_t>(longest + labelWidth + 1);
    Lines section = alignColumns(s.spacingStyle() == Spacing::Tab, s.tabWidth(), column, heads);
    for (std::size_t i = 0; i < rows.size(); ++i)
        section[i] += rows[i].description;
    return section;
}

Lines DoxygenDocumentStyle::paramsSection() const {
    const bool useTab = g_settingData.spacingStyle() == Spacing::Tab;
    const std::uint32_t width = g_settingData.tabWidth();

    Lines heads;
    std::size_t longest = 0;
    for (const ParamEntry &param : m_params) {
        heads.push_back(command("param[") + param.direction + ']');
        longest = std::max(longest, heads.back().size());
    }
    heads = alignColumns(useTab, width, static_cast<std::uint32_t>(longest + 1), heads);

    // Measured on screen rather than in bytes: a tab that pads "[in]" further than "[inout]"
    // would otherwise leave the shorter direction's description one tab stop behind.
    longest = 0;
    for (std::size_t i = 0; i < m_params.size(); ++i) {
        heads[i] += m_params[i].name;
        longest = std::max(longest, displayWidth(heads[i], width));
    }
    Lines section = alignColumns(useTab, width, static_cast<std::uint32_t>(longest + 1), heads);
    for (std::size_t i = 0; i < m_params.size(); ++i)
        section[i] += m_params[i].description;
    return section;
}

bool DoxygenDocumentStyle::blankBeforeFunctionBlock(const Lines &params, const Lines &, const Lines &) const {
    return !params.empty();
}
