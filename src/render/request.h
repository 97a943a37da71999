#pragma once

#include "core/common/settingrecord.h"
#include "core/doc/format.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// One comment to render, as an editor or a script sends it to remarkist-render.
struct Request {
    enum class Kind { Function, Class, File };
    Kind kind = Kind::Function;
    std::optional<std::string> date; // absent: the current date in the DateFormat setting
    std::string summary, comment, note, returns;
    std::vector<ParamEntry> params;
    std::vector<ExceptionEntry> throws;
};

// A request that is not what remarkist-render accepts. The message names the offending key:
// "\"params\"[1].\"name\": expected a string".
class RequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a request; its "settings" object overrides the fields of `settings` it names.
Request parseRequest(const nlohmann::json &value, CSettingData &settings);

// The comment as the desktop program puts it on the clipboard, with `separator` between lines.
// Throws Orvex::Exception when the document cannot be built (an empty summary).
std::string renderComment(const Request &request, std::string_view separator);
