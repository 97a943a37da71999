#pragma once

#include <QObject>
#include <QString>

#include <unistd.h>

#include <map>
#include <string>

// The path of the local socket of the program running for this user and display. In the
// runtime folder: (1000, ":0", "wayland-0", "/run/user/1000", "/tmp") gives
// "/run/user/1000/remarkist-1000-:0". Without one, in the user's private folder under the
// temporary folder: (1000, ":0", "", "", "/tmp") gives "/tmp/remarkist-1000/remarkist-1000-:0".
// With no X display the Wayland display names the session.
QString instanceServerName(unsigned uid, const QString &display, const QString &waylandDisplay,
                           const QString &runtimeDir, const QString &tempDir);

// Makes the private folder for the socket (mode 0700) where it is missing. Empty when the folder
// may hold the socket: a real folder, owned by `uid`, not writable by group or others. Otherwise
// why not, for example "owned by uid 65534" or "a symbolic link".
QString privateFolderProblem(const QString &folder, unsigned uid);

// The path for this process's user and environment, its private folder made. Empty, with a
// line on standard error, when that folder cannot be trusted: the program then runs without
// the one-instance service.
QString prepareInstanceServerName();

// One program per user and display: a later start asks the running one to come forward and
// ends, instead of opening a second window. Both ends trust only a peer of `ownUid`: another
// user's socket counts as absent, and another user's request is never answered.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // An empty name turns the service off: nothing is asked, nothing listens.
    explicit SingleInstance(QString serverName, unsigned ownUid = ::getuid(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Asks the program listening on the name to come forward and waits for its answer; false
    // when none answers (no socket, one left by a program that crashed, a program ending, one
    // of another user, which is named on standard error). Where nothing listens the connect is
    // refused at once: the first start pays next to nothing.
    bool activateRunning() const;

    // Listens for later starts, taking over a socket that nobody (or another user) answers on.
    // When a program of this user answers (both were started at the same moment) or the
    // socket cannot be made, this one runs on alone, as if it were the only one.
    void listen();
    // Stops listening and removes the socket, so that a start from then on opens a window of
    // its own instead of asking one that is going away.
    void close();
    bool isListening() const;

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    enum class Peer { None, Own, Foreign };

    void onNewConnection();
    // Reads what a client sent; true once its request is answered or refused.
    bool readRequest(int fd);
    Peer listener() const;

    QString m_name;
    unsigned m_uid;
    int m_listener = -1;
    std::string m_path;
    std::map<int, std::string> m_requests; // what each client has sent so far
};
