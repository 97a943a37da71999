#pragma once

#include "common/settingdata.h"
#include "Orvex/Util/Setting.h"

#include <cstdint>
#include <string>

// The settings record: the user's choices, mirrored in a setting tree that is stored in
// setting.dat (relative to the current directory). The settings page writes the fields
// directly; everything else reads them through SettingData.
class CSettingData : public SettingData {
public:
    CommentStyle m_commentStyle{};
    DocumentStyle m_documentStyle{};
    SpacingStyle m_spacingStyle{};
    std::uint32_t m_spacingSize = 0;
    bool m_boxingHeadStyle = false;
    bool m_boxingFootStyle = false;
    std::uint32_t m_boxingSize = 0;
    std::string m_dateFormat;
    std::string m_copyright;
    std::string m_author;
    Orvex::TSerializingSetting m_setting;

    CommentStyle commentStyle() const override { return m_commentStyle; }
    DocumentStyle documentStyle() const override { return m_documentStyle; }
    SpacingStyle spacingStyle() const override { return m_spacingStyle; }
    std::uint32_t spacingSize() const override { return m_spacingSize; }
    bool boxingHeadStyle() const override { return m_boxingHeadStyle; }
    bool boxingFootStyle() const override { return m_boxingFootStyle; }
    std::string dateFormat() const override { return m_dateFormat; }
    std::string copyright() const override { return m_copyright; }
    std::string author() const override { return m_author; }
    std::uint32_t boxingSize() const override { return m_boxingSize; }

    // Stores the fields into the tree and writes setting.dat; throws
    // "ファイルの保存に失敗しました。" when the file cannot be written (the old file stays).
    void Save();
    // Reads setting.dat into the tree when it can (silently keeps the tree otherwise), then
    // sets every field from the tree, with defaults for what is missing.
    void Load();
    // The stored window position, 0 when absent.
    std::int32_t windowX();
    std::int32_t windowY();

    // The file Save and Load use; "setting.dat" unless a caller (remarkist-render --settings) says otherwise.
    std::string m_path = "setting.dat";
};

extern CSettingData& g_settingRecord;

// The default date template.
inline constexpr const char* defaultDateFormat = "%Y4%/%M2%/%D2%(%W[日,月,火,水,木,金,土]%)[%H2%:%MI2%:%S2%]";
