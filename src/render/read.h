#pragma once

#include "core/read/tokens.h"

#include <optional>
#include <string>
#include <string_view>

// `remarkist-render read`: the request for the declaration at the start of `text`, read in
// `language` or else the one the text looks written in, as one line of JSON and a LF.
// Throws ReadError when the text holds no declaration.
std::string readCommand(std::string_view text, std::optional<Language> language);
