#pragma once

#include <array>
#include <string_view>

// The languages of the sources Remarkist reads and writes comments for.
enum class Language { C, Cpp, D, Java };

inline constexpr std::array<Language, 4> allLanguages{Language::C, Language::Cpp, Language::D,
                                                      Language::Java};

// The name setting.dat and remarkist-render use: "c", "cpp", "d", "java".
constexpr std::string_view languageName(Language language) {
    constexpr std::string_view names[] = {"c", "cpp", "d", "java"};
    return names[static_cast<int>(language)];
}
