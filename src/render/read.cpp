#include "render/read.h"

#include "core/read/source.h"
#include "render/request.h"

namespace {

// Texts are read as they are written and may hold bytes that are not UTF-8; they show as U+FFFD.
std::string jsonLine(const nlohmann::ordered_json &value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

} // namespace

std::string readCommand(std::string_view text, std::optional<Language> language,
                        std::vector<std::string> &dropped) {
    SourceReading reading = readSource(text, language);
    dropped = std::move(reading.dropped);
    return jsonLine(requestJson(reading.request));
}

std::string editCommand(std::string_view buffer, std::size_t line, std::optional<Language> language,
                        const std::optional<std::string> &summary, bool restyle,
                        std::vector<std::string> &dropped) {
    SourceEdit edit = editSource(buffer, line, language, summary, restyle);
    dropped = edit.dropped;
    return jsonLine({{"first", edit.first},
                     {"last", edit.last},
                     {"text", edit.text},
                     {"summary", edit.summary},
                     {"dropped", edit.dropped}});
}
