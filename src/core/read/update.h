#pragma once

#include "core/doc/request.h"
#include "core/read/declaration.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One exact change to a buffer: bytes [begin, end) become `text`. Insertions have begin == end.
struct Replacement {
    std::size_t begin = 0, end = 0;
    std::string text;

    bool operator==(const Replacement &) const = default;
};

// Applies replacements that are sorted by begin and do not overlap.
std::string applyReplacements(std::string_view buffer, const std::vector<Replacement> &replacements);

// Where something stands in a buffer: 1-based line, 1-based column in bytes, and the bytes of
// the whole lines it takes, from the start of its first line to past the line break of its last.
struct Place {
    std::size_t line = 0, column = 0;
    std::size_t begin = 0, end = 0;

    bool operator==(const Place &) const = default;
};

// A parameter line of a documentation comment as it stands in the buffer: "@param[in] name text",
// "\param name text", or a DDoc row "name = text", with its continuation lines.
struct DocumentedParam {
    std::string name;                       // "" for a line with no name ("@param[in]" alone)
    std::string direction;                  // as written between the brackets, "" without
    Place place;                            // line and column of the command, or of a DDoc row's name
    std::size_t nameBegin = 0, nameEnd = 0; // bytes of the name; equal where there is none
};

// What a documentation comment in a buffer documents, with places: its parameter lines in
// order, and its return lines ("@return", "@returns", "@retval", "Returns:").
struct CommentOutline {
    std::vector<DocumentedParam> params;
    std::vector<Place> returns;
};

// Outlines the documentation comment at `comment` (as findDeclarations gives it). Never throws:
// a comment that cannot be read has an empty outline.
CommentOutline outlineComment(std::string_view buffer, const CommentSpan &comment);

// Which declared parameter each documented name stands for: the one of its name (for the first
// line of a name), or, for a name the declaration no longer has, the new name at the same place
// between two names both know (as many gone there as new), or at the same index. npos for none.
// Empty names match nothing.
std::vector<std::size_t> matchParameters(const std::vector<std::string_view> &documented,
                                         const std::vector<std::string_view> &declared);

// The smallest change that brings a documentation comment up to date with its declaration,
// keeping every other byte (see updateComment).
struct CommentUpdate {
    std::vector<Replacement> replacements; // in buffer order; none when the comment agrees
    std::vector<std::string> dropped;      // documented names the declaration no longer has
    // Set when the comment's shape cannot take the change in place (a one-line "/** Text. */"
    // that needs a parameter line): the caller renders the comment anew instead.
    bool restyle = false;
};

// Updates the comment at `comment` in place for `declaration`:
// - a renamed parameter (same place among the documented ones, new name, old name gone): only
//   the name changes;
// - a new parameter: a line in the comment's own syntax, indentation and alignment, in
//   declaration order; with directions only when the other parameter lines carry them;
// - a removed parameter: its lines go, and its name is listed in `dropped`;
// - a nameless parameter line goes;
// - documented parameters in another order than the declaration's are put in its order;
// - an exception the declaration has and the comment lacks: a line in the comment's style.
// Parameters without a name in the declaration get no line. A second line for a name stays as
// it is. With a language, new lines are written as it wants them (no directions in Java).
CommentUpdate updateComment(std::string_view buffer, const CommentSpan &comment,
                            const DocumentRequest &declaration,
                            std::optional<Language> language = std::nullopt);
