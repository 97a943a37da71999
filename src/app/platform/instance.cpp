#include "app/platform/instance.h"

#include "core/Orvex/System/File.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

// Plain local sockets with QtCore's socket notifier: Qt's own local socket classes live in the
// network library, whose loading (and that of the libraries it needs) would cost every start.

namespace {

// A program that listens accepts and answers within milliseconds; these bound a hung one, so
// that a second start still ends (or opens its own window) within a second.
constexpr int connectTimeoutMs = 200;
constexpr int answerTimeoutMs = 500;
constexpr std::string_view activateRequest = "activate\n";
constexpr std::string_view activatedAnswer = "ok\n";
// Longer than any request: a client that sends more without a line end is dropped.
constexpr std::size_t maxRequestBytes = 64;

// The socket's address: a bare name lives in the temporary folder. Nothing when the path does
// not fit an address.
std::optional<sockaddr_un> addressOf(const QString &name) {
    const QByteArray path = QFile::encodeName(
        name.contains(QLatin1Char('/')) ? name : QDir::tempPath() + QLatin1Char('/') + name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()));
    return address;
}

bool waitFor(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    int ready;
    do
        ready = ::poll(&entry, 1, timeoutMs);
    while (ready < 0 && errno == EINTR);
    return ready > 0;
}

// A connection to the program listening at the address, or -1: refused at once where nothing
// listens (a missing or stale socket).
int connectTo(const sockaddr_un &address) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    const auto *target = reinterpret_cast<const sockaddr *>(&address);
    if (::connect(fd, target, sizeof address) == 0 ||
        (errno == EAGAIN && waitFor(fd, POLLOUT, connectTimeoutMs))) {
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
            return fd;
    }
    ::close(fd);
    return -1;
}

} // namespace

QString instanceServerName(unsigned uid, const QString &display, const QString &waylandDisplay,
                           const QString &runtimeDir) {
    QString session = display.isEmpty() ? waylandDisplay : display;
    // A display may be a path ("unix/:0"); the name is one file name.
    session.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString name = QStringLiteral("remarkist-%1-%2").arg(uid).arg(session);
    return runtimeDir.isEmpty() ? name : runtimeDir + QLatin1Char('/') + name;
}

QString instanceServerName() {
    return instanceServerName(getuid(), qEnvironmentVariable("DISPLAY"),
                              qEnvironmentVariable("WAYLAND_DISPLAY"),
                              qEnvironmentVariable("XDG_RUNTIME_DIR"));
}

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent), m_name(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
    close();
}

bool SingleInstance::activateRunning() const {
    const std::optional<sockaddr_un> address = addressOf(m_name);
    const int fd = address ? connectTo(*address) : -1;
    if (fd < 0)
        return false;
    // No answer comes from a program whose window has just closed: its socket still accepts
    // until it goes, but nobody reads there any more.
    std::string answer;
    char buffer[16];
    ssize_t got = 0;
    if (Orvex::writeAll(fd, activateRequest))
        while (answer.size() < activatedAnswer.size() && waitFor(fd, POLLIN, answerTimeoutMs) &&
               (got = ::read(fd, buffer, sizeof buffer)) > 0)
            answer.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    return answer == activatedAnswer;
}

bool SingleInstance::answers() const {
    const std::optional<sockaddr_un> address = addressOf(m_name);
    const int fd = address ? connectTo(*address) : -1;
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

void SingleInstance::listen() {
    const std::optional<sockaddr_un> address = addressOf(m_name);
    if (m_listener >= 0 || !address || answers())
        return;
    // Nobody answers on a socket that is there: its program ended without removing it.
    ::unlink(address->sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // Only this user may ask the program to come forward.
    const mode_t mask = ::umask(077);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&*address), sizeof *address) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd, 8) != 0) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_listener = fd;
    m_path = address->sun_path;
    auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &SingleInstance::onNewConnection);
}

void SingleInstance::close() {
    if (m_listener < 0)
        return;
    for (QSocketNotifier *notifier : findChildren<QSocketNotifier *>())
        delete notifier;
    for (const auto &[fd, request] : m_requests)
        ::close(fd);
    m_requests.clear();
    ::close(m_listener);
    m_listener = -1;
    ::unlink(m_path.c_str());
}

bool SingleInstance::isListening() const {
    return m_listener >= 0;
}

void SingleInstance::onNewConnection() {
    int fd;
    while ((fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK)) >= 0) {
        m_requests[fd];
        auto *notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, fd] {
            if (readRequest(fd)) {
                delete notifier;
                m_requests.erase(fd);
                ::close(fd);
            }
        });
    }
}

bool SingleInstance::readRequest(int fd) {
    std::string &request = m_requests[fd];
    char buffer[maxRequestBytes];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return false;
    if (got > 0)
        request.append(buffer, static_cast<std::size_t>(got));
    const bool whole = request.find('\n') != std::string::npos;
    if (!whole && got > 0 && request.size() < maxRequestBytes)
        return false; // the rest of the line is still on its way
    if (request == activateRequest) {
        emit activationRequested();
        Orvex::writeAll(fd, activatedAnswer);
    }
    return true;
}
