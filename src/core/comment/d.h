#pragma once

#include "core/comment/format.h"

// "/++" ... " +/", with " +" before every body line.
class CommentDStyle : public CommentStyle {
public:
    Lines format(const Lines &lines) const override;
};
