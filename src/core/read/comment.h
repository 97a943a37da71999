#pragma once

#include "core/doc/request.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// Where a documentation comment lies in a text: bytes from the start of the text, lines from 1.
struct CommentExtent {
    std::size_t begin = 0; // the '/' that opens it
    std::size_t end = 0;   // past "*/" or "+/", or at the end of its last "///" line (before the break)
    std::size_t firstLine = 1, lastLine = 1;

    bool operator==(const CommentExtent &) const = default;
};

// The documentation comment that the text starts with, after blank lines: "/**" (or a line of
// "/*" and more '*', a boxed head), "/*!", "/++" (or "/+" and more '+'), a run of "///" and "//!"
// lines (with lines of '/' only as box lines). Nothing for anything else: ordinary "/* */", "/+ +/"
// and "//" comments, "/**/", a comment that is not closed, code.
std::optional<CommentExtent> findDocComment(std::string_view text);
bool isDocComment(std::string_view text);

// The documentation comment that a run of comments ends with: "/* Note. */ /** Doc. */" gives
// the second. Nothing when the last comment of the run is no documentation comment. The extent
// counts bytes and lines from the start of the text.
std::optional<CommentExtent> lastDocComment(std::string_view comments);

// Reads the documentation comment that the text starts with (see findDocComment) back into a
// request; what follows the comment is not read. Throws Orvex::Exception when the text does not
// start with a documentation comment.
//
// Framings: "/**", "/*!" and "/++", boxed or not, with a column of " * " or " + " or none, and
// runs of "///" or "//!" lines. Syntaxes: @ and \ commands ("@brief", "@param[in,out]" as
// "inout", "@return", "@returns", "@retval" lines as a value list "0, on success", "@throw",
// "@throws", "@exception", "@note", "@date") and DDoc sections ("Params:" with "name = description",
// "Returns:", "Throws:" with "description, Type", "Date:"). Without @brief the first paragraph is
// the summary, in one line. A comment with a date, author or copyright is a file comment, with
// date set ("" without one); author and copyright are left out, as they come from the settings.
// Commands and sections that Remarkist does not write (@see, \todo, "Examples:", ...) stay in the
// comment text as they were, in order.
//
// Rendering what this reads from a comment Remarkist wrote gives that comment again, and in any
// other settings with the same author and copyright gives what the request gives there, except
// where two requests render alike and only one of them can come back:
// - DDoc writes no directions and no name for the note: the directions come back empty and the
//   note as the comment's last paragraph;
// - a value list comes back as "value, description" lines, as "0,ok" and "0 , ok" render alike.
//   In Space, a value's own spaces look like the padding after it: the value ends at the first
//   space (at the first tab, if there is one). A description with a comma would split there when
//   written again;
// - a return text of line breaks only: DDoc writes "Returns:" alone, which comes back as "\n";
//   the Doxygen styles write nothing;
// - a line of text that looks like a section: "@" or "\" and a letter at its start, a word and a
//   colon ("Params:", "Date :"), or "Copyright" and a blank on the last line, which is the
//   Doxygen styles' copyright line;
// - "*/" in a text ends a /** comment, and "/+" and "+/" nest in a /++ comment.
DocumentRequest readComment(std::string_view text);

// A documentation comment taken apart for an update in place: the request it reads as, its body
// lines (views into the text read, so that their place in the text is known), and the lines of
// its parameter, return and exception entries.
struct CommentEntry {
    enum class Kind { Param, Return, Throw } kind = Kind::Param;
    std::size_t first = 0, last = 0; // body lines [first, last): the head and its continuation
    std::string_view command;        // "@param", "\retval", "Returns"; empty for a DDoc row
    std::string_view name;           // the parameter's name or the exception's type; may be empty
    std::string_view direction;      // as written between the brackets
};

struct CommentLayout {
    DocumentRequest request;
    std::vector<std::string_view> lines;
    std::vector<CommentEntry> entries;
    // The line where parameters go in a comment that has none: the first return, exception or
    // closing command (@see, @since, ...), else lines.size().
    std::size_t tagsFrom = 0;
    std::optional<std::size_t> paramsSection; // DDoc's "Params:" line
    bool ddoc = false;                        // written with DDoc sections
    bool lineComment = false;                 // a run of "///" lines: every line is its own
    char command = 0;                         // '@' or '\\' when the comment uses such commands
};

// Reads the comment as readComment does, keeping where each part stands.
CommentLayout layoutComment(std::string_view text);
