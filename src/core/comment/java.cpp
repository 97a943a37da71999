#include "core/comment/java.h"

#include "core/common/settingdata.h"

Lines CommentJavaStyle::format(const Lines &lines) const {
    const SettingData &s = g_settingData;
    const std::string prefix =
        s.spacingStyle() == SettingData::SpacingStyle::Space ? padLabel("///") : "///\t";
    // A single line stays a single line: boxing it would triple its height.
    const bool boxable = lines.size() >= 2;

    const std::size_t head = boxable && s.boxingHeadStyle() ? s.boxWidth() : 0;
    const std::size_t foot = boxable && s.boxingFootStyle() ? s.boxWidth() : 0;

    Lines framed;
    framed.reserve(lines.size() + 2, head + lines.bytes() + lines.size() * prefix.size() + foot);
    if (head) {
        framed.push_back("");
        framed.extend(head, '/');
    }
    framed.append(lines, prefix);
    if (foot) {
        framed.push_back("");
        framed.extend(foot, '/');
    }
    return framed;
}
