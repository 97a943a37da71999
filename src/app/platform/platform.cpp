#include "app/platform/platform.h"

// main() installs the real services; widget tests install recording fakes.
Sounds *g_sounds = nullptr;
Clipboard *g_clipboard = nullptr;
