#include "comment/d.h"

#include "comment/c.h"

Lines CommentDStyle::format(const Lines &lines) const {
    return frameBlock(lines, '+');
}
