#pragma once

#include "core/read/scan.h"
#include "lsp/document.h"
#include "lsp/framing.h"

#include <nlohmann/json.hpp>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

// The protocol's life cycle, documents and errors; what it answers comes from handlers.h.
class Server {
public:
    using Send = std::function<void(const nlohmann::json &)>;
    explicit Server(Send send) : m_send(std::move(send)) {}

    // Handles one frame. `waiting` holds the frames that came after it and are not handled yet:
    // a "$/cancelRequest" among them cancels it.
    void handle(const Frame &frame, const std::deque<Frame> &waiting);
    // Publishes the diagnostics of every document changed since its last ones.
    void publishDiagnostics();
    // Set by "exit": 0 after "shutdown", else 1.
    std::optional<int> exitCode() const { return m_exitCode; }
    bool shutDown() const { return m_shutDown; }

private:
    nlohmann::json request(const std::string &method, const nlohmann::json &params);
    void notification(const std::string &method, const nlohmann::json &params);
    nlohmann::json initialize(const nlohmann::json &params);
    Document &document(const nlohmann::json &params);
    const std::vector<Finding> &findings(const std::string &uri);
    void configure(const nlohmann::json &options);
    void refreshSettings();
    void log(int type, const std::string &message, bool show = false);

    Send m_send;
    std::map<std::string, Document, std::less<>> m_documents;
    std::set<std::string, std::less<>> m_changed;
    // Each document's findings since its last change: a code action after the diagnostics
    // needs no second scan.
    std::map<std::string, std::vector<Finding>, std::less<>> m_findings;
    Encoding m_encoding = Encoding::Utf16;
    bool m_initialized = false, m_shutDown = false;
    std::optional<int> m_exitCode;
    // The settings file as last loaded: its name, time and size, so that a change is picked up.
    std::string m_settingsPath;
    struct timespec m_settingsTime {};
    off_t m_settingsSize = -1;
};
