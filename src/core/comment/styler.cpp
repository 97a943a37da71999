#include "core/comment/styler.h"

#include "core/comment/c.h"
#include "core/comment/d.h"
#include "core/comment/java.h"
#include "core/common/settingdata.h"

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
