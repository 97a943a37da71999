#include "app/platform/instance.h"

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
#include <cstdio>
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

// The socket's address; nothing when the path does not fit one.
std::optional<sockaddr_un> addressOf(const QString &name) {
    const QByteArray path = QFile::encodeName(name);
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

// Like a write, but a peer that has gone gives an error instead of SIGPIPE, which would end
// the program.
bool sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The user the process at the other end of a connection runs as (for a client, the one that
// listens; for the listener, the client), as the kernel saw it at connect or listen.
std::optional<uid_t> peerUid(int fd) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0)
        return std::nullopt;
    return credentials.uid;
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

QString sessionOf(const QString &display, const QString &waylandDisplay) {
    QString session = display.isEmpty() ? waylandDisplay : display;
    // A display may be a path ("unix/:0"); the name is one file name.
    session.replace(QLatin1Char('/'), QLatin1Char('_'));
    return session;
}

} // namespace

QString instanceServerName(unsigned uid, const QString &display, const QString &waylandDisplay,
                           const QString &runtimeDir, const QString &tempDir) {
    const QString name = QStringLiteral("remarkist-%1-%2").arg(uid).arg(sessionOf(display, waylandDisplay));
    // The temporary folder is shared by every local user: whoever makes a name there first owns
    // it. The user's own folder in it keeps the others out.
    const QString folder =
        runtimeDir.isEmpty() ? tempDir + QStringLiteral("/remarkist-%1").arg(uid) : runtimeDir;
    return folder + QLatin1Char('/') + name;
}

QString privateFolderProblem(const QString &folder, unsigned uid) {
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return QString::fromLocal8Bit(std::strerror(errno));
    // lstat, so that a link to a folder of ours that another user put there is no folder.
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (S_ISLNK(status.st_mode))
        return QStringLiteral("a symbolic link");
    if (!S_ISDIR(status.st_mode))
        return QStringLiteral("not a folder");
    if (status.st_uid != uid)
        return QStringLiteral("owned by uid %1").arg(status.st_uid);
    if ((status.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return QStringLiteral("writable by group or others");
    return {};
}

QString prepareInstanceServerName() {
    const QString runtimeDir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString name =
        instanceServerName(getuid(), qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"),
                           runtimeDir, QDir::tempPath());
    if (!runtimeDir.isEmpty())
        return name;
    const QString folder = name.left(name.lastIndexOf(QLatin1Char('/')));
    const QString problem = privateFolderProblem(folder, getuid());
    if (problem.isEmpty())
        return name;
    std::fprintf(stderr, "remarkist: cannot use %s (%s): running without the one-instance service\n",
                 qPrintable(folder), qPrintable(problem));
    return {};
}

SingleInstance::SingleInstance(QString serverName, unsigned ownUid, QObject *parent)
    : QObject(parent), m_name(std::move(serverName)), m_uid(ownUid) {}

SingleInstance::~SingleInstance() {
    close();
}

bool SingleInstance::activateRunning() const {
    const std::optional<sockaddr_un> address = addressOf(m_name);
    const int fd = address ? connectTo(*address) : -1;
    if (fd < 0)
        return false;
    // Another user's program (only root could have put its socket in the user's folders) must
    // not keep this one from starting, and gets no request.
    const std::optional<uid_t> uid = peerUid(fd);
    if (uid != m_uid) {
        ::close(fd);
        std::fprintf(stderr,
                     "remarkist: cannot use %s: it is served by uid %s; opening a window of its own\n",
                     address->sun_path, uid ? std::to_string(*uid).c_str() : "unknown");
        return false;
    }
    // No answer comes from a program whose window has just closed: its socket still accepts
    // until it goes, but nobody reads there any more.
    std::string answer;
    char buffer[16];
    ssize_t got = 0;
    if (sendAll(fd, activateRequest))
        while (answer.size() < activatedAnswer.size() && waitFor(fd, POLLIN, answerTimeoutMs) &&
               (got = ::read(fd, buffer, sizeof buffer)) > 0)
            answer.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    return answer == activatedAnswer;
}

SingleInstance::Peer SingleInstance::listener() const {
    const std::optional<sockaddr_un> address = addressOf(m_name);
    const int fd = address ? connectTo(*address) : -1;
    if (fd < 0)
        return Peer::None;
    const bool own = peerUid(fd) == m_uid;
    ::close(fd);
    return own ? Peer::Own : Peer::Foreign;
}

void SingleInstance::listen() {
    const std::optional<sockaddr_un> address = addressOf(m_name);
    if (m_listener >= 0 || !address || listener() == Peer::Own)
        return;
    // Nobody of ours answers on a socket that is there: its program ended without removing it,
    // or another user made it in a folder that is ours.
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
        // The socket's mode keeps other users out, but not root's processes, nor anyone once
        // the mode has been widened.
        if (peerUid(fd) != m_uid) {
            ::close(fd);
            continue;
        }
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
        sendAll(fd, activatedAnswer);
    }
    return true;
}
