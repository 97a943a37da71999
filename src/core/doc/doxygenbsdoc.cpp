#include "doc/doxygenbsdoc.h"

#include "common/settingdata.h"

#include <algorithm>
#include <utility>

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
    return ValuePair{line.substr(0, comma), line.substr(start)};
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
    Lines lines = splitLines(m_note);
    lines[0].insert(0, command("note") + '\t');
    return trimTrailingEmpty(std::move(lines));
}

Lines DoxygenDocumentStyle::returnsSection() const {
    if (m_returns.empty())
        return {};
    Lines lines = trimTrailingEmpty(splitLines(m_returns));
    const bool space = g_settingData.spacingStyle() == Spacing::Space;
    if (lines.size() == 1) {
        lines[0].insert(0, space ? padLabel(command("return")) : command("return") + '\t');
        return lines;
    }

    std::vector<ValuePair> pairs;
    pairs.reserve(lines.size());
    for (const std::string &line : lines) {
        const std::optional<ValuePair> pair = splitValuePair(line);
        if (!pair)
            break;
        pairs.push_back(*pair);
    }
    if (pairs.size() == lines.size())
        return commandColumns("retval", pairs);

    const std::string lead = indent();
    for (std::string &line : lines)
        line.insert(0, lead);
    lines.insert(lines.begin(), command("return"));
    return lines;
}

Lines DoxygenDocumentStyle::throwsSection() const {
    std::vector<ValuePair> rows;
    rows.reserve(m_throws.size());
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

    std::size_t longest = 0;
    for (const ValuePair &row : rows)
        longest = std::max(longest, row.value.size());
    const std::size_t column = longest + labelWidth + 1;

    Lines section;
    section.reserve(rows.size());
    for (const ValuePair &row : rows) {
        std::string line;
        // Room for the whole line: the padding ends less than a tab stop past the column.
        line.reserve(column + s.tabWidth() + row.description.size());
        line += label;
        line += row.value;
        padToColumn(line, s.spacingStyle() == Spacing::Tab, s.tabWidth(), column);
        line += row.description;
        section.push_back(std::move(line));
    }
    return section;
}

Lines DoxygenDocumentStyle::paramsSection() const {
    const bool useTab = g_settingData.spacingStyle() == Spacing::Tab;
    const std::uint32_t width = g_settingData.tabWidth();
    const std::string param = command("param[");

    std::size_t longestHead = 0, longestName = 0;
    for (const ParamEntry &entry : m_params) {
        longestHead = std::max(longestHead, param.size() + entry.direction.size() + 1);
        longestName = std::max(longestName, entry.name.size());
    }
    const std::size_t nameColumn = longestHead + 1;

    // Measured on screen rather than in bytes: a tab that pads "[in]" further than "[inout]"
    // would otherwise leave the shorter direction's description one tab stop behind.
    Lines section;
    section.reserve(m_params.size());
    std::size_t longest = 0;
    for (const ParamEntry &entry : m_params) {
        std::string line;
        // Room for the whole line: each padding ends less than a tab stop past its column.
        line.reserve(nameColumn + width + longestName + width + entry.description.size());
        line += param;
        line += entry.direction;
        line += ']';
        padToColumn(line, useTab, width, nameColumn);
        line += entry.name;
        longest = std::max(longest, displayWidth(line, width));
        section.push_back(std::move(line));
    }
    for (std::size_t i = 0; i < m_params.size(); ++i) {
        padToColumn(section[i], useTab, width, longest + 1);
        section[i] += m_params[i].description;
    }
    return section;
}

bool DoxygenDocumentStyle::blankBeforeFunctionBlock(const Lines &params, const Lines &, const Lines &) const {
    return !params.empty();
}
