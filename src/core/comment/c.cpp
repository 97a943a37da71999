#include "core/comment/c.h"

#include "core/common/settingdata.h"

Lines CommentCStyle::format(const Lines &lines) const {
    return frameBlock(lines, '*');
}

Lines frameBlock(const Lines &lines, char mark) {
    if (lines.empty())
        return {""};
    const SettingData &s = g_settingData;
    const std::string base{' ', mark};
    const std::string prefix =
        s.spacingStyle() == SettingData::SpacingStyle::Space ? padLabel(base) : base + '\t';
    // Boxed, both are the box width long: "/*****" and " ****/".
    const std::size_t head = s.boxingHeadStyle() ? s.boxWidth() : 3;
    const std::size_t foot = s.boxingFootStyle() ? s.boxWidth() : 3;

    Lines framed;
    framed.reserve(lines.size() + 2, head + lines.bytes() + lines.size() * prefix.size() + foot);
    framed.push_back("/");
    framed.extend(head - 1, mark);
    framed.append(lines, prefix);
    framed.push_back(" ");
    framed.extend(foot - 2, mark);
    framed.extend("/");
    return framed;
}
