#pragma once

#include "core/doc/request.h"
#include "core/read/declaration.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A request read from source text, and the documented parameters that the declaration no
// longer has.
struct SourceReading {
    DocumentRequest request;
    std::vector<std::string> dropped;
    // False for a comment alone: its kind says only what the comment looks like.
    bool declared = true;
};

// A comment's request brought up to date with a declaration's:
// - the comment's texts and the declaration's kind;
// - the parameters in the declaration's order and with its names, each keeping the description
//   and direction the comment gave the same name (an empty direction, as DDoc gives, takes the
//   declaration's); new names get no description and the declaration's direction;
// - the comment's exceptions, then those of the declaration that the comment lacks.
// Names the comment documents that the declaration lacks are listed in `dropped`.
SourceReading mergeRequests(const DocumentRequest &comment, const DocumentRequest &declaration);

// Reads a documentation comment, a declaration, or a comment directly followed by a
// declaration (merged as above). The language, when not given, is recognised from the text.
// Throws ReadError when the text holds neither; the message gives the line where reading stopped.
SourceReading readSource(std::string_view text, std::optional<Language> language = std::nullopt);

// What an editor replaces to document one declaration: lines first..last of the buffer (1-based;
// last = first - 1 inserts before line first) with text.
struct SourceEdit {
    std::size_t first = 0, last = 0;
    std::string text;
    std::string summary;
    std::vector<std::string> dropped;
};

// Documents the declaration at `line` of a whole source buffer: the one whose text holds the
// line, else the first that starts on it or within the 20 lines after it; a line inside a
// documentation comment stands for the declaration right after that comment. The comment that
// ends on the line directly above the declaration is read and replaced; other comments stay.
// A new comment is the merged request (its summary replaced by `summary` when given) rendered with
// the settings in force, every line indented like the declaration's first line and ended with
// the buffer's line ending (CR LF when its first line ends so, else LF).
// Throws ReadError when no declaration is found there, and the renderer's error for an empty
// summary.
//
// A comment that is there is updated in place (see updateComment): every line stays as it was
// but for what the declaration changed, and a comment that agrees with its declaration comes back
// byte for byte. With `restyle` or a summary, or where the comment's shape cannot take the change
// (a one-line comment that needs a parameter line), it is written anew in the settings' style.
// Comments written anew get no line for a parameter without a name.
SourceEdit editSource(std::string_view buffer, std::size_t line,
                      std::optional<Language> language = std::nullopt,
                      const std::optional<std::string> &summary = std::nullopt, bool restyle = false);

// Leaves out the parameters without a name: no documentation tool can attach a description to
// them.
void dropNamelessParams(DocumentRequest &request);
