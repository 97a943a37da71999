#include "core/doc/request.h"

#include "core/comment/styler.h"
#include "core/common/settingrecord.h"
#include "core/doc/styler.h"
#include "core/misc/date.h"

namespace {

std::string render(const DocumentRequest &request, std::string_view separator,
                   std::optional<Language> language) {
    const std::unique_ptr<DocumentStyle> document = language ? documentStyler(*language) : documentStyler();
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

} // namespace

std::string renderDocument(const DocumentRequest &request, std::string_view separator,
                           std::optional<Language> language) {
    if (!language)
        return render(request, separator, std::nullopt);
    const SettingValues settings = g_settingRecord.settingsFor(*language);
    const UseSettings use(settings);
    return render(request, separator, language);
}
