#pragma once

#include "core/misc/lines.h"

// Frames body lines as a source comment ("/**", "///" or "/++"), reading the settings at
// every call.
class CommentStyle {
public:
    virtual ~CommentStyle() = default;
    virtual Lines format(const Lines &lines) const = 0;
};
