#include "core/doc/doxygenbsdoc.h"

#include "core/common/settingdata.h"

#include <algorithm>
#include <utility>

namespace {

using Spacing = SettingData::SpacingStyle;

// The direction clang and Doxygen both read: "inout" gives "in,out", "sideways" nothing.
std::string_view checkedDirection(std::string_view direction) {
    if (direction == "in" || direction == "out")
        return direction;
    if (direction == "inout" || direction == "in,out" || direction == "out,in")
        return "in,out";
    return {};
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

void DoxygenDocumentStyle::addLabelled(Lines &lines, const std::string &label, std::string_view value) const {
    if (value.empty())
        return;
    lines.push_back(g_settingData.spacingStyle() == Spacing::Tab ? label + '\t' : padLabel(label));
    lines.extend(value);
}

std::string DoxygenDocumentStyle::paramHead(const ParamEntry &entry) const {
    switch (m_directions) {
    case Directions::AsTyped:
        return command("param[") + entry.direction + "]";
    case Directions::Checked:
        if (const std::string_view direction = checkedDirection(entry.direction); !direction.empty())
            return command("param[") + std::string(direction) + "]";
        break;
    case Directions::None:
        break;
    }
    return command("param");
}

void DoxygenDocumentStyle::addDate(Lines &lines) const {
    addLabelled(lines, command("date"), m_date);
}
void DoxygenDocumentStyle::addAuthor(Lines &lines) const {
    addLabelled(lines, command("author"), m_author);
}
void DoxygenDocumentStyle::addCopyright(Lines &lines) const {
    addLabelled(lines, "Copyright", m_copyright);
}

void DoxygenDocumentStyle::addNote(Lines &lines) const {
    addText(lines, m_note, command("note") + '\t');
}

void DoxygenDocumentStyle::addReturns(Lines &lines) const {
    if (m_returns.empty())
        return;
    const Lines returns = trimTrailingEmpty(splitLines(m_returns));
    if (returns.size() == 1) {
        const bool space = g_settingData.spacingStyle() == Spacing::Space;
        lines.push_back(space ? padLabel(command("return")) : command("return") + '\t');
        lines.extend(returns.front());
        return;
    }

    std::vector<ValuePair> pairs;
    pairs.reserve(returns.size());
    for (std::string_view line : returns) {
        const std::optional<ValuePair> pair = splitValuePair(line);
        if (!pair)
            break;
        pairs.push_back(*pair);
    }
    if (pairs.size() == returns.size()) {
        addValueList(lines, pairs);
        return;
    }
    lines.push_back(command("return"));
    lines.append(returns, indent());
}

void DoxygenDocumentStyle::addValueList(Lines &lines, const std::vector<ValuePair> &pairs) const {
    addCommandColumns(lines, "retval", pairs);
}

std::vector<ValuePair> DoxygenDocumentStyle::exceptionRows() const {
    std::vector<ValuePair> rows;
    rows.reserve(m_throws.size());
    for (const ExceptionEntry &entry : m_throws)
        rows.push_back({entry.type, entry.description});
    return rows;
}

void DoxygenDocumentStyle::addThrows(Lines &lines) const {
    addCommandColumns(lines, "throw", exceptionRows());
}

void DoxygenDocumentStyle::addCommandColumns(Lines &lines, std::string_view name,
                                             const std::vector<ValuePair> &rows) const {
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

    // Room for every line: the padding ends less than a tab stop past the column.
    lines.reserve(rows.size(), rows.size() * (column + width));
    for (const ValuePair &row : rows) {
        lines.push_back(label);
        lines.extend(row.value);
        padToColumn(lines, spacing == Spacing::Tab, width, displayWidth(row.value, width, labelEnd), column);
        lines.extend(row.description);
    }
}

void DoxygenDocumentStyle::addParams(Lines &lines) const {
    const bool useTab = g_settingData.spacingStyle() == Spacing::Tab;
    const std::uint32_t width = g_settingData.tabWidth();

    std::vector<std::string> heads;
    heads.reserve(m_params.size());
    std::size_t longestHead = 0, bytes = 0;
    for (const ParamEntry &entry : m_params) {
        heads.push_back(paramHead(entry));
        longestHead = std::max(longestHead, heads.back().size());
        bytes += heads.back().size() + entry.name.size() + entry.description.size();
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
    for (std::size_t i = 0; i < m_params.size(); ++i) {
        const std::size_t headEnd = displayWidth(heads[i], width);
        const std::size_t nameEnd =
            displayWidth(m_params[i].name, width, tabStopAfter(headEnd, width, nameColumn));
        columns.push_back({headEnd, nameEnd});
        longest = std::max(longest, nameEnd);
    }

    // Room for every line: each padding ends less than a tab stop past its column.
    lines.reserve(m_params.size(), bytes + m_params.size() * (2 * width + longest));
    for (std::size_t i = 0; i < m_params.size(); ++i) {
        const ParamEntry &entry = m_params[i];
        lines.push_back(heads[i]);
        padToColumn(lines, useTab, width, columns[i].headEnd, nameColumn);
        lines.extend(entry.name);
        padToColumn(lines, useTab, width, columns[i].nameEnd, longest + 1);
        lines.extend(entry.description);
    }
}

bool DoxygenDocumentStyle::blankBeforeFunctionBlock() const {
    return !m_params.empty(); // only the parameters' lines take one
}
