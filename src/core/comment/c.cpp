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
    const std::size_t box = s.boxWidth();
    const std::string fill(box - 2, mark);
    const std::string base{' ', mark};
    const std::string prefix =
        s.spacingStyle() == SettingData::SpacingStyle::Space ? padLabel(base) : base + '\t';

    Lines framed;
    framed.reserve(lines.size() + 2);
    framed.push_back(s.boxingHeadStyle() ? std::string{'/', mark} + fill : std::string{'/', mark, mark});
    for (std::string &line : lines) {
        line.insert(0, prefix);
        framed.push_back(std::move(line));
    }
    framed.push_back(s.boxingFootStyle() ? ' ' + fill + '/' : base + '/');
    return framed;
}
