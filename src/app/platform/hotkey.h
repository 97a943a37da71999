#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <memory>
#include <vector>

struct xcb_connection_t;

// The system-wide Windows+C hot key on X11: a passive key grab on the root window.
class GlobalHotKey : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Null where there is no X11 connection (Wayland, offscreen). A grab that another
    // program already holds fails silently: the key then simply never fires.
    static std::unique_ptr<GlobalHotKey> grab();
    ~GlobalHotKey() override;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // Queued after the key press, so that Qt has taken the press's time stamp as its
    // user time before the window asks to be activated.
    void activated();

private:
    GlobalHotKey(xcb_connection_t *connection, unsigned root, std::vector<unsigned char> keycodes);

    xcb_connection_t *m_connection;
    unsigned m_root;
    std::vector<unsigned char> m_keycodes;
};
