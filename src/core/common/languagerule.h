#pragma once

#include "core/common/language.h"
#include "core/common/settingrecord.h"

// Replaces what a comment in `language` cannot hold by the language's own default and keeps the
// rest. C and C++: "/++" opens no comment there, so it becomes "/**"; DDoc sections become
// "@cmd". Java: javadoc reads "/**" comments and "@" tags only, so every framing becomes "/**"
// and every syntax "@cmd". D: all three framings and syntaxes are valid.
void fitToLanguage(SettingValues &values, Language language);
