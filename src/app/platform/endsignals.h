#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (a kill, Ctrl+C in the terminal, a closed terminal, a logout) as a
// Qt signal in the event loop, so that the program can end as it ends after Cancel. The
// handler only writes the signal's number to a pipe that a socket notifier watches; nothing
// else could safely run inside it. One object per process.
class EndSignals : public QObject {
    Q_OBJECT
public:
    explicit EndSignals(QObject *parent = nullptr);
    // The three signals end the process again at once.
    ~EndSignals() override;

signals:
    // Emitted once, for the first of the signals. From then on they have their default effect,
    // so that a second kill still ends a program that hangs while ending.
    void received(int signal);

private:
    void onReadable();

    QSocketNotifier *m_notifier = nullptr;
};
