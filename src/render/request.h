#pragma once

#include "core/common/settingrecord.h"
#include "core/doc/request.h"

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>
#include <vector>

// A request that is not what remarkist-render accepts. The message names the offending key:
// "\"params\"[1].\"name\": expected a string".
class RequestError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads a request; its "settings" object overrides the fields of `settings` it names.
DocumentRequest parseRequest(const nlohmann::json &value, CSettingData &settings);

// The request as JSON that parseRequest reads back unchanged: "kind", "date" (when set),
// "summary", "comment", "note", "returns", "params" and "throws", in that order.
nlohmann::ordered_json requestJson(const DocumentRequest &request);
