#include "comment/d.h"

#include "comment/c.h"

#include <utility>

Lines CommentDStyle::format(const Lines &lines) const {
    return frameBlock(lines, '+');
}
