#pragma once

#include "core/common/language.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// A --set or --unset that names no setting a language may choose, or a value it cannot take.
class SettingsUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `remarkist-render settings`: the settings in force as one line of JSON and a LF, in the order
// setting.dat keeps them, then WindowX and WindowY. With a language, those its comments are
// written in: its own choice over the settings of all languages, fitted to what it can hold.
// `set` ("CommentStyle=1", values as a request's "settings" takes them) and `unset` ("CommentStyle")
// change the language's own choice first and save setting.dat; they need the language.
std::string settingsCommand(std::optional<Language> language, const std::vector<std::string> &set,
                            const std::vector<std::string> &unset);
