#include "core/doc/ddoc.h"

#include "core/common/settingdata.h"

#include <algorithm>
#include <utility>

namespace {

using Spacing = SettingData::SpacingStyle;

bool isTab() {
    return g_settingData.spacingStyle() == Spacing::Tab;
}

// With Space, "Date" and "Authors" take their padding before the colon: "Date    : 2026".
void addNamedField(Lines &lines, const std::string &name, std::string_view value) {
    if (value.empty())
        return;
    lines.push_back(isTab() ? name + ":\t" : padLabel(name) + ": ");
    lines.extend(value);
}

struct Row {
    std::string_view head, tail;
};

// A header line, then one indented line per row: the head, padding to a common column,
// the separator and the tail. {"x", "the x"} with "= " gives "\tx\t\t= the x" (Tab, 4).
void addIndentedColumns(Lines &lines, std::string_view header, const std::vector<Row> &rows,
                        std::string_view separator) {
    const std::uint32_t width = g_settingData.tabWidth();
    const bool useTab = isTab();
    const std::string lead = indent();
    const std::size_t leadWidth = displayWidth(lead, width);
    std::size_t longest = 0;
    for (const Row &row : rows)
        longest = std::max(longest, width + row.head.size());

    // Room for every line: the padding ends less than a tab stop past the column.
    lines.reserve(rows.size() + 1, header.size() + rows.size() * (longest + 1 + width + separator.size()));
    lines.push_back(header);
    for (const Row &row : rows) {
        lines.push_back(lead);
        lines.extend(row.head);
        padToColumn(lines, useTab, width, displayWidth(row.head, width, leadWidth), longest + 1);
        lines.extend(separator);
        lines.extend(row.tail);
    }
}

} // namespace

void DDocumentStyle::addDate(Lines &lines) const {
    addNamedField(lines, "Date", m_date);
}
void DDocumentStyle::addAuthor(Lines &lines) const {
    addNamedField(lines, "Authors", m_author);
}

void DDocumentStyle::addCopyright(Lines &lines) const {
    if (m_copyright.empty())
        return;
    lines.push_back(isTab() ? std::string("Copyright:\t") : padLabel("Copyright:"));
    lines.extend(m_copyright);
}

void DDocumentStyle::addNote(Lines &lines) const {
    addText(lines, m_note);
}

void DDocumentStyle::addReturns(Lines &lines) const {
    if (m_returns.empty())
        return;
    const Lines returns = trimTrailingEmpty(splitLines(m_returns));
    if (returns.size() == 1) {
        lines.push_back(isTab() ? std::string("Returns:\t") : padLabel("Returns:"));
        lines.extend(returns.front());
        return;
    }
    // A text of line breaks only keeps the header: the field is not empty.
    lines.push_back("Returns:");
    lines.append(returns, indent());
}

void DDocumentStyle::addThrows(Lines &lines) const {
    if (m_throws.empty())
        return;
    if (m_throws.size() == 1) {
        lines.push_back("Throws: ");
        lines.extend(m_throws[0].description);
        lines.extend(", ");
        lines.extend(m_throws[0].type);
        return;
    }
    std::vector<Row> rows;
    rows.reserve(m_throws.size());
    for (const ExceptionEntry &entry : m_throws)
        rows.push_back({entry.description, entry.type});
    addIndentedColumns(lines, "Throws:", rows, ", ");
}

void DDocumentStyle::addParams(Lines &lines) const {
    if (m_params.empty())
        return;
    std::vector<Row> rows;
    rows.reserve(m_params.size());
    for (const ParamEntry &param : m_params)
        rows.push_back({param.name, param.description});
    addIndentedColumns(lines, "Params:", rows, "= ");
}

bool DDocumentStyle::blankBeforeFunctionBlock() const {
    // Any of the three sections is there exactly when its field is not empty.
    return !m_params.empty() || !m_returns.empty() || !m_throws.empty();
}
