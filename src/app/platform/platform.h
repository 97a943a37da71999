#pragma once

#include <string>

// The desktop services the pages use, behind small interfaces so that widget tests can
// replace them with recording fakes. main() installs the real ones.
class Sounds {
public:
    virtual ~Sounds() = default;
    virtual void beep() = 0;     // the default beep, after a successful copy
    virtual void asterisk() = 0; // the asterisk beep, after a failed one
};

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Puts plain UTF-8 text on the clipboard, replacing what was there; it stays
    // available after the program ends.
    virtual void setText(const std::string &text) = 0;
    // The plain UTF-8 text on the clipboard; empty when it holds none.
    virtual std::string text() const = 0;
};

extern Sounds *g_sounds;
extern Clipboard *g_clipboard;
