#include "comment/java.h"

#include "common/settingdata.h"

Lines CommentJavaStyle::format(const Lines &lines) const {
    const SettingData &s = g_settingData;
    const std::string prefix =
        s.spacingStyle() == SettingData::SpacingStyle::Space ? padLabel("///") : "///\t";
    // A single line stays a single line: boxing it would triple its height.
    const bool boxable = lines.size() >= 2;
    const std::string box(s.boxWidth(), '/');

    Lines framed;
    framed.reserve(lines.size() + 2);
    if (boxable && s.boxingHeadStyle())
        framed.push_back(box);
    for (const std::string &line : lines)
        framed.push_back(prefix + line);
    if (boxable && s.boxingFootStyle())
        framed.push_back(box);
    return framed;
}
