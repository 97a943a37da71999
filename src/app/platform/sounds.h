#pragma once

#include "app/platform/platform.h"

#include <memory>

struct ca_context;

// The desktop's event sounds through libcanberra, loaded with the first sound. Where no sound
// server runs the first call fails quickly and every later one is silent; nothing here ever
// blocks or throws.
class SystemSounds : public Sounds {
public:
    SystemSounds();
    ~SystemSounds() override;
    SystemSounds(const SystemSounds &) = delete;
    SystemSounds &operator=(const SystemSounds &) = delete;

    void beep() override;
    void asterisk() override;

private:
    // Plays a freedesktop sound event ("bell", "dialog-information"); false if it could not.
    bool play(const char *eventId);

    struct Library;
    std::unique_ptr<Library> m_library;
    ca_context *m_context = nullptr;
    bool m_unavailable = false;
};
