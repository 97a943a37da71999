#pragma once

#include "core/common/language.h"
#include "core/doc/format.h"

#include <memory>

// A new document style for the DocumentStyle setting: 0 backslash Doxygen, 1 at-sign
// Doxygen, anything else DDoc.
std::unique_ptr<DocumentStyle> documentStyler();
// The same for a comment in `language`, after the settings were fitted to it (fitToLanguage):
// C and C++ write the directions clang and Doxygen read ("[in,out]"), Java writes Javadoc, D
// as the setting says.
std::unique_ptr<DocumentStyle> documentStyler(Language language);
