// remarkist-clipkeeper: keeps the text Remarkist copied on the X clipboard after Remarkist
// has ended, for desktops without a clipboard manager. It reads the text from standard
// input, takes the CLIPBOARD selection, writes one byte to standard output when it owns
// it, serves the text and exits as soon as another program takes the clipboard.
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Atoms {
    xcb_atom_t clipboard, targets, timestamp, utf8String, text, incr;
};

// One text handed over in pieces to a requestor that asked for more than fits one request.
struct Transfer {
    xcb_window_t requestor;
    xcb_atom_t property;
    xcb_atom_t type;
    std::string data;
    size_t offset = 0;
};

std::string readAll(int fd) {
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return text;
        text.append(buffer, static_cast<size_t>(got));
    }
}

xcb_atom_t intern(xcb_connection_t *c, const char *name) {
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// STRING is Latin-1: "Grüße 日本" becomes "Grüße ??" (one '?' per character that has no
// Latin-1 form, and one per byte of broken UTF-8).
std::string utf8ToLatin1(const std::string &text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 0;
        bool whole = length != 0 && i + length <= text.size();
        for (size_t k = 1; whole && k < length; ++k)
            whole = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (!whole) {
            out += '?';
            ++i;
            continue;
        }
        if (length == 2 && byte <= 0xC3)
            out += static_cast<char>(((byte & 0x03) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3F));
        else
            out += '?';
        i += length;
    }
    return out;
}

// A server time for taking the selection, as the conventions ask (not CurrentTime): the
// time stamp of a property change on our own window.
xcb_timestamp_t serverTime(xcb_connection_t *c, xcb_window_t window) {
    static constexpr char name[] = "remarkist-clipkeeper";
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        sizeof name - 1, name);
    xcb_flush(c);
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        bool found = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
        xcb_timestamp_t time = found ? reinterpret_cast<xcb_property_notify_event_t *>(event)->time : 0;
        std::free(event);
        if (found)
            return time;
    }
    return XCB_CURRENT_TIME;
}

class Keeper {
public:
    Keeper(xcb_connection_t *c, xcb_window_t window, const Atoms &atoms, std::string text)
        : m_c(c), m_window(window), m_atoms(atoms), m_text(std::move(text)) {
        // Stay well inside the core request limit so that no request needs BIG-REQUESTS.
        m_chunk = std::max<size_t>(4096, xcb_get_setup(c)->maximum_request_length * 4u - 64u);
    }

    bool own() {
        m_time = serverTime(m_c, m_window);
        xcb_set_selection_owner(m_c, m_window, m_atoms.clipboard, m_time);
        xcb_get_selection_owner_reply_t *owner =
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_atoms.clipboard), nullptr);
        bool owned = owner && owner->owner == m_window;
        std::free(owner);
        return owned;
    }

    // Serves requests until another client takes the clipboard or the server goes away.
    void run() {
        while (xcb_generic_event_t *event = xcb_wait_for_event(m_c)) {
            bool done = handle(event);
            std::free(event);
            xcb_flush(m_c);
            if (done)
                return;
        }
    }

private:
    bool handle(xcb_generic_event_t *event) {
        switch (event->response_type & 0x7F) {
        case 0: // an error, for instance a requestor window that vanished during a transfer
            dropTransfers(reinterpret_cast<xcb_generic_error_t *>(event)->resource_id);
            return false;
        case XCB_SELECTION_CLEAR:
            return true;
        case XCB_SELECTION_REQUEST:
            answer(*reinterpret_cast<xcb_selection_request_event_t *>(event));
            return false;
        case XCB_PROPERTY_NOTIFY:
            continueTransfer(*reinterpret_cast<xcb_property_notify_event_t *>(event));
            return false;
        default:
            return false;
        }
    }

    void answer(const xcb_selection_request_event_t &request) {
        // Old clients leave the property empty; they mean the target's name.
        xcb_atom_t property = request.property != XCB_ATOM_NONE ? request.property : request.target;
        bool served = request.selection == m_atoms.clipboard &&
                      (request.time == XCB_CURRENT_TIME || request.time >= m_time) &&
                      serve(request.requestor, property, request.target);
        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = served ? property : xcb_atom_t{XCB_ATOM_NONE};
        xcb_send_event(m_c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char *>(&notify));
    }

    bool serve(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t target) {
        const Atoms &a = m_atoms;
        if (target == a.targets) {
            const xcb_atom_t list[] = {a.targets, a.timestamp, a.utf8String, XCB_ATOM_STRING, a.text};
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM, 32,
                                std::size(list), list);
        } else if (target == a.timestamp) {
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_INTEGER, 32, 1,
                                &m_time);
        } else if (target == a.utf8String || target == a.text) {
            send(requestor, property, a.utf8String, m_text);
        } else if (target == XCB_ATOM_STRING) {
            send(requestor, property, XCB_ATOM_STRING, utf8ToLatin1(m_text));
        } else {
            return false;
        }
        return true;
    }

    void send(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type, std::string data) {
        if (data.size() <= m_chunk) {
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, requestor, property, type, 8,
                                static_cast<uint32_t>(data.size()), data.data());
            return;
        }
        // INCR: announce the size; each time the requestor deletes the property, the next
        // piece follows, and an empty piece ends the transfer.
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(m_c, requestor, XCB_CW_EVENT_MASK, &events);
        const auto size = static_cast<uint32_t>(data.size());
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, requestor, property, m_atoms.incr, 32, 1, &size);
        std::erase_if(m_transfers,
                      [&](const Transfer &t) { return t.requestor == requestor && t.property == property; });
        m_transfers.push_back({requestor, property, type, std::move(data)});
    }

    void continueTransfer(const xcb_property_notify_event_t &event) {
        if (event.state != XCB_PROPERTY_DELETE)
            return;
        auto transfer = std::find_if(m_transfers.begin(), m_transfers.end(), [&](const Transfer &t) {
            return t.requestor == event.window && t.property == event.atom;
        });
        if (transfer == m_transfers.end())
            return;
        size_t length = std::min(m_chunk, transfer->data.size() - transfer->offset);
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, transfer->requestor, transfer->property,
                            transfer->type, 8, static_cast<uint32_t>(length),
                            transfer->data.data() + transfer->offset);
        transfer->offset += length;
        if (length == 0)
            dropTransfers(transfer->requestor);
    }

    void dropTransfers(uint32_t window) {
        if (std::erase_if(m_transfers, [&](const Transfer &t) { return t.requestor == window; }) == 0)
            return;
        const uint32_t none = XCB_EVENT_MASK_NO_EVENT;
        xcb_change_window_attributes(m_c, window, XCB_CW_EVENT_MASK, &none);
    }

    xcb_connection_t *m_c;
    xcb_window_t m_window;
    Atoms m_atoms;
    std::string m_text;
    size_t m_chunk;
    xcb_timestamp_t m_time = XCB_CURRENT_TIME;
    std::vector<Transfer> m_transfers;
};

} // namespace

int main() {
    std::string text = readAll(STDIN_FILENO);
    if (text.empty())
        return 1;

    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);

    xcb_window_t window = xcb_generate_id(c);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);

    Atoms atoms{intern(c, "CLIPBOARD"),   intern(c, "TARGETS"), intern(c, "TIMESTAMP"),
                intern(c, "UTF8_STRING"), intern(c, "TEXT"),    intern(c, "INCR")};
    Keeper keeper(c, window, atoms, std::move(text));
    if (!keeper.own())
        return 1;
    if (write(STDOUT_FILENO, "1", 1) != 1) {
        // Nobody waits for the signal; keep the clipboard all the same.
    }
    close(STDOUT_FILENO);
    keeper.run();
    xcb_disconnect(c);
    return 0;
}
