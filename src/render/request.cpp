#include "render/request.h"

#include <algorithm>
#include <functional>
#include <span>

using nlohmann::json;

namespace {

// A position in the request, written as it reads in the request: "params"[1]."name".
std::string member(const std::string &path, const std::string &key) {
    return path + (path.empty() ? "" : ".") + json(key).dump(-1, ' ', false, json::error_handler_t::replace);
}

std::string element(const std::string &path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

[[noreturn]] void fail(const std::string &path, const std::string &what) {
    throw RequestError(path.empty() ? what : path + ": " + what);
}

const std::string &asString(const json &value, const std::string &path) {
    if (!value.is_string())
        fail(path, "expected a string");
    return value.get_ref<const std::string &>();
}

// A reader of one key: checks the value's type and stores it into the target.
template <class Target> using Reader = std::function<void(const json &, Target &, const std::string &)>;
template <class Target> using Field = std::pair<const char *, Reader<Target>>;

template <class Target>
void readObject(const json &value, Target &target, std::span<const Field<Target>> fields,
                const std::string &path) {
    if (!value.is_object())
        fail(path, "expected an object");
    for (const auto &item : value.items()) {
        const std::string &key = item.key();
        const auto field =
            std::find_if(fields.begin(), fields.end(), [&](const auto &f) { return key == f.first; });
        if (field == fields.end())
            fail(member(path, key), "unknown key");
        field->second(item.value(), target, member(path, key));
    }
}

template <class Target> Reader<Target> text(std::string Target::*field) {
    return [field](const json &value, Target &target, const std::string &path) {
        target.*field = asString(value, path);
    };
}

// What the top-level keys write into: the request and the settings in force.
struct Parsed {
    DocumentRequest request;
    CSettingData &settings;
};

template <class Entry>
Reader<Parsed> list(std::vector<Entry> DocumentRequest::*field, std::span<const Field<Entry>> entryFields) {
    return [field, entryFields](const json &value, Parsed &parsed, const std::string &path) {
        if (!value.is_array())
            fail(path, "expected an array");
        std::vector<Entry> entries(value.size());
        for (std::size_t i = 0; i < value.size(); ++i)
            readObject(value[i], entries[i], entryFields, element(path, i));
        parsed.request.*field = std::move(entries);
    };
}

// 0 and 1 are the first two members; any other integer, as everywhere else, the third.
template <class Enum> Reader<CSettingData> choice(Enum CSettingData::*field) {
    return [field](const json &value, CSettingData &settings, const std::string &path) {
        if (!value.is_number_integer())
            fail(path, "expected an integer");
        const bool small = value.is_number_unsigned() && value.get<std::uint64_t>() < 2;
        settings.*field = static_cast<Enum>(small ? value.get<std::int32_t>() : 2);
    };
}

Reader<CSettingData> size(std::uint32_t CSettingData::*field) {
    return [field](const json &value, CSettingData &settings, const std::string &path) {
        if (!value.is_number_unsigned() || value.get<std::uint64_t>() > UINT32_MAX)
            fail(path, "expected an integer from 0 to 4294967295");
        settings.*field = value.get<std::uint32_t>();
    };
}

Reader<CSettingData> flag(bool CSettingData::*field) {
    return [field](const json &value, CSettingData &settings, const std::string &path) {
        if (!value.is_boolean())
            fail(path, "expected true or false");
        settings.*field = value.get<bool>();
    };
}

const Field<ParamEntry> paramFields[] = {
    {"direction", text(&ParamEntry::direction)},
    {"name", text(&ParamEntry::name)},
    {"description", text(&ParamEntry::description)},
};

const Field<ExceptionEntry> throwFields[] = {
    {"type", text(&ExceptionEntry::type)},
    {"description", text(&ExceptionEntry::description)},
};

// The "settings" keys: one for each row of the settings table, read by the field's type.
std::vector<Field<CSettingData>> settingFields() {
    std::vector<Field<CSettingData>> fields;
    for (const SettingField &setting : settingTable())
        fields.emplace_back(
            setting.key, std::visit(Overloaded{
                                        [](std::uint32_t CSettingData::*number) { return size(number); },
                                        [](bool CSettingData::*on) { return flag(on); },
                                        [](std::string CSettingData::*field) { return text(field); },
                                        [](auto CSettingData::*enumeration) { return choice(enumeration); },
                                    },
                                    setting.member));
    return fields;
}

const std::pair<const char *, DocumentKind> kinds[] = {
    {"function", DocumentKind::Function}, {"class", DocumentKind::Class}, {"file", DocumentKind::File}};

void readKind(const json &value, Parsed &parsed, const std::string &path) {
    const std::string &name = asString(value, path);
    for (const auto &[kindName, kind] : kinds)
        if (name == kindName) {
            parsed.request.kind = kind;
            return;
        }
    fail(path, "unknown kind " + json(name).dump(-1, ' ', false, json::error_handler_t::replace) +
                   " (expected \"function\", \"class\" or \"file\")");
}

Reader<Parsed> requestText(std::string DocumentRequest::*field) {
    return [field](const json &value, Parsed &parsed, const std::string &path) {
        parsed.request.*field = asString(value, path);
    };
}

// A text that may be absent: "date", and a file comment's own "author" and "copyright".
Reader<Parsed> optionalText(std::optional<std::string> DocumentRequest::*field) {
    return [field](const json &value, Parsed &parsed, const std::string &path) {
        parsed.request.*field = asString(value, path);
    };
}

const Field<Parsed> requestFields[] = {
    {"kind", readKind},
    {"date", optionalText(&DocumentRequest::date)},
    {"author", optionalText(&DocumentRequest::author)},
    {"copyright", optionalText(&DocumentRequest::copyright)},
    {"summary", requestText(&DocumentRequest::summary)},
    {"comment", requestText(&DocumentRequest::comment)},
    {"note", requestText(&DocumentRequest::note)},
    {"returns", requestText(&DocumentRequest::returns)},
    {"params", list<ParamEntry>(&DocumentRequest::params, paramFields)},
    {"throws", list<ExceptionEntry>(&DocumentRequest::throws, throwFields)},
    {"settings",
     [](const json &value, Parsed &parsed, const std::string &path) {
         static const std::vector<Field<CSettingData>> fields = settingFields();
         readObject<CSettingData>(value, parsed.settings, fields, path);
     }},
};

} // namespace

DocumentRequest parseRequest(const json &value, CSettingData &settings) {
    Parsed parsed{{}, settings};
    readObject<Parsed>(value, parsed, requestFields, "");
    return std::move(parsed.request);
}

nlohmann::ordered_json requestJson(const DocumentRequest &request) {
    const auto kind = std::find_if(std::begin(kinds), std::end(kinds),
                                   [&request](const auto &entry) { return entry.second == request.kind; });
    nlohmann::ordered_json value = {{"kind", kind->first}};
    if (request.date)
        value["date"] = *request.date;
    if (request.author)
        value["author"] = *request.author;
    if (request.copyright)
        value["copyright"] = *request.copyright;
    value["summary"] = request.summary;
    value["comment"] = request.comment;
    value["note"] = request.note;
    value["returns"] = request.returns;
    value["params"] = nlohmann::ordered_json::array();
    for (const ParamEntry &param : request.params)
        value["params"].push_back(
            {{"direction", param.direction}, {"name", param.name}, {"description", param.description}});
    value["throws"] = nlohmann::ordered_json::array();
    for (const ExceptionEntry &entry : request.throws)
        value["throws"].push_back({{"type", entry.type}, {"description", entry.description}});
    return value;
}
