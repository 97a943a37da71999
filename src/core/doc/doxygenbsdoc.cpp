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
    return trimTrailingEmpty(splitLines(m_note, command("note") + '\t'));
}

Lines DoxygenDocumentStyle::returnsSection() const {
    if (m_returns.empty())
        return {};
    Lines lines = trimTrailingEmpty(splitLines(m_returns));
    const bool space = g_settingData.spacingStyle() == Spacing::Space;
    if (lines.size() == 1) {
        std::string line = space ? padLabel(command("return")) : command("return") + '\t';
        line += lines.front();
        return {line};
    }

    std::vector<ValuePair> pairs;
    pairs.reserve(lines.size());
    for (std::string_view line : lines) {
        const std::optional<ValuePair> pair = splitValuePair(line);
        if (!pair)
            break;
        pairs.push_back(*pair);
    }
    if (pairs.size() == lines.size())
        return commandColumns("retval", pairs);

    Lines section{command("return")};
    section.append(lines, indent());
    return section;
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
    const Spacing spacing = g_settingData.spacingStyle();
    const std::uint32_t width = g_settingData.tabWidth();
    const std::string commandName = command(name);
    const std::string label = spacing == Spacing::Space ? padLabel(commandName) : commandName + '\t';
    const std::size_t labelWidth = spacing == Spacing::Space ? label.size() : commandName.size() + width;
    const std::size_t labelEnd = displayWidth(label, width);

    std::size_t longest = 0;
    for (const ValuePair &row : rows)
        longest = std::max(longest, row.value.size());
    const std::size_t column = longest + labelWidth + 1;

    Lines section;
    // Room for every line: the padding ends less than a tab stop past the column.
    section.reserve(rows.size(), rows.size() * (column + width));
    for (const ValuePair &row : rows) {
        section.push_back(label);
        section.extend(row.value);
        padToColumn(section, spacing == Spacing::Tab, width, displayWidth(row.value, width, labelEnd), column);
        section.extend(row.description);
    }
    return section;
}

Lines DoxygenDocumentStyle::paramsSection() const {
    const bool useTab = g_settingData.spacingStyle() == Spacing::Tab;
    const std::uint32_t width = g_settingData.tabWidth();
    const std::string param = command("param[");

    std::size_t longestHead = 0, bytes = 0;
    for (const ParamEntry &entry : m_params) {
        longestHead = std::max(longestHead, param.size() + entry.direction.size() + 1);
        bytes += entry.direction.size() + entry.name.size() + entry.description.size();
    }
    const std::size_t nameColumn = longestHead + 1;

    // Measured on screen rather than in bytes: a tab that pads "[in]" further than "[inout]"
    // would otherwise leave the shorter direction's description one tab stop behind.
    struct Columns {
        std::size_t headEnd, nameEnd;
    };
    std::vector<Columns> columns;
    columns.reserve(m_params.size());
    std::size_t longest = 0;
    for (const ParamEntry &entry : m_params) {
        const std::size_t headEnd = displayWidth(entry.direction, width, param.size()) + 1; // and "]"
        const std::size_t nameEnd = displayWidth(entry.name, width, tabStopAfter(headEnd, width, nameColumn));
        columns.push_back({headEnd, nameEnd});
        longest = std::max(longest, nameEnd);
    }

    Lines section;
    // Room for every line: each padding ends less than a tab stop past its column.
    section.reserve(m_params.size(), bytes + m_params.size() * (param.size() + 1 + 2 * width + longest));
    for (std::size_t i = 0; i < m_params.size(); ++i) {
        const ParamEntry &entry = m_params[i];
        section.push_back(param);
        section.extend(entry.direction);
        section.extend("]");
        padToColumn(section, useTab, width, columns[i].headEnd, nameColumn);
        section.extend(entry.name);
        padToColumn(section, useTab, width, columns[i].nameEnd, longest + 1);
        section.extend(entry.description);
    }
    return section;
}

bool DoxygenDocumentStyle::blankBeforeFunctionBlock(const Lines &params, const Lines &, const Lines &) const {
    return !params.empty();
}
