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

// A header line, then one indented line per row: the head, padding to a common column,
// the separator and the tail. {"x", "the x"} with "= " gives "\tx\t\t= the x" (Tab, 4).
Lines indentedColumns(const std::string &header, const std::vector<std::pair<std::string, std::string>> &rows,
                      const std::string &separator) {
    const std::uint32_t width = g_settingData.tabWidth();
    Lines heads;
    std::size_t longest = 0;
    for (const auto &row : rows) {
        heads.push_back(indent() + row.first);
        longest = std::max(longest, width + row.first.size());
    }
    Lines section = alignColumns(isTab(), width, static_cast<std::uint32_t>(longest + 1), heads);
    for (std::size_t i = 0; i < rows.size(); ++i)
        section[i] += separator + rows[i].second;
    section.insert(section.begin(), header);
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
    if (lines.size() == 1)
        return {(isTab() ? std::string("Returns:\t") : padLabel("Returns:")) + lines[0]};
    Lines section{"Returns:"};
    for (const std::string &line : lines)
        section.push_back(indent() + line);
    return section;
}

Lines DDocumentStyle::throwsSection() const {
    if (m_throws.empty())
        return {};
    if (m_throws.size() == 1)
        return {"Throws: " + m_throws[0].description + ", " + m_throws[0].type};
    std::vector<std::pair<std::string, std::string>> rows;
    for (const ExceptionEntry &entry : m_throws)
        rows.emplace_back(entry.description, entry.type);
    return indentedColumns("Throws:", rows, ", ");
}

Lines DDocumentStyle::paramsSection() const {
    if (m_params.empty())
        return {};
    std::vector<std::pair<std::string, std::string>> rows;
    for (const ParamEntry &param : m_params)
        rows.emplace_back(param.name, param.description);
    return indentedColumns("Params:", rows, "= ");
}

bool DDocumentStyle::blankBeforeFunctionBlock(const Lines &params, const Lines &returns,
                                              const Lines &throws) const {
    return !params.empty() || !returns.empty() || !throws.empty();
}
