#include "doc/format.h"

#include "Orvex/Exception.h"

namespace {

void appendParagraph(Lines &document, const Lines &section) {
    if (section.empty())
        return;
    document.emplace_back();
    document.insert(document.end(), section.begin(), section.end());
}

void append(Lines &document, const Lines &section) {
    document.insert(document.end(), section.begin(), section.end());
}

} // namespace

Lines DocumentStyle::summarySection() const {
    if (m_summary.empty())
        return {};
    return {m_summary};
}

Lines DocumentStyle::commentSection() const {
    if (m_comment.empty())
        return {};
    return trimTrailingEmpty(splitLines(m_comment));
}

// The summary, then the comment and the note, each after a blank line: the start of every
// document. Throws before building anything when there is no summary.
Lines DocumentStyle::introduction() const {
    Lines document = summarySection();
    if (document.empty())
        throw Orvex::Exception("概要は必ず記述する必要があります。");
    appendParagraph(document, commentSection());
    appendParagraph(document, noteSection());
    return document;
}

Lines DocumentStyle::functionDocument() const {
    Lines document = introduction();
    const Lines params = paramsSection(), returns = returnsSection(), throws = throwsSection();
    if (blankBeforeFunctionBlock(params, returns, throws))
        document.emplace_back();
    append(document, params);
    append(document, returns);
    append(document, throws);
    return document;
}

Lines DocumentStyle::classDocument() const {
    return introduction();
}

Lines DocumentStyle::fileDocument() const {
    Lines document = introduction();
    const Lines author = authorSection();
    // The blank line hangs on the author, so a date without an author follows directly.
    if (!author.empty())
        document.emplace_back();
    append(document, dateSection());
    append(document, author);
    append(document, copyrightSection());
    return document;
}
