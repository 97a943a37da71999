#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

// The read-only view of the user's settings that comment generation and the pages use.
// Every consumer that switches on an enumeration treats 0 and 1 as listed and any other
// value as the third member.
class SettingData {
public:
    enum class CommentStyle : std::int32_t { C = 0, Java = 1, D = 2 };
    enum class DocumentStyle : std::int32_t { DoxygenBS = 0, DoxygenAT = 1, DDoc = 2 };
    enum class SpacingStyle : std::int32_t { Tab = 0, Space = 1, TabSpace = 2 };

    virtual ~SettingData() = default;

    virtual CommentStyle commentStyle() const = 0;
    virtual DocumentStyle documentStyle() const = 0;
    virtual SpacingStyle spacingStyle() const = 0;
    virtual std::uint32_t spacingSize() const = 0;
    virtual bool boxingHeadStyle() const = 0;
    virtual bool boxingFootStyle() const = 0;
    virtual std::string dateFormat() const = 0;
    virtual std::string copyright() const = 0;
    virtual std::string author() const = 0;
    virtual std::uint32_t boxingSize() const = 0;

    // The sizes as the generators use them. A hand-edited or damaged setting.dat can hold 0
    // (a division by zero) or 4294967295 (gigabytes of padding), so they are bounded here.
    static constexpr std::uint32_t minSpacingSize = 1, maxSpacingSize = 64;
    static constexpr std::uint32_t minBoxingSize = 3, maxBoxingSize = 1000;
    std::uint32_t tabWidth() const { return std::clamp(spacingSize(), minSpacingSize, maxSpacingSize); }
    std::uint32_t boxWidth() const { return std::clamp(boxingSize(), minBoxingSize, maxBoxingSize); }
};

// The settings in force, for every reader: the settings record (settingrecord.h), except on a
// thread where a UseSettings lives.
extern SettingData &g_settingData;

// While it lives, g_settingData reads `settings` on this thread: a comment for one language is
// written in that language's settings, and another thread rendering at the same time is not
// disturbed. `settings` must outlive it.
class UseSettings {
public:
    explicit UseSettings(const SettingData &settings);
    ~UseSettings();
    UseSettings(const UseSettings &) = delete;
    UseSettings &operator=(const UseSettings &) = delete;

private:
    const SettingData *m_previous;
};
