#include "core/read/declaration.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// What any reading must hold: lines inside the text, in order, with the comment before the
// declaration and the member comment after its start; directions from the rule ("out" only from
// D's storage class); a passing for each parameter.
void check(const Declaration &declaration, std::size_t lines, Language language) {
    if (declaration.firstLine < 1 || declaration.firstLine > declaration.lastLine ||
        declaration.lastLine > lines)
        std::abort();
    if (declaration.comment && (declaration.comment->lastLine > declaration.firstLine ||
                                declaration.comment->firstLine > declaration.comment->lastLine ||
                                declaration.comment->begin >= declaration.comment->end))
        std::abort();
    for (const ParamEntry &param : declaration.request.params)
        if (param.direction != "in" && param.direction != "inout" &&
            !(param.direction == "out" && language == Language::D))
            std::abort();
    if (declaration.request.kind == DocumentKind::Class &&
        !(declaration.request.params.empty() && declaration.request.throws.empty() &&
          declaration.returnsValue))
        std::abort();
    if (declaration.byValue.size() != declaration.request.params.size())
        std::abort();
    // A member comment stands after the declaration begins, on its last line or below it.
    if (declaration.trailing &&
        (declaration.trailing->firstLine < declaration.firstLine ||
         declaration.trailing->firstLine > declaration.lastLine ||
         declaration.trailing->begin >= declaration.trailing->end || declaration.trailing->lastLine > lines ||
         (declaration.comment && declaration.trailing->begin < declaration.comment->end)))
        std::abort();
}

} // namespace

// Any bytes, in every language: a declaration or a ReadError, never a crash, and every
// declaration a buffer holds within the buffer, one after another.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::size_t lines = 1 + static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    for (Language language : {Language::C, Language::Cpp, Language::D, Language::Java}) {
        try {
            check(readDeclaration(text, language), lines, language);
        } catch (const ReadError &) {
        }
        std::size_t previous = 0;
        for (const Declaration &declaration : findDeclarations(text, language)) {
            check(declaration, lines, language);
            if (declaration.firstLine < previous)
                std::abort();
            previous = declaration.firstLine;
        }
    }
    (void)guessLanguage(text);
    return 0;
}
