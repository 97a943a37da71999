#include "core/read/source.h"

#include "core/read/comment.h"
#include "core/read/update.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace {

// The language given, or else the one the text looks written in.
Language languageOf(std::optional<Language> language, std::string_view text) {
    return language ? *language : guessLanguage(text);
}

bool blank(std::string_view text) {
    return text.find_first_not_of(" \t\r\n\f\v") == std::string_view::npos;
}

// Byte offsets where each line starts; lineStarts(text)[0] is line 1.
std::vector<std::size_t> lineStarts(std::string_view text) {
    std::vector<std::size_t> starts{0};
    for (std::size_t at = text.find('\n'); at != std::string_view::npos; at = text.find('\n', at + 1))
        starts.push_back(at + 1);
    return starts;
}

std::string_view lineAt(std::string_view text, const std::vector<std::size_t> &starts, std::size_t line) {
    const std::size_t begin = starts[line - 1];
    const std::size_t end = line < starts.size() ? starts[line] : text.size();
    return text.substr(begin, end - begin);
}

// The documentation comment that ends the comments before a declaration.
std::optional<CommentSpan> docComment(const Declaration &declaration, std::string_view buffer) {
    const auto &comments = declaration.comment;
    if (!comments)
        return std::nullopt;
    const std::optional<CommentExtent> doc =
        lastDocComment(buffer.substr(comments->begin, comments->end - comments->begin));
    if (!doc)
        return std::nullopt;
    return CommentSpan{comments->begin + doc->begin, comments->begin + doc->end,
                       comments->firstLine + doc->firstLine - 1, comments->firstLine + doc->lastLine - 1};
}

// Which declaration an editor means by `line`: one documented by a comment holding the line;
// else the innermost function whose text holds it; else the first declaration starting on the
// line or within the 20 after it; else the innermost class holding it.
const Declaration *declarationAt(const std::vector<Declaration> &declarations, std::string_view buffer,
                                 std::size_t line) {
    const auto holds = [line](std::size_t first, std::size_t last) { return first <= line && line <= last; };
    const Declaration *function = nullptr, *following = nullptr, *type = nullptr;
    for (const Declaration &declaration : declarations) {
        const std::optional<CommentSpan> comment = docComment(declaration, buffer);
        if (comment && holds(comment->firstLine, comment->lastLine))
            return &declaration;
        if (holds(declaration.firstLine, declaration.lastLine)) {
            const Declaration *&inner = declaration.request.kind == DocumentKind::Function ? function : type;
            if (!inner || inner->firstLine <= declaration.firstLine)
                inner = &declaration;
        }
        if (!following && declaration.firstLine >= line && declaration.firstLine <= line + 20)
            following = &declaration;
    }
    return function ? function : following ? following : type;
}

// The documentation comment to replace: it ends on the line right above the declaration and
// shares its lines with nothing else.
std::optional<CommentSpan> commentToReplace(const Declaration &declaration, std::string_view buffer,
                                            const std::vector<std::size_t> &starts) {
    std::optional<CommentSpan> comment = docComment(declaration, buffer);
    if (!comment || comment->lastLine + 1 != declaration.firstLine)
        return std::nullopt;
    const std::size_t lineBegin = starts[comment->firstLine - 1];
    const std::string_view after = lineAt(buffer, starts, comment->lastLine);
    const std::size_t afterBegin = comment->end - starts[comment->lastLine - 1];
    if (!blank(buffer.substr(lineBegin, comment->begin - lineBegin)) || !blank(after.substr(afterBegin)))
        return std::nullopt;
    return comment;
}

// A member's comment on its own line ("int x; ///< The x."): kept there. A summary replaces its
// text; otherwise there is nothing a member's comment could disagree with.
SourceEdit trailingEdit(std::string_view buffer, const std::vector<std::size_t> &starts,
                        const CommentSpan &comment, const std::optional<std::string> &summary,
                        std::string_view ending) {
    const std::string_view text = buffer.substr(comment.begin, comment.end - comment.begin);
    const std::size_t begin = starts[comment.firstLine - 1];
    const std::size_t end = comment.lastLine < starts.size() ? starts[comment.lastLine] : buffer.size();
    SourceEdit edit{comment.firstLine,
                    comment.lastLine,
                    std::string(buffer.substr(begin, end - begin)),
                    readComment(text).summary,
                    {}};
    if (summary) {
        // The opener as written ("///<", "/**<", "//!<", D's "///"), the summary, the closer.
        const std::size_t opener = text.find_first_of(" \t\r\n", 3);
        std::string replaced(text.substr(0, std::min(opener, text.size())));
        replaced += " " + *summary;
        if (text.starts_with("/*") || text.starts_with("/+"))
            replaced += text.starts_with("/*") ? " */" : " +/";
        edit.text = std::string(buffer.substr(begin, comment.begin - begin)) + replaced +
                    std::string(buffer.substr(comment.end, end - comment.end));
        edit.summary = *summary;
    }
    if (!edit.text.ends_with('\n'))
        edit.text += ending;
    return edit;
}

} // namespace

SourceReading mergeRequests(const DocumentRequest &comment, const DocumentRequest &declaration) {
    SourceReading reading{comment, {}};
    if (comment.kind == DocumentKind::File)
        return reading; // it documents the file, not the declaration after it
    // A function's sections on what reads as a type (a D template of functions, a macro's
    // struct): the declaration knows less than the comment, which stays as it is.
    const bool functionSections =
        !comment.params.empty() || !comment.returns.empty() || !comment.throws.empty();
    if (declaration.kind == DocumentKind::Class && functionSections)
        return reading;
    DocumentRequest &merged = reading.request;
    merged.kind = declaration.kind;

    std::vector<std::string_view> documented, declared;
    for (const ParamEntry &param : comment.params)
        documented.push_back(param.name);
    for (const ParamEntry &param : declaration.params)
        declared.push_back(param.name);
    const std::vector<std::size_t> target = matchParameters(documented, declared);
    merged.params = declaration.params;
    for (std::size_t i = 0; i < comment.params.size(); ++i) {
        const ParamEntry &param = comment.params[i];
        if (target[i] == std::string_view::npos) {
            reading.dropped.push_back(param.name);
            continue;
        }
        ParamEntry &into = merged.params[target[i]];
        into.description = param.description;
        if (!param.direction.empty())
            into.direction = param.direction;
    }

    std::unordered_set<std::string_view> types;
    for (const ExceptionEntry &entry : comment.throws)
        types.insert(entry.type);
    for (const ExceptionEntry &entry : declaration.throws)
        if (!types.contains(entry.type))
            merged.throws.push_back(entry);
    return reading;
}

SourceReading readSource(std::string_view text, std::optional<Language> language) {
    const std::optional<CommentExtent> comment = findDocComment(text);
    if (!comment)
        return {readDeclaration(text, languageOf(language, text)).request, {}};
    const DocumentRequest documented = readComment(text);
    if (blank(text.substr(comment->end)))
        return {documented, {}, false};
    // The declaration is read with the comment blanked out, so that an error names the line
    // as the whole text numbers it.
    std::string rest(text);
    std::replace_if(
        rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(comment->end),
        [](char c) { return c != '\n'; }, ' ');
    const Language reading = languageOf(language, std::string_view(rest).substr(comment->end));
    return mergeRequests(documented, readDeclaration(rest, reading).request);
}

void dropNamelessParams(DocumentRequest &request) {
    std::erase_if(request.params, [](const ParamEntry &param) { return param.name.empty(); });
}

SourceEdit editSource(std::string_view buffer, std::size_t line, std::optional<Language> language,
                      const std::optional<std::string> &summary, bool restyle) {
    const Language written = languageOf(language, buffer);
    const std::vector<Declaration> declarations = findDeclarations(buffer, written);
    const Declaration *declaration = declarationAt(declarations, buffer, line);
    if (!declaration)
        throw ReadError("no declaration at line " + std::to_string(line) +
                        " or within the 20 lines after it");

    const std::vector<std::size_t> starts = lineStarts(buffer);
    const std::optional<CommentSpan> comment = commentToReplace(*declaration, buffer, starts);
    const std::string_view ending =
        starts.size() > 1 && starts[1] >= 2 && buffer[starts[1] - 2] == '\r' ? "\r\n" : "\n";
    SourceEdit edit;
    if (comment && !restyle && !summary) {
        CommentUpdate update = updateComment(buffer, *comment, declaration->request, written);
        if (!update.restyle) {
            // The comment's own lines, changed only where the declaration asks for it.
            const std::size_t begin = starts[comment->firstLine - 1];
            const std::size_t end =
                comment->lastLine < starts.size() ? starts[comment->lastLine] : buffer.size();
            for (Replacement &r : update.replacements) {
                r.begin -= begin;
                r.end -= begin;
            }
            edit.first = comment->firstLine;
            edit.last = comment->lastLine;
            edit.text = applyReplacements(buffer.substr(begin, end - begin), update.replacements);
            if (!edit.text.ends_with('\n'))
                edit.text += ending;
            edit.summary = readComment(buffer.substr(comment->begin, comment->end - comment->begin)).summary;
            edit.dropped = std::move(update.dropped);
            return edit;
        }
    }

    if (!comment && declaration->trailing)
        return trailingEdit(buffer, starts, *declaration->trailing, summary, ending);

    SourceReading reading{declaration->request, {}};
    if (comment) {
        reading = mergeRequests(readComment(buffer.substr(comment->begin, comment->end - comment->begin)),
                                declaration->request);
        edit.first = comment->firstLine;
        edit.last = comment->lastLine;
    } else {
        edit.first = declaration->firstLine;
        edit.last = declaration->firstLine - 1;
    }
    dropNamelessParams(reading.request);
    if (summary)
        reading.request.summary = *summary;
    edit.summary = reading.request.summary;
    edit.dropped = std::move(reading.dropped);

    const std::string_view firstLine = lineAt(buffer, starts, declaration->firstLine);
    const std::string_view indent = firstLine.substr(0, firstLine.find_first_not_of(" \t"));
    const std::string rendered = renderDocument(reading.request, "\n", written);
    for (std::size_t begin = 0; begin <= rendered.size();) {
        const std::size_t end = std::min(rendered.find('\n', begin), rendered.size());
        edit.text.append(indent).append(rendered, begin, end - begin).append(ending);
        begin = end + 1;
    }
    return edit;
}
