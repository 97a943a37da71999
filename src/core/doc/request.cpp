#include "core/doc/request.h"

#include "core/comment/styler.h"
#include "core/common/settingdata.h"
#include "core/doc/styler.h"
#include "core/misc/date.h"

std::string renderDocument(const DocumentRequest &request, std::string_view separator,
                           std::optional<Language>) {
    const std::unique_ptr<DocumentStyle> document = documentStyler();
    const std::unique_ptr<CommentStyle> frame = commentStyler();
    if (!request.date)
        document->setDate(formatCurrentDate());
    document->setAuthor(request.author.value_or(g_settingData.author()));
    document->setCopyright(request.copyright.value_or(g_settingData.copyright()));
    document->viewRequest(request);
    Lines body = request.kind == DocumentKind::Function ? document->functionDocument()
                 : request.kind == DocumentKind::Class  ? document->classDocument()
                                                        : document->fileDocument();
    Lines framed = frame->format(std::move(body));
    // The clipboard's own separator is the buffer as it stands: a move, no copy.
    return separator == "\r\n" ? joinLines(std::move(framed)) : joinLines(framed, separator);
}
