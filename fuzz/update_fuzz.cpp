#include "core/Orvex/Exception.h"
#include "core/common/settingrecord.h"
#include "core/read/source.h"
#include "core/read/update.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

// A source buffer of any bytes: every declaration's comment is updated in place without crashing
// or hanging, and the replacements lie within the comment's lines, in order and apart. The first
// byte picks the language; edit, in place and written anew, runs on the line the second names.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2)
        return 0;
    const Language language = Language(data[0] % 4);
    const std::string_view buffer(reinterpret_cast<const char *>(data) + 2, size - 2);
    g_settingRecord.resetToFirstStart();
    std::vector<Declaration> declarations;
    try {
        declarations = findDeclarations(buffer, language);
    } catch (const Orvex::Exception &) {
        return 0;
    }
    for (const Declaration &declaration : declarations) {
        if (!declaration.comment)
            continue;
        const CommentSpan &span = *declaration.comment;
        const CommentUpdate update = updateComment(buffer, span, declaration.request, language);
        const std::size_t lf = span.begin == 0 ? std::string_view::npos : buffer.rfind('\n', span.begin - 1);
        const std::size_t first = lf == std::string_view::npos ? 0 : lf + 1;
        const std::size_t next = buffer.find('\n', span.end);
        const std::size_t last = next == std::string_view::npos ? buffer.size() : next + 1;
        std::size_t at = first;
        for (const Replacement &r : update.replacements) {
            if (r.begin < at || r.end < r.begin || r.end > last)
                std::abort();
            at = r.end;
        }
        (void)outlineComment(buffer, span);
    }
    const std::size_t line = 1 + data[1] % 64;
    for (bool restyle : {false, true}) {
        try {
            (void)editSource(buffer, line, language, std::nullopt, restyle);
        } catch (const Orvex::Exception &) {
        }
    }
    return 0;
}
