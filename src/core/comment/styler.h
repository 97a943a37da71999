#pragma once

#include "core/comment/format.h"

#include <memory>

// A new comment style for the CommentStyle setting: 0 block, 1 line, anything else nesting.
std::unique_ptr<CommentStyle> commentStyler();
