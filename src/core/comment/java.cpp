#include "comment/java.h"

#include "common/settingdata.h"

#include <utility>

Lines CommentJavaStyle::format(Lines lines) const {
    const SettingData &s = g_settingData;
    const std::string prefix =
        s.spacingStyle() == SettingData::SpacingStyle::Space ? padLabel("///") : "///\t";
    // A single line stays a single line: boxing it would triple its height.
    const bool boxable = lines.size() >= 2;

    Lines framed;
    framed.reserve(lines.size() + 2);
    if (boxable && s.boxingHeadStyle())
        framed.emplace_back(s.boxWidth(), '/');
    for (std::string &line : lines) {
        line.insert(0, prefix);
        framed.push_back(std::move(line));
    }
    if (boxable && s.boxingFootStyle())
        framed.emplace_back(s.boxWidth(), '/');
    return framed;
}
