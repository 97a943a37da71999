#include "render/settings.h"

#include "render/request.h"

#include "core/common/settingrecord.h"

#include <nlohmann/json.hpp>

namespace {

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

const SettingField &languageSetting(std::string_view key, std::string_view option) {
    if (!isLanguageSetting(key))
        throw SettingsUsageError("settings: " + std::string(option) + ": " + inQuotes(key) +
                                 " is no setting a language chooses (CommentStyle, DocumentStyle, "
                                 "SpacingStyle, SpacingSize, BoxingHeadStyle, BoxingFootStyle, BoxingSize)");
    return settingField(key);
}

// "SpacingSize=2" gives the stored text "2", "CommentStyle=1" "///_", "BoxingHeadStyle=false" "false".
std::pair<std::string, std::string> storedSetting(const std::string &assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos)
        throw SettingsUsageError("settings: --set: expected KEY=VALUE, got " + inQuotes(assignment));
    const std::string key = assignment.substr(0, equals);
    const SettingField &field = languageSetting(key, "--set");
    const std::string value = assignment.substr(equals + 1);
    CSettingData scratch;
    try {
        parseRequest({{"settings", {{key, nlohmann::json::parse(value)}}}}, scratch);
    } catch (const std::exception &) {
        const bool flag = key.starts_with("Boxing") && key.ends_with("Style");
        const bool choice = key.ends_with("Style") && !flag;
        throw SettingsUsageError("settings: --set " + assignment + ": expected " +
                                 (flag     ? "true or false"
                                  : choice ? "an integer (0, 1, 2)"
                                           : "an integer from 0 to 4294967295"));
    }
    return {key, field.storedText(scratch)};
}

nlohmann::ordered_json settingsJson(const SettingValues &values) {
    nlohmann::ordered_json settings = nlohmann::ordered_json::object();
    for (const SettingField &field : settingTable()) {
        const std::string text = field.storedText(values);
        std::visit(Overloaded{
                       [&](std::uint32_t CSettingData::*) { settings[field.key] = readSettingNumber(text); },
                       [&](bool CSettingData::*) { settings[field.key] = text == "true"; },
                       [&](std::string CSettingData::*) { settings[field.key] = text; },
                       [&](auto CSettingData::*) {
                           const auto &names = field.names;
                           settings[field.key] = text == names[0] ? 0 : text == names[1] ? 1 : 2;
                       },
                   },
                   field.member);
    }
    return settings;
}

} // namespace

std::string settingsCommand(std::optional<Language> language, const std::vector<std::string> &set,
                            const std::vector<std::string> &unset) {
    CSettingData &record = g_settingRecord;
    if (!language && !(set.empty() && unset.empty()))
        throw SettingsUsageError("settings: --set and --unset need --language");
    if (language && !(set.empty() && unset.empty())) {
        LanguageChoice choice = record.m_languageChoices[*language];
        for (const std::string &key : unset)
            choice.erase(languageSetting(key, "--unset").key);
        for (const std::string &assignment : set) {
            auto [key, text] = storedSetting(assignment);
            choice.insert_or_assign(std::move(key), std::move(text));
        }
        if (choice.empty())
            record.m_languageChoices.erase(*language);
        else
            record.m_languageChoices[*language] = std::move(choice);
        record.Save();
    }
    nlohmann::ordered_json settings = settingsJson(language ? record.settingsFor(*language) : record);
    settings["WindowX"] = record.windowX();
    settings["WindowY"] = record.windowY();
    // A damaged setting.dat may hold bytes that are not UTF-8; they show as U+FFFD.
    return settings.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}
