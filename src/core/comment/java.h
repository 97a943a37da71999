#pragma once

#include "core/comment/format.h"

// "///" before every body line; box lines of "/" only around two lines or more.
class CommentJavaStyle : public CommentStyle {
public:
    Lines format(const Lines &lines) const override;
};
