#include "core/comment/d.h"

#include "core/comment/c.h"

Lines CommentDStyle::format(const Lines &lines) const {
    return frameBlock(lines, '+');
}
