#include "comment/styler.h"

#include "comment/c.h"
#include "comment/d.h"
#include "comment/java.h"
#include "common/settingdata.h"

std::unique_ptr<CommentStyle> commentStyler() {
    switch (g_settingData.commentStyle()) {
    case SettingData::CommentStyle::C:
        return std::make_unique<CommentCStyle>();
    case SettingData::CommentStyle::Java:
        return std::make_unique<CommentJavaStyle>();
    default:
        return std::make_unique<CommentDStyle>();
    }
}
