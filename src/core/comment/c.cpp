#include "comment/c.h"

#include "common/settingdata.h"

#include <utility>

Lines CommentCStyle::format(Lines lines) const {
    return frameBlock(std::move(lines), '*');
}

Lines frameBlock(Lines lines, char mark) {
    if (lines.empty())
        return {""};
    const SettingData &s = g_settingData;
    const std::string base{' ', mark};
    const std::string prefix =
        s.spacingStyle() == SettingData::SpacingStyle::Space ? padLabel(base) : base + '\t';
    // Boxed, both are the box width long: "/*****" and " ****/".
    std::string head(s.boxingHeadStyle() ? s.boxWidth() : 3, mark);
    head.front() = '/';
    std::string foot(s.boxingFootStyle() ? s.boxWidth() : 3, mark);
    foot.front() = ' ';
    foot.back() = '/';

    Lines framed;
    framed.reserve(lines.size() + 2);
    framed.push_back(std::move(head));
    for (std::string &line : lines) {
        line.insert(0, prefix);
        framed.push_back(std::move(line));
    }
    framed.push_back(std::move(foot));
    return framed;
}
