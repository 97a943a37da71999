// remarkist-lsp as an editor runs it, a process on pipes, with a 1 MB C++ document open:
// - change: from a didChange that renames one parameter in the middle of the file to the
//   publishDiagnostics of that version (target under 50 ms);
// - code_action: the actions for the declaration there, request to response.
// The server's processor time per change is server_cpu_ms, and its resident memory after the
// changes rss_mb, beside the document's size.

#include "lsp/framing.h"

#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

using nlohmann::json;

// About 1 MB of documented functions with bodies; every comment agrees with its declaration.
std::string source() {
    const std::string unit = "/**\n"
                             " * Copies records.\n"
                             " * @param[in] from the source\n"
                             " * @param[out] to the target\n"
                             " * @param[in] count how many\n"
                             " * @return the number copied\n"
                             " */\n"
                             "int copy(const Record *from, Record *to, std::size_t count = 0) {\n"
                             "    for (std::size_t i = 0; i < count; ++i)\n"
                             "        to[i] = from[i];\n"
                             "    return static_cast<int>(count);\n"
                             "}\n\n";
    std::string text;
    while (text.size() < (1u << 20))
        text += unit;
    return text;
}
constexpr std::size_t unitLines = 13;

class Server {
public:
    Server() {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0)
            throw std::runtime_error("pipe");
        m_pid = fork();
        if (m_pid == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            close(in[1]);
            close(out[0]);
            execl(REMARKIST_LSP, REMARKIST_LSP, nullptr);
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        m_to = in[1];
        m_from.emplace(out[0]);
    }
    ~Server() {
        close(m_to);
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    void send(const json &message) { writeFrame(m_to, message); }
    json request(const std::string &method, const json &params) {
        send({{"jsonrpc", "2.0"}, {"id", ++m_id}, {"method", method}, {"params", params}});
        return until([&](const json &m) { return m.value("id", json()) == m_id; });
    }
    // Reads messages until one that `wanted` accepts.
    template <class Wanted> json until(Wanted wanted) {
        for (;;) {
            std::optional<Frame> frame = m_from->next(true);
            if (!frame)
                throw std::runtime_error("the server ended");
            if (wanted(frame->message))
                return frame->message;
        }
    }
    // The server's processor time so far, which a busy machine does not inflate as it does the
    // time a change waits for its diagnostics.
    double cpuMilliseconds() const {
        std::ifstream stat("/proc/" + std::to_string(m_pid) + "/stat");
        std::string field;
        double ticks = 0;
        for (int i = 1; i <= 15 && stat >> field; ++i)
            if (i == 14 || i == 15) // utime, stime
                ticks += std::stod(field);
        return ticks * 1000 / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    double rssMegabytes() const {
        std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("VmRSS:"))
                return std::stod(line.substr(6)) / 1024;
        return 0;
    }

private:
    pid_t m_pid;
    int m_to;
    std::optional<FrameReader> m_from;
    int m_id = 0;
};

const std::string uri = "file:///tmp/remarkist-lsp-bench.cpp";

// A server with the document open and its first diagnostics published.
void open(Server &server, const std::string &text) {
    server.request("initialize", {{"capabilities", json::object()}});
    server.send({{"jsonrpc", "2.0"}, {"method", "initialized"}, {"params", json::object()}});
    server.send(
        {{"jsonrpc", "2.0"},
         {"method", "textDocument/didOpen"},
         {"params",
          {{"textDocument", {{"uri", uri}, {"languageId", "cpp"}, {"version", 1}, {"text", text}}}}}});
    server.until([](const json &m) { return m.value("method", "") == "textDocument/publishDiagnostics"; });
}

void change(benchmark::State &state) {
    const std::string text = source();
    Server server;
    open(server, text);
    // "to" in the declaration in the middle, becoming "target" and back: a stale comment, then none.
    const std::size_t line = text.size() / 380 / 2 * unitLines + 7;
    const std::size_t column = std::string_view("int copy(const Record *from, Record *").size();
    int version = 1;
    const double cpuBefore = server.cpuMilliseconds();
    for (auto _ : state) {
        const bool stale = version % 2 == 1;
        const json range = {{"start", {{"line", line}, {"character", column}}},
                            {"end", {{"line", line}, {"character", column + (stale ? 2 : 6)}}}};
        const auto start = std::chrono::steady_clock::now();
        const json edit = {{"range", range}, {"text", stale ? "target" : "to"}};
        const json params = {{"textDocument", {{"uri", uri}, {"version", ++version}}},
                             {"contentChanges", json::array({edit})}};
        server.send({{"jsonrpc", "2.0"}, {"method", "textDocument/didChange"}, {"params", params}});
        const json published = server.until([&](const json &m) {
            return m.value("method", "") == "textDocument/publishDiagnostics" &&
                   m["params"].value("version", 0) == version;
        });
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (published["params"]["diagnostics"].empty() == stale)
            state.SkipWithError("the rename was not reported, or its undoing was");
    }
    state.counters["server_cpu_ms"] = (server.cpuMilliseconds() - cpuBefore) /
                                      static_cast<double>(std::max<std::int64_t>(state.iterations(), 1));
    state.counters["rss_mb"] = server.rssMegabytes();
    state.counters["document_mb"] = static_cast<double>(text.size()) / (1 << 20);
}
BENCHMARK(change)->UseManualTime()->Unit(benchmark::kMillisecond);

void code_action(benchmark::State &state) {
    const std::string text = source();
    Server server;
    open(server, text);
    const std::size_t line = text.size() / 380 / 2 * unitLines + 7;
    const json position = {{"line", line}, {"character", 0}};
    for (auto _ : state) {
        const json reply =
            server.request("textDocument/codeAction", {{"textDocument", {{"uri", uri}}},
                                                       {"range", {{"start", position}, {"end", position}}},
                                                       {"context", {{"diagnostics", json::array()}}}});
        benchmark::DoNotOptimize(reply);
    }
}
BENCHMARK(code_action)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
