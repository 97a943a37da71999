#include "doc/ddoc.h"

#include "common/settingdata.h"

#include <algorithm>
#include <utility>

namespace {

using Spacing = SettingData::SpacingStyle;

bool isTab() {
    return g_settingData.spacingStyle() == Spacing::Tab;
}

// With Space, "Date" and "Authors" take their padding before the colon: "Date    : 2026".
Lines namedField(const std::string &name, const std::string &value) {
    if (value.empty())
        return {};
    return {(isTab() ? name + ":\t" : padLabel(name) + ": ") + value};
}

struct Row {
    std::string_view head, tail;
};

// A header line, then one indented line per row: the head, padding to a common column,
// the separator and the tail. {"x", "the x"} with "= " gives "\tx\t\t= the x" (Tab, 4).
Lines indentedColumns(std::string_view header, const std::vector<Row> &rows, std::string_view separator) {
    const std::uint32_t width = g_settingData.tabWidth();
    const bool useTab = isTab();
    const std::string lead = indent();
    const std::size_t leadWidth = displayWidth(lead, width);
    std::size_t longest = 0;
    for (const Row &row : rows)
        longest = std::max(longest, width + row.head.size());

    Lines section{header};
    // Room for every line: the padding ends less than a tab stop past the column.
    section.reserve(rows.size(), rows.size() * (longest + 1 + width + separator.size()));
    for (const Row &row : rows) {
        section.push_back(lead);
        section.extend(row.head);
        padToColumn(section, useTab, width, displayWidth(row.head, width, leadWidth), longest + 1);
        section.extend(separator);
        section.extend(row.tail);
    }
    return section;
}

} // namespace

Lines DDocumentStyle::dateSection() const {
    return namedField("Date", m_date);
}
Lines DDocumentStyle::authorSection() const {
    return namedField("Authors", m_author);
}

Lines DDocumentStyle::copyrightSection() const {
    if (m_copyright.empty())
        return {};
    return {(isTab() ? std::string("Copyright:\t") : padLabel("Copyright:")) + m_copyright};
}

Lines DDocumentStyle::noteSection() const {
    if (m_note.empty())
        return {};
    return trimTrailingEmpty(splitLines(m_note));
}

Lines DDocumentStyle::returnsSection() const {
    if (m_returns.empty())
        return {};
    const Lines lines = trimTrailingEmpty(splitLines(m_returns));
    if (lines.size() == 1) {
        std::string line = isTab() ? std::string("Returns:\t") : padLabel("Returns:");
        line += lines.front();
        return {line};
    }
    Lines section{"Returns:"};
    section.append(lines, indent());
    return section;
}

Lines DDocumentStyle::throwsSection() const {
    if (m_throws.empty())
        return {};
    if (m_throws.size() == 1)
        return {"Throws: " + m_throws[0].description + ", " + m_throws[0].type};
    std::vector<Row> rows;
    rows.reserve(m_throws.size());
    for (const ExceptionEntry &entry : m_throws)
        rows.push_back({entry.description, entry.type});
    return indentedColumns("Throws:", rows, ", ");
}

Lines DDocumentStyle::paramsSection() const {
    if (m_params.empty())
        return {};
    std::vector<Row> rows;
    rows.reserve(m_params.size());
    for (const ParamEntry &param : m_params)
        rows.push_back({param.name, param.description});
    return indentedColumns("Params:", rows, "= ");
}

bool DDocumentStyle::blankBeforeFunctionBlock(const Lines &params, const Lines &returns,
                                              const Lines &throws) const {
    return !params.empty() || !returns.empty() || !throws.empty();
}
