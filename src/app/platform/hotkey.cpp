#include "app/platform/hotkey.h"

#include <QGuiApplication>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>

namespace {

constexpr xcb_keysym_t keysymC = 0x0063; // XK_c
constexpr uint16_t super = XCB_MOD_MASK_4;
// The grab must match with NumLock (Mod2) and CapsLock (Lock) on as well.
constexpr uint16_t lockVariants[] = {0, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK,
                                     XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};
constexpr uint16_t significant = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

std::vector<unsigned char> keycodesOf(xcb_connection_t *connection, xcb_keysym_t keysym) {
    std::vector<unsigned char> keycodes;
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    if (!symbols)
        return keycodes;
    if (xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, keysym)) {
        for (xcb_keycode_t *code = codes; *code != XCB_NO_SYMBOL; ++code)
            keycodes.push_back(*code);
        free(codes);
    }
    xcb_key_symbols_free(symbols);
    return keycodes;
}

} // namespace

std::unique_ptr<GlobalHotKey> GlobalHotKey::grab() {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return nullptr;
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    std::vector<unsigned char> keycodes = keycodesOf(connection, keysymC);
    if (!screen || keycodes.empty())
        return nullptr;
    // Checked, so that a BadAccess (another program holds the key) comes back here and is
    // dropped instead of reaching Qt's error log.
    std::vector<xcb_void_cookie_t> cookies;
    for (unsigned char keycode : keycodes)
        for (uint16_t locks : lockVariants)
            cookies.push_back(xcb_grab_key_checked(connection, 1, screen->root, super | locks, keycode,
                                                   XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    for (xcb_void_cookie_t cookie : cookies)
        free(xcb_request_check(connection, cookie));
    return std::unique_ptr<GlobalHotKey>(new GlobalHotKey(connection, screen->root, std::move(keycodes)));
}

GlobalHotKey::GlobalHotKey(xcb_connection_t *connection, unsigned root, std::vector<unsigned char> keycodes)
    : m_connection(connection), m_root(root), m_keycodes(std::move(keycodes)) {
    qApp->installNativeEventFilter(this);
}

GlobalHotKey::~GlobalHotKey() {
    qApp->removeNativeEventFilter(this);
    for (unsigned char keycode : m_keycodes)
        for (uint16_t locks : lockVariants)
            xcb_ungrab_key(m_connection, keycode, m_root, super | locks);
    xcb_flush(m_connection);
}

bool GlobalHotKey::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7F) != XCB_KEY_PRESS)
        return false;
    auto *press = static_cast<xcb_key_press_event_t *>(message);
    if (press->event == m_root && (press->state & significant) == super &&
        std::find(m_keycodes.begin(), m_keycodes.end(), press->detail) != m_keycodes.end())
        QMetaObject::invokeMethod(this, &GlobalHotKey::activated, Qt::QueuedConnection);
    // Not consumed: Qt still records the press's time stamp (and ignores a press on the root).
    return false;
}
