#include "core/doc/request.h"

#include "core/comment/styler.h"
#include "core/common/settingdata.h"
#include "core/doc/styler.h"
#include "core/misc/date.h"

std::string renderDocument(DocumentRequest request, std::string_view separator) {
    const std::unique_ptr<DocumentStyle> document = documentStyler();
    const std::unique_ptr<CommentStyle> frame = commentStyler();
    document->setDate(request.date ? std::move(*request.date) : formatCurrentDate());
    document->setAuthor(g_settingData.author());
    document->setCopyright(g_settingData.copyright());
    document->setSummary(std::move(request.summary));
    document->setComment(std::move(request.comment));
    document->setNote(std::move(request.note));
    Lines body;
    switch (request.kind) {
    case DocumentKind::Function:
        document->setReturns(std::move(request.returns));
        document->setThrows(std::move(request.throws));
        document->setParams(std::move(request.params));
        body = document->functionDocument();
        break;
    case DocumentKind::Class:
        body = document->classDocument();
        break;
    case DocumentKind::File:
        body = document->fileDocument();
        break;
    }
    Lines framed = frame->format(std::move(body));
    // The clipboard's own separator is the buffer as it stands: a move, no copy.
    return separator == "\r\n" ? joinLines(std::move(framed)) : joinLines(framed, separator);
}
