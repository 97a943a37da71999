#pragma once

#include "core/Orvex/Util/Setting.h"
#include "core/common/language.h"
#include "core/common/settingdata.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// The ten settings as plain values: the record's fields, and the settings in force for one
// language (CSettingData::settingsFor), which copies them.
struct SettingValues : SettingData {
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
};

// One language's own settings: stored texts by key, as setting.dat keeps them under
// "Languages", then the language's name ("cpp"), then the key. Only the keys of
// languageSettingKeys; the others are the same for every language.
using LanguageChoice = std::map<std::string, std::string, std::less<>>;

// The settings record: the user's choices, mirrored in a setting tree that is stored in
// setting.dat (see settingsPath for where). The settings page writes the fields
// directly; everything else reads them through SettingData.
class CSettingData : public SettingValues {
public:
    Orvex::TSerializingSetting m_setting;
    // Each language's own choice over the fields; a language without one is absent.
    std::map<Language, LanguageChoice> m_languageChoices;

    // The settings a comment in `language` is written in: the fields, the language's own choice
    // over them, and what the language cannot hold replaced (fitToLanguage).
    SettingValues settingsFor(Language language) const;
    // The same without the language's own choice: what it follows from all languages.
    SettingValues inheritedFor(Language language) const;
    // Makes the language's choice what `wanted` holds where it differs from inheritedFor: a
    // setting equal to what the language would follow anyway is no choice of its own.
    void chooseForLanguage(Language language, const SettingValues &wanted);

    // Every field as a first start (no setting.dat) gives it, with no language's own choice; the
    // tree is left alone.
    void resetToFirstStart();

    // Stores the fields into the tree and puts the tree in place of the file at settingsPath()
    // (written beside it, then renamed over it; the settings folder is made when missing). Throws
    // "ファイルの保存に失敗しました。" when that fails or the file is read-only; the old file then stays as
    // it was and the tree keeps the new values.
    void Save();
    // Reads the file at settingsPath() into the tree when it can (a missing or damaged file is silent),
    // then sets every field from the tree, with defaults for what is missing.
    void Load();
    // The stored window position ("WindowX", "WindowY"), 0 when absent or not a leaf.
    std::int32_t windowX() const;
    std::int32_t windowY() const;

    // The file Save and Load use: m_path when a caller (remarkist-render --settings, a test) sets
    // it; otherwise setting.dat in the current folder when it is there (portable use), else
    // $XDG_CONFIG_HOME/remarkist/setting.dat (~/.config/remarkist/ when that is unset).
    std::string settingsPath() const;
    std::string m_path;
};

extern CSettingData &g_settingRecord;

// One setting as setting.dat keeps it: its key, the record's field, and the stored text a first
// start reads. Choices store one of three names (value 0, 1, anything else); numbers are stored
// in decimal and used within [min, max]; flags as "true" or "false"; texts as they are.
struct SettingField {
    using Member =
        std::variant<SettingData::CommentStyle CSettingData::*, SettingData::DocumentStyle CSettingData::*,
                     SettingData::SpacingStyle CSettingData::*, std::uint32_t CSettingData::*,
                     bool CSettingData::*, std::string CSettingData::*>;
    const char *key;
    Member member;
    const char *firstStart;
    std::array<const char *, 3> names{};
    std::uint32_t min = 0, max = UINT32_MAX;

    // The stored text of the field in `values`, and the field set from a stored text (nullptr:
    // the key is absent).
    std::string storedText(const SettingValues &values) const;
    void read(SettingValues &values, const std::string *text) const;
    std::uint32_t firstStartNumber() const;
};

// Visits a field's member with one lambda for each type it may have:
// std::visit(Overloaded{[](bool CSettingData::*flag) {...}, ...}, field.member).
template <class... Visitors> struct Overloaded : Visitors... { using Visitors::operator()...; };
template <class... Visitors> Overloaded(Visitors...) -> Overloaded<Visitors...>;

// The ten settings, in the order setting.dat keeps them. WindowX and WindowY are the window's,
// stored beside them.
std::span<const SettingField> settingTable();
// The row for a key of the table; throws for any other key.
const SettingField &settingField(std::string_view key);
// Whether a language may hold its own value of the setting: CommentStyle, DocumentStyle,
// SpacingStyle, SpacingSize, BoxingHeadStyle, BoxingFootStyle and BoxingSize may; the date
// format, copyright and author are the same for every language.
bool isLanguageSetting(std::string_view key);

// A number as the file or the user wrote it; reading never fails. Leading blanks and signs are
// skipped (the last sign counts), 0x, 0b and 0o choose the base, and digits are read up to the
// first other character: " 12px" gives 12, "0x10" 16, "abc" 0.
struct WrittenNumber {
    bool negative = false;
    std::uint32_t low32 = 0; // the low 32 bits of the digits' value
    bool above32 = false;    // the value does not fit in 32 bits
};
WrittenNumber readWrittenNumber(std::string_view text);

// A stored number: its low 32 bits, so "-1" gives 4294967295.
std::uint32_t readSettingNumber(std::string_view text);

// The default date template.
inline constexpr const char *defaultDateFormat = "%Y4%/%M2%/%D2%(%W[日,月,火,水,木,金,土]%)[%H2%:%MI2%:%S2%]";
