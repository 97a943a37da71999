#include "lsp/framing.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

namespace {

constexpr std::string_view lengthHeader = "Content-Length";
// Larger frames are refused rather than buffered: the body of a 40 MB source file fits well.
constexpr std::size_t maxBody = std::size_t{256} << 20, maxHeaders = 8192;

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    return true;
}

// The body length the headers give, or nothing when they are not headers with one. Other
// headers (Content-Type) are allowed and ignored: "Content-Length: 52\r\nContent-Type: x" gives 52.
std::optional<std::size_t> contentLength(std::string_view headers) {
    std::optional<std::size_t> length;
    while (!headers.empty()) {
        const std::size_t end = std::min(headers.find("\r\n"), headers.size());
        const std::string_view line = headers.substr(0, end);
        headers.remove_prefix(std::min(end + 2, headers.size()));
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return std::nullopt;
        if (!sameLetters(line.substr(0, colon), lengthHeader))
            continue;
        std::string_view digits = line.substr(colon + 1);
        while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t'))
            digits.remove_prefix(1);
        while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t'))
            digits.remove_suffix(1);
        if (digits.empty() || digits.size() > 12 ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        length = std::stoull(std::string(digits));
    }
    return length;
}

} // namespace

std::optional<Frame> FrameReader::takeBuffered() {
    if (m_at > (1u << 16) && m_at * 2 > m_buffer.size()) {
        m_buffer.erase(0, m_at);
        m_at = 0;
    }
    if (m_resync) {
        const std::size_t found = m_buffer.find(lengthHeader, m_at);
        if (found == std::string::npos) {
            // Keep a tail that may be the start of the header name.
            m_at = std::max(m_at, m_buffer.size() - std::min(m_buffer.size(), lengthHeader.size() - 1));
            return std::nullopt;
        }
        m_at = found;
        m_resync = false;
    }
    const std::size_t headersEnd = m_buffer.find("\r\n\r\n", m_at);
    if (headersEnd == std::string::npos) {
        if (m_buffer.size() - m_at <= maxHeaders)
            return std::nullopt;
        m_resync = true;
        ++m_at;
        return Frame{{}, "no end of the headers within " + std::to_string(maxHeaders) + " bytes"};
    }
    const std::optional<std::size_t> length =
        contentLength(std::string_view(m_buffer).substr(m_at, headersEnd - m_at));
    if (!length || *length > maxBody) {
        m_resync = true;
        ++m_at;
        return Frame{{},
                     length ? "Content-Length " + std::to_string(*length) + " is too large"
                            : "no valid Content-Length header"};
    }
    const std::size_t bodyBegin = headersEnd + 4;
    if (m_buffer.size() - bodyBegin < *length)
        return std::nullopt;
    const std::string_view body = std::string_view(m_buffer).substr(bodyBegin, *length);
    m_at = bodyBegin + *length;
    try {
        return Frame{nlohmann::json::parse(body), ""};
    } catch (const nlohmann::json::exception &error) {
        // A wrong Content-Length puts the next frame's header inside this body, or right after
        // a few bytes of this frame that were left out: go on from the first one after its start.
        m_at = bodyBegin;
        m_resync = true;
        std::string what = error.what();
        return Frame{{}, "invalid JSON: " + what.erase(0, what.find("] ") + 2)};
    }
}

bool FrameReader::fill(bool wait) {
    if (m_ended)
        return false;
    pollfd readable{m_fd, POLLIN, 0};
    if (!wait && ::poll(&readable, 1, 0) <= 0)
        return false;
    char chunk[1 << 16];
    for (;;) {
        const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
        if (got > 0) {
            m_buffer.append(chunk, static_cast<std::size_t>(got));
            return true;
        }
        if (got < 0 && errno == EINTR)
            continue;
        m_ended = true;
        return false;
    }
}

std::optional<Frame> FrameReader::next(bool wait) {
    for (;;) {
        if (std::optional<Frame> frame = takeBuffered())
            return frame;
        if (!fill(wait))
            return std::nullopt;
    }
}

void writeFrame(int fd, const nlohmann::json &message) {
    // Texts from the documents may hold bytes that are not UTF-8; they go out as U+FFFD.
    const std::string body = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    const std::string frame = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    for (std::size_t done = 0; done < frame.size();) {
        const ssize_t wrote = ::write(fd, frame.data() + done, frame.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            throw std::runtime_error(std::string("cannot write to the client: ") + std::strerror(errno));
        done += static_cast<std::size_t>(wrote);
    }
}
