#include "core/doc/format.h"

#include "core/Orvex/Exception.h"
#include "core/doc/request.h"

Lines DocumentStyle::summarySection() const {
    if (m_summary.empty())
        return {};
    return {m_summary};
}

void DocumentStyle::viewRequest(const DocumentRequest &request) {
    if (request.date)
        m_date = *request.date;
    m_summary = request.summary;
    m_comment = request.comment;
    m_note = request.note;
    if (request.kind != DocumentKind::Function)
        return;
    m_returns = request.returns;
    m_throws = request.throws;
    m_params = request.params;
}

void DocumentStyle::addText(Lines &lines, std::string_view text, std::string_view lead) {
    if (text.empty())
        return;
    const std::size_t before = lines.size();
    appendSplitLines(lines, text, lead);
    trimTrailingEmpty(lines, before);
}

void DocumentStyle::addComment(Lines &lines) const {
    addText(lines, m_comment);
}

void DocumentStyle::addParagraph(Lines &document, Adder add) const {
    document.push_back("");
    const std::size_t before = document.size();
    (this->*add)(document);
    if (document.size() == before)
        document.pop_back();
}

Lines DocumentStyle::introduction() const {
    if (m_summary.empty())
        throw Orvex::Exception("概要は必ず記述する必要があります。");
    // Room enough for most documents: every field, and a little more per line for labels,
    // padding and breaks.
    std::size_t bytes = m_summary.size() + m_comment.size() + m_note.size() + m_returns.size() +
                        m_date.size() + m_author.size() + m_copyright.size();
    for (const ParamEntry &entry : m_params)
        bytes += entry.direction.size() + entry.name.size() + entry.description.size();
    for (const ExceptionEntry &entry : m_throws)
        bytes += entry.type.size() + entry.description.size();
    const std::size_t lines = 16 + m_params.size() + m_throws.size();
    Lines document;
    document.reserve(lines, bytes + 32 * lines);
    document.push_back(m_summary);
    addParagraph(document, &DocumentStyle::addComment);
    addParagraph(document, &DocumentStyle::addNote);
    return document;
}

Lines DocumentStyle::functionDocument() const {
    Lines document = introduction();
    if (blankBeforeFunctionBlock())
        document.push_back("");
    addParams(document);
    addReturns(document);
    addThrows(document);
    return document;
}

Lines DocumentStyle::classDocument() const {
    return introduction();
}

Lines DocumentStyle::fileDocument() const {
    Lines document = introduction();
    // The blank line hangs on the author, so a date without an author follows directly.
    if (!m_author.empty())
        document.push_back("");
    addDate(document);
    addAuthor(document);
    addCopyright(document);
    return document;
}
