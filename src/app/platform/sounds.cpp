#include "platform/sounds.h"

#include <QApplication>
#include <canberra.h>

SystemSounds::~SystemSounds()
{
    if (m_context)
        ca_context_destroy(m_context);
}

void SystemSounds::beep()
{
    // Without a sound server the X bell is the next best thing for the ordinary beep.
    if (!play("bell"))
        QApplication::beep();
}

void SystemSounds::asterisk()
{
    play("dialog-information");
}

bool SystemSounds::play(const char* eventId)
{
    if (m_unavailable)
        return false;
    if (!m_context) {
        if (ca_context_create(&m_context) != CA_SUCCESS) {
            m_context = nullptr;
            m_unavailable = true;
            return false;
        }
        ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Remarkist", nullptr);
        if (ca_context_open(m_context) != CA_SUCCESS) {
            ca_context_destroy(m_context);
            m_context = nullptr;
            m_unavailable = true;
            return false;
        }
    }
    // Without a sound device every play fails (as "not found") and the sound library reports
    // it again on the terminal each time, so one failure ends the use of it for this run.
    if (ca_context_play(m_context, 0, CA_PROP_EVENT_ID, eventId, nullptr) != CA_SUCCESS)
        m_unavailable = true;
    return !m_unavailable;
}
