#include "app/platform/sounds.h"

#include <QApplication>
#include <canberra.h>
#include <dlfcn.h>

// The sound library and its codecs are loaded with the first sound, not with the program:
// most runs play none, and loading them costs start-up time.
struct SystemSounds::Library {
    decltype(&ca_context_create) create;
    decltype(&ca_context_destroy) destroy;
    decltype(&ca_context_change_props) changeProps;
    decltype(&ca_context_open) open;
    decltype(&ca_context_play) play;

    // Null when the library or one of its functions is missing.
    static std::unique_ptr<Library> load() {
        void *handle = dlopen("libcanberra.so.0", RTLD_LAZY | RTLD_LOCAL);
        if (!handle)
            return nullptr;
        auto library = std::make_unique<Library>();
        bool complete = true;
        const auto find = [&](auto &function, const char *name) {
            function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle, name));
            complete = complete && function;
        };
        find(library->create, "ca_context_create");
        find(library->destroy, "ca_context_destroy");
        find(library->changeProps, "ca_context_change_props");
        find(library->open, "ca_context_open");
        find(library->play, "ca_context_play");
        // Stays loaded: unloading a library that may have started threads is not safe.
        return complete ? std::move(library) : nullptr;
    }
};

SystemSounds::SystemSounds() = default;

SystemSounds::~SystemSounds() {
    if (m_context)
        m_library->destroy(m_context);
}

void SystemSounds::beep() {
    // Without a sound server the X bell is the next best thing for the ordinary beep.
    if (!play("bell"))
        QApplication::beep();
}

void SystemSounds::asterisk() {
    play("dialog-information");
}

bool SystemSounds::play(const char *eventId) {
    if (m_unavailable)
        return false;
    if (!m_context) {
        m_library = Library::load();
        if (!m_library || m_library->create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            m_unavailable = true;
            return false;
        }
        m_library->changeProps(m_context, CA_PROP_APPLICATION_NAME, "Remarkist", nullptr);
        if (m_library->open(m_context) != CA_SUCCESS) {
            m_library->destroy(m_context);
            m_context = nullptr;
            m_unavailable = true;
            return false;
        }
    }
    // Without a sound device every play fails (as "not found") and the sound library reports
    // it again on the terminal each time, so one failure ends the use of it for this run.
    if (m_library->play(m_context, 0, CA_PROP_EVENT_ID, eventId, nullptr) != CA_SUCCESS)
        m_unavailable = true;
    return !m_unavailable;
}
