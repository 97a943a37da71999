#include "core/Orvex/System/Console.h"

#include <unistd.h>

namespace Orvex::Console {

namespace {

// A console stream, closed at shutdown by its static owner below.
class Stream {
public:
    Stream(int fd, const char *mode) : m_fd(fd), m_mode(mode) {}
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;
    ~Stream() {
        if (m_file)
            std::fclose(m_file);
        m_file = nullptr;
    }

    std::FILE *get() {
        if (!m_file) {
            const int fd = ::dup(m_fd);
            m_file = fd < 0 ? nullptr : ::fdopen(fd, m_mode);
            // Reading ahead would take input meant for whoever reads standard input next.
            if (m_file && m_mode[0] == 'r')
                std::setvbuf(m_file, nullptr, _IONBF, 0);
        }
        return m_file;
    }

private:
    int m_fd;
    const char *m_mode;
    std::FILE *m_file = nullptr;
};

Stream &consoleIn() {
    static Stream stream(STDIN_FILENO, "r");
    return stream;
}

Stream &consoleOut() {
    static Stream stream(STDOUT_FILENO, "w");
    return stream;
}

void writeTo(std::FILE *file, const std::string &text) {
    if (!file)
        return;
    std::fwrite(text.data(), 1, text.size(), file);
    std::fflush(file);
}

std::optional<std::string> readLineFrom(std::FILE *file) {
    if (!file)
        return std::nullopt;
    std::string line;
    int c;
    while ((c = std::fgetc(file)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == EOF && line.empty())
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace

Output writerTo(std::FILE *file) {
    return [file](const std::string &text) { writeTo(file, text); };
}

Input lineReaderFrom(std::FILE *file) {
    return [file] { return readLineFrom(file); };
}

Output output() {
    return [](const std::string &text) { writeTo(consoleOut().get(), text); };
}

Input input() {
    return [] { return readLineFrom(consoleIn().get()); };
}

} // namespace Orvex::Console
