#include "core/doc/javadoc.h"

#include "core/common/settingdata.h"

#include <algorithm>

void JavadocDocumentStyle::addDate(Lines &lines) const {
    addLabelled(lines, command("since"), m_date);
}

void JavadocDocumentStyle::addNote(Lines &lines) const {
    addText(lines, m_note, "<p>");
}

void JavadocDocumentStyle::addThrows(Lines &lines) const {
    addCommandColumns(lines, "throws", exceptionRows());
}

// {"0", "ok"} and {"-1", "failed"} with Tab and SpacingSize 4 give
// "@return", "\t<ul>", "\t<li>0\t\tok", "\t<li>-1\t\tfailed", "\t</ul>".
void JavadocDocumentStyle::addValueList(Lines &lines, const std::vector<ValuePair> &pairs) const {
    const bool useTab = g_settingData.spacingStyle() == SettingData::SpacingStyle::Tab;
    const std::uint32_t width = g_settingData.tabWidth();
    const std::string item = indent() + "<li>";
    const std::size_t itemEnd = displayWidth(item, width);
    std::size_t longest = 0;
    for (const ValuePair &pair : pairs)
        longest = std::max(longest, displayWidth(pair.value, width, itemEnd));

    lines.push_back(command("return"));
    lines.push_back(indent() + "<ul>");
    for (const ValuePair &pair : pairs) {
        lines.push_back(item);
        lines.extend(pair.value);
        padToColumn(lines, useTab, width, displayWidth(pair.value, width, itemEnd), longest + 1);
        lines.extend(pair.description);
    }
    lines.push_back(indent() + "</ul>");
}
