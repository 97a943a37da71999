#include "render/read.h"

#include "core/read/declaration.h"
#include "render/request.h"

std::string readCommand(std::string_view text, std::optional<Language> language) {
    const Declaration declaration = readDeclaration(text, language ? *language : guessLanguage(text));
    // Names are read as they are written and may hold bytes that are not UTF-8; they show as U+FFFD.
    return requestJson(declaration.request).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) +
           "\n";
}
