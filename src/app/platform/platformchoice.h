#pragma once

// The Qt platform the program asks for, or null to leave the choice to Qt. The arguments
// are the values of WAYLAND_DISPLAY, DISPLAY and QT_QPA_PLATFORM, null when unset; an
// empty value counts as unset, as Qt and the display libraries read it.
//
// A Wayland session that also offers X11 through XWayland runs the program on xcb, where
// the global hot key and the clipboard keeper work: ("wayland-0", ":0", null) gives "xcb".
// A platform the user chose is kept: ("wayland-0", ":0", "wayland") gives null.
const char *chosenQtPlatform(const char *waylandDisplay, const char *display, const char *qpaPlatform);
