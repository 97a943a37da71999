#include "comment/d.h"

#include "comment/c.h"

#include <utility>

Lines CommentDStyle::format(Lines lines) const {
    return frameBlock(std::move(lines), '+');
}
