#pragma once

#include <QString>

// The program's texts are written in Japanese; an English translation is built in.
enum class UiLanguage { Japanese, English };

// Japanese when the first UI language is Japanese, or when the locale is C or POSIX (the
// first of LC_ALL, LC_MESSAGES, LANG that is set and not empty; none set is C too); English
// otherwise. chooseLanguage(nullptr, nullptr, "en_US.UTF-8", "en-US") gives English,
// chooseLanguage(nullptr, nullptr, "C.UTF-8", "en-US") Japanese.
UiLanguage chooseLanguage(const char *lcAll, const char *lcMessages, const char *lang,
                          const QString &firstUiLanguage);

// Texts made from now on are in `language`.
void useLanguage(UiLanguage language);

// useLanguage with the choice for this process's environment and system locale.
void useSystemLanguage();
