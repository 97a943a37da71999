#include "app/platform/instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <unistd.h>

#include <utility>

namespace {

// A program that listens accepts and answers within milliseconds; these bound a hung one, so
// that a second start still ends (or opens its own window) within a second.
constexpr int connectTimeoutMs = 200;
constexpr int writeTimeoutMs = 200;
constexpr int answerTimeoutMs = 500;
constexpr char activateRequest[] = "activate\n";
constexpr char activatedAnswer[] = "ok\n";
// Longer than any request: a client that sends more without a line end is dropped.
constexpr qint64 maxRequestBytes = 64;

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

bool SingleInstance::activateRunning() const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(activateRequest);
    // No answer comes from a program whose window has just closed: its socket still accepts
    // until it goes, but nobody reads there any more.
    return socket.waitForBytesWritten(writeTimeoutMs) && socket.waitForReadyRead(answerTimeoutMs) &&
           socket.readAll() == activatedAnswer;
}

bool SingleInstance::answers() const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    return socket.waitForConnected(connectTimeoutMs);
}

void SingleInstance::listen() {
    if (m_server || answers())
        return;
    // Nobody answers on a socket that is there: its program ended without removing it.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!m_server->listen(m_name)) {
        delete m_server;
        m_server = nullptr;
    }
}

void SingleInstance::close() {
    delete m_server;
    m_server = nullptr;
}

bool SingleInstance::isListening() const {
    return m_server != nullptr;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    }
}

void SingleInstance::readRequest(QLocalSocket *socket) {
    if (!socket->canReadLine() && socket->bytesAvailable() < maxRequestBytes)
        return; // the rest of the line is still on its way
    if (socket->readLine(maxRequestBytes) == activateRequest) {
        emit activationRequested();
        socket->write(activatedAnswer);
    }
    socket->disconnectFromServer();
}
