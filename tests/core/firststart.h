#pragma once

#include "core/common/settingrecord.h"

// The settings a first start loads; tests call it in SetUp and then override what a row needs.
inline void resetFirstStartSettings() {
    CSettingData &s = g_settingRecord;
    s.m_commentStyle = SettingData::CommentStyle::D;
    s.m_documentStyle = SettingData::DocumentStyle::DDoc;
    s.m_spacingStyle = SettingData::SpacingStyle::Tab;
    s.m_spacingSize = 4;
    s.m_boxingHeadStyle = true;
    s.m_boxingFootStyle = false;
    s.m_boxingSize = 100;
    s.m_dateFormat = defaultDateFormat;
    s.m_copyright.clear();
    s.m_author.clear();
}
