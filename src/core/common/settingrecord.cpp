#include "common/settingrecord.h"

#include "Orvex/Exception.h"

namespace {
CSettingData record;
}

CSettingData& g_settingRecord = record;
SettingData& g_settingData = record;

// Placeholder until the settings file lands: Load gives the first-start defaults.
void CSettingData::Load()
{
    m_commentStyle = CommentStyle::D;
    m_documentStyle = DocumentStyle::DDoc;
    m_spacingStyle = SpacingStyle::Tab;
    m_spacingSize = 4;
    m_boxingHeadStyle = true;
    m_boxingFootStyle = false;
    m_boxingSize = 100;
    m_dateFormat = defaultDateFormat;
    m_copyright.clear();
    m_author.clear();
}

void CSettingData::Save() { throw Orvex::Exception("ファイルの保存に失敗しました。"); }
std::int32_t CSettingData::windowX() { return 0; }
std::int32_t CSettingData::windowY() { return 0; }
