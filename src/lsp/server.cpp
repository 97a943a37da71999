#include "lsp/server.h"

#include "lsp/handlers.h"

#include "core/common/settingrecord.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

using nlohmann::json;

// The error codes of JSON-RPC and the protocol.
enum Code : int {
    ParseError = -32700,
    InvalidRequest = -32600,
    MethodNotFound = -32601,
    InvalidParams = -32602,
    InternalError = -32603,
    ServerNotInitialized = -32002,
    RequestCancelled = -32800,
};

struct ProtocolError : std::runtime_error {
    ProtocolError(int code, const std::string &message) : std::runtime_error(message), code(code) {}
    int code;
};

constexpr int logError = 1, logInfo = 3;

json errorResponse(const json &id, int code, const std::string &message) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

bool cancels(const Frame &frame, const json &id) {
    const json &message = frame.message;
    return frame.error.empty() && message.is_object() && message.value("method", "") == "$/cancelRequest" &&
           message.contains("params") && message["params"].is_object() &&
           message["params"].value("id", json()) == id;
}

// The settings file named in initializationOptions or a configuration: {"remarkist.settings":
// "/x/setting.dat"} or {"remarkist": {"settings": "/x/setting.dat"}}; "~/x.dat" is in the home
// folder. "" means the usual file; nothing, that none is named.
std::optional<std::string> namedSettings(const json &options) {
    const json *value = nullptr;
    if (options.is_object() && options.contains("remarkist.settings"))
        value = &options["remarkist.settings"];
    else if (options.is_object() && options.contains("remarkist") && options["remarkist"].is_object() &&
             options["remarkist"].contains("settings"))
        value = &options["remarkist"]["settings"];
    if (!value)
        return std::nullopt;
    std::string path = value->is_string() ? value->get<std::string>() : "";
    if (const char *home = std::getenv("HOME"); home && path.starts_with("~/"))
        path.replace(0, 1, home);
    return path;
}

} // namespace

void Server::handle(const Frame &frame, const std::deque<Frame> &waiting) {
    if (!frame.error.empty()) {
        m_send(errorResponse(nullptr, ParseError, frame.error));
        return;
    }
    const json &message = frame.message;
    const bool object = message.is_object();
    const json id = object ? message.value("id", json()) : json();
    const bool validId = id.is_null() || id.is_string() || id.is_number_integer();
    if (object && !message.contains("method") && (message.contains("result") || message.contains("error")))
        return; // a response: the server sends no requests that await one
    if (!object || message.value("jsonrpc", json()) != "2.0" || !message.contains("method") ||
        !message["method"].is_string() || !validId) {
        m_send(errorResponse(validId ? id : json(), InvalidRequest,
                             "not a JSON-RPC 2.0 request or notification"));
        return;
    }
    const std::string &method = message["method"].get_ref<const std::string &>();
    const json params = message.value("params", json::object());
    if (!message.contains("id")) {
        try {
            notification(method, params);
        } catch (const std::exception &error) {
            log(logError, method + ": " + error.what());
        }
        return;
    }
    try {
        if (std::any_of(waiting.begin(), waiting.end(), [&](const Frame &f) { return cancels(f, id); }))
            throw ProtocolError(RequestCancelled, method + ": cancelled");
        m_send({{"jsonrpc", "2.0"}, {"id", id}, {"result", request(method, params)}});
    } catch (const ProtocolError &error) {
        m_send(errorResponse(id, error.code, error.what()));
    } catch (const json::exception &error) {
        std::string what = error.what();
        m_send(errorResponse(id, InvalidParams, method + ": " + what.erase(0, what.find("] ") + 2)));
    } catch (const std::exception &error) {
        m_send(errorResponse(id, InternalError, method + ": " + error.what()));
    }
}

json Server::request(const std::string &method, const json &params) {
    if (method == "initialize") {
        if (m_initialized)
            throw ProtocolError(InvalidRequest, "initialize: the server is initialized already");
        return initialize(params);
    }
    if (!m_initialized)
        throw ProtocolError(ServerNotInitialized, method + ": the server is not initialized");
    if (m_shutDown)
        throw ProtocolError(InvalidRequest, method + ": the server is shutting down");
    if (method == "shutdown") {
        m_shutDown = true;
        return nullptr;
    }
    if (method == "textDocument/codeAction") {
        refreshSettings();
        const std::string &uri = params.at("textDocument").at("uri").get_ref<const std::string &>();
        return codeActions(document(params), uri, params, findings(uri), m_encoding);
    }
    if (method == "textDocument/completion") {
        refreshSettings();
        return completion(document(params), params.at("position"), m_encoding);
    }
    throw ProtocolError(MethodNotFound, method + ": unknown method");
}

void Server::notification(const std::string &method, const json &params) {
    if (method == "exit") {
        m_exitCode = m_shutDown ? 0 : 1;
        return;
    }
    if (!m_initialized || m_shutDown)
        return;
    if (method == "textDocument/didOpen") {
        const json &item = params.at("textDocument");
        const std::string &uri = item.at("uri").get_ref<const std::string &>();
        const std::optional<Language> language =
            documentLanguage(item.at("languageId").get<std::string>(), uri);
        m_documents.insert_or_assign(uri, Document(item.at("text").get<std::string>(), language,
                                                   item.value("version", std::int64_t{0})));
        m_changed.insert(uri);
        m_findings.erase(uri);
    } else if (method == "textDocument/didChange") {
        Document &changed = document(params);
        for (const json &change : params.at("contentChanges"))
            changed.change(change, m_encoding);
        changed.setVersion(params.at("textDocument").value("version", changed.version()));
        const std::string uri = params.at("textDocument").at("uri").get<std::string>();
        m_changed.insert(uri);
        m_findings.erase(uri);
    } else if (method == "textDocument/didClose") {
        const std::string uri = params.at("textDocument").at("uri").get<std::string>();
        if (m_documents.erase(uri) == 0)
            throw std::invalid_argument("the document " + uri + " is not open");
        m_changed.erase(uri);
        m_findings.erase(uri);
        m_send({{"jsonrpc", "2.0"},
                {"method", "textDocument/publishDiagnostics"},
                {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
    } else if (method == "workspace/didChangeConfiguration") {
        configure(params.value("settings", json()));
    }
    // Everything else ("initialized", "$/cancelRequest" once its request is answered,
    // "$/setTrace", didSave) needs nothing.
}

json Server::initialize(const json &params) {
    const json offered = params.value("capabilities", json::object())
                             .value("general", json::object())
                             .value("positionEncodings", json::array());
    m_encoding = std::find(offered.begin(), offered.end(), "utf-8") != offered.end() ? Encoding::Utf8
                                                                                     : Encoding::Utf16;
    m_initialized = true;
    g_settingRecord.m_path.clear();
    refreshSettings();
    configure(params.value("initializationOptions", json()));
    return {{"capabilities",
             {{"positionEncoding", m_encoding == Encoding::Utf8 ? "utf-8" : "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix", "refactor.rewrite"}}}},
              {"completionProvider", {{"triggerCharacters", {"*", "/", "+"}}}}}},
            {"serverInfo", {{"name", "remarkist-lsp"}, {"version", REMARKIST_VERSION}}}};
}

Document &Server::document(const json &params) {
    const std::string &uri = params.at("textDocument").at("uri").get_ref<const std::string &>();
    const auto found = m_documents.find(uri);
    if (found == m_documents.end())
        throw ProtocolError(InvalidParams, "the document " + uri + " is not open");
    return found->second;
}

const std::vector<Finding> &Server::findings(const std::string &uri) {
    auto found = m_findings.find(uri);
    if (found == m_findings.end())
        found = m_findings.emplace(uri, check(m_documents.at(uri))).first;
    return found->second;
}

void Server::configure(const json &options) {
    const std::optional<std::string> named = namedSettings(options);
    if (!named)
        return;
    if (!named->empty()) {
        if (std::FILE *file = std::fopen(named->c_str(), "rb")) {
            std::fclose(file);
        } else {
            log(logError, "cannot read settings file \"" + *named + "\": " + std::strerror(errno), true);
            return;
        }
    }
    g_settingRecord.m_path = *named;
    m_settingsSize = -1;
    refreshSettings();
    log(logInfo, "settings from " + g_settingRecord.settingsPath());
}

// The settings file is read again when it changed, so that a choice made in the desktop program
// reaches the next action.
void Server::refreshSettings() {
    const std::string path = g_settingRecord.settingsPath();
    struct stat status {};
    const bool there = ::stat(path.c_str(), &status) == 0;
    const off_t size = there ? status.st_size : -2;
    if (path == m_settingsPath && size == m_settingsSize && status.st_mtim.tv_sec == m_settingsTime.tv_sec &&
        status.st_mtim.tv_nsec == m_settingsTime.tv_nsec)
        return;
    m_settingsPath = path;
    m_settingsSize = size;
    m_settingsTime = status.st_mtim;
    g_settingRecord.Load();
}

void Server::publishDiagnostics() {
    for (const std::string &uri : m_changed) {
        const Document &changed = m_documents.at(uri);
        m_send({{"jsonrpc", "2.0"},
                {"method", "textDocument/publishDiagnostics"},
                {"params",
                 {{"uri", uri},
                  {"version", changed.version()},
                  {"diagnostics", diagnostics(changed, findings(uri), m_encoding)}}}});
    }
    m_changed.clear();
}

void Server::log(int type, const std::string &message, bool show) {
    const json params = {{"type", type}, {"message", "remarkist-lsp: " + message}};
    m_send({{"jsonrpc", "2.0"}, {"method", "window/logMessage"}, {"params", params}});
    if (show)
        m_send({{"jsonrpc", "2.0"}, {"method", "window/showMessage"}, {"params", params}});
}
