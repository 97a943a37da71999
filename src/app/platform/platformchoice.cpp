#include "app/platform/platformchoice.h"

namespace {

bool isSet(const char *value) {
    return value && *value;
}

} // namespace

const char *chosenQtPlatform(const char *waylandDisplay, const char *display, const char *qpaPlatform) {
    if (isSet(waylandDisplay) && isSet(display) && !isSet(qpaPlatform))
        return "xcb";
    return nullptr;
}
