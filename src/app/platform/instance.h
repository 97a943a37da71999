#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <string>

// The name of the local socket of the program running for this user and display. In the
// runtime folder it is a full path: (1000, ":0", "wayland-0", "/run/user/1000") gives
// "/run/user/1000/remarkist-1000-:0". Without one, the bare "remarkist-1000-:0", which Qt
// puts in the temporary folder. With no X display the Wayland display names the session.
QString instanceServerName(unsigned uid, const QString &display, const QString &waylandDisplay,
                           const QString &runtimeDir);
// The same for this process's user and environment.
QString instanceServerName();

// One program per user and display: a later start asks the running one to come forward and
// ends, instead of opening a second window.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString serverName, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Asks the program listening on the name to come forward and waits for its answer; false
    // when none answers (no socket, one left by a program that crashed, a program ending).
    // Where nothing listens the connect is refused at once: the first start pays next to
    // nothing.
    bool activateRunning() const;

    // Listens for later starts, taking over a socket that nobody answers on. When another
    // program answers (both were started at the same moment) or the socket cannot be made,
    // this one runs on alone, as if it were the only one.
    void listen();
    // Stops listening once the window has closed, so that a start from then on opens a window
    // of its own instead of asking one that is going away.
    void close();
    bool isListening() const;

signals:
    // A later start asked for the window.
    void activationRequested();

private:
    void onNewConnection();
    // Reads what a client sent; true once its request is answered or refused.
    bool readRequest(int fd);
    bool answers() const;

    QString m_name;
    int m_listener = -1;
    std::string m_path;
    std::map<int, std::string> m_requests; // what each client has sent so far
};
