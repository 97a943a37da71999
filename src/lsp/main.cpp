// remarkist-lsp: Remarkist as a language server, speaking LSP over standard input and output.
// Exit status 0 after "shutdown" and "exit", 1 after "exit" alone or at the end of the input.

#include "lsp/framing.h"
#include "lsp/server.h"

#include <unistd.h>

#include <csignal>
#include <deque>
#include <iostream>

int main() {
    // A client that goes away makes a write fail; that ends the server below, not a signal.
    std::signal(SIGPIPE, SIG_IGN);
    try {
        Server server([](const nlohmann::json &message) { writeFrame(STDOUT_FILENO, message); });
        FrameReader reader(STDIN_FILENO);
        std::deque<Frame> waiting;
        for (;;) {
            // Everything that has arrived is read first, so that a request can see its
            // cancellation and several changes in a row are checked once.
            while (std::optional<Frame> frame = reader.next(false))
                waiting.push_back(std::move(*frame));
            if (waiting.empty()) {
                server.publishDiagnostics();
                std::optional<Frame> frame = reader.next(true);
                if (!frame)
                    return server.shutDown() ? 0 : 1;
                waiting.push_back(std::move(*frame));
                continue;
            }
            const Frame frame = std::move(waiting.front());
            waiting.pop_front();
            server.handle(frame, waiting);
            if (server.exitCode())
                return *server.exitCode();
        }
    } catch (const std::exception &error) {
        std::cerr << "remarkist-lsp: " << error.what() << '\n';
        return 1;
    }
}
