#include "app/platform/clipboard.h"

#include "core/Orvex/System/File.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cerrno>

namespace {

constexpr const char *keeperName = "remarkist-clipkeeper";
constexpr int readyTimeoutMs = 3000;

bool clipboardManagerRunning() {
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    static constexpr char name[] = "CLIPBOARD_MANAGER";
    xcb_intern_atom_reply_t *atom =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    if (!atom)
        return false;
    bool running = false;
    if (atom->atom != XCB_ATOM_NONE) {
        xcb_get_selection_owner_reply_t *owner = xcb_get_selection_owner_reply(
            connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
        running = owner && owner->owner != XCB_WINDOW_NONE;
        free(owner);
    }
    free(atom);
    return running;
}

// The keeper writes one byte once it owns the clipboard.
bool waitForReady(int fd) {
    pollfd entry{fd, POLLIN, 0};
    int ready;
    do
        ready = poll(&entry, 1, readyTimeoutMs);
    while (ready < 0 && errno == EINTR);
    char byte;
    return ready > 0 && read(fd, &byte, 1) == 1;
}

} // namespace

void SystemClipboard::setText(const std::string &text) {
    QGuiApplication::clipboard()->setText(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    m_lastText = text;
}

std::string SystemClipboard::text() const {
    return QGuiApplication::clipboard()->text().toStdString();
}

void SystemClipboard::handOver() {
    // Elsewhere (Wayland, offscreen) the platform keeps the text itself; with a clipboard
    // manager running Qt hands the text over when the application object goes away.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || m_lastText.empty())
        return;
    if (!QGuiApplication::clipboard()->ownsClipboard() || clipboardManagerRunning())
        return;
    startClipboardKeeper(
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(keeperName), m_lastText);
}

bool startClipboardKeeper(const QString &keeperPath, const std::string &text) {
    const QByteArray path = keeperPath.toLocal8Bit();
    int input[2], ready[2];
    if (pipe2(input, O_CLOEXEC) != 0)
        return false;
    if (pipe2(ready, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        return false;
    }
    // Fork twice so that the keeper is nobody's child here: no zombie, no wait, and its
    // own session, so closing our terminal does not end it either.
    pid_t child = fork();
    if (child == 0) {
        if (setsid() < 0 || fork() != 0)
            _exit(0);
        dup2(input[0], STDIN_FILENO);
        dup2(ready[1], STDOUT_FILENO);
        if (chdir("/") != 0)
            _exit(127);
        char *argv[] = {const_cast<char *>(path.constData()), nullptr};
        execv(argv[0], argv);
        _exit(127);
    }
    close(input[0]);
    close(ready[1]);
    bool ok = false;
    if (child > 0) {
        waitpid(child, nullptr, 0);
        // A keeper that failed to start closes the pipe; ignore the write error then.
        struct sigaction ignore {
        }, previous{};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGPIPE, &ignore, &previous);
        bool sent = Orvex::writeAll(input[1], text);
        close(input[1]);
        ok = sent && waitForReady(ready[0]);
        sigaction(SIGPIPE, &previous, nullptr);
    } else {
        close(input[1]);
    }
    close(ready[0]);
    return ok;
}
