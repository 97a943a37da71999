#pragma once

#include "app/platform/platform.h"

#include <QString>
#include <string>

// The X clipboard as the pages use it. On X11 a selection dies with its owner, so when
// the program ends while still owning the clipboard and no clipboard manager is running,
// handOver() gives the last text to the keeper process, which serves it until another
// program takes the clipboard.
class SystemClipboard : public Clipboard {
public:
    void setText(const std::string &text) override;
    std::string text() const override;

    // Call once at the end of the run, while the application object still exists.
    void handOver();

private:
    std::string m_lastText;
};

// Starts the keeper at `keeperPath` detached from this process, gives it `text` on its
// standard input and waits (at most a few seconds) until it owns the clipboard.
// False if it could not be started or did not report ownership.
bool startClipboardKeeper(const QString &keeperPath, const std::string &text);
