#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>

// One frame from the client: its JSON, or why it held none ("invalid JSON: ...", "no
// Content-Length header").
struct Frame {
    nlohmann::json message;
    std::string error; // "" when message holds the frame's JSON
};

// Reads frames of the base protocol from a file descriptor: headers ("Content-Length: 52"), an
// empty line, then that many bytes of JSON. After a frame it cannot read it looks for the next
// "Content-Length" and goes on from there, so that one bad frame costs one error, not the session.
class FrameReader {
public:
    explicit FrameReader(int fd) : m_fd(fd) {}

    // The next frame. Without `wait`, only one that has already arrived; nothing at the end of
    // the input either way.
    std::optional<Frame> next(bool wait);

private:
    std::optional<Frame> takeBuffered();
    bool fill(bool wait);

    int m_fd;
    std::string m_buffer;
    std::size_t m_at = 0;
    bool m_resync = false, m_ended = false;
};

// Writes one message as a frame; throws std::runtime_error when the output is gone.
void writeFrame(int fd, const nlohmann::json &message);
