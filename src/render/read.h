#pragma once

#include "core/read/tokens.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// `remarkist-render read`: the request for a documentation comment, a declaration, or a comment
// followed by the declaration it documents (merged), read in `language` or else the one the text
// looks written in, as one line of JSON and a LF. The parameters the comment documents that the
// declaration lacks are added to `dropped`. Throws ReadError when the text holds neither.
std::string readCommand(std::string_view text, std::optional<Language> language,
                        std::vector<std::string> &dropped);

// `remarkist-render edit`: what an editor replaces to document the declaration at `line` of the
// buffer, as one line of JSON and a LF: {"first": F, "last": L, "text": T, "summary": S,
// "dropped": [names]}.
std::string editCommand(std::string_view buffer, std::size_t line, std::optional<Language> language,
                        const std::optional<std::string> &summary, bool restyle,
                        std::vector<std::string> &dropped);
