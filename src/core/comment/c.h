#pragma once

#include "core/comment/format.h"

// "/**" ... " */", with " *" before every body line.
class CommentCStyle : public CommentStyle {
public:
    Lines format(const Lines &lines) const override;
};

// The block framing shared by the C-like and nesting styles, which differ only in the mark:
// frameBlock({"S"}, '+') with Tab and no boxes gives {"/++", " +\tS", " +/"}.
Lines frameBlock(const Lines &lines, char mark);
