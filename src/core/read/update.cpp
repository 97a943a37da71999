#include "core/read/update.h"

std::string applyReplacements(std::string_view buffer, const std::vector<Replacement> &replacements) {
    std::string out;
    out.reserve(buffer.size());
    std::size_t at = 0;
    for (const Replacement &r : replacements) {
        out.append(buffer.substr(at, r.begin - at)).append(r.text);
        at = r.end;
    }
    out.append(buffer.substr(at));
    return out;
}

CommentOutline outlineComment(std::string_view, const CommentSpan &) {
    return {};
}

CommentUpdate updateComment(std::string_view, const CommentSpan &, const DocumentRequest &) {
    return {};
}
