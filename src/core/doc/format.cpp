#include "doc/format.h"

#include "Orvex/Exception.h"

#include <utility>

namespace {

void appendParagraph(Lines &document, Lines section) {
    if (section.empty())
        return;
    document.emplace_back();
    appendLines(document, std::move(section));
}

} // namespace

Lines DocumentStyle::summarySection() const {
    if (m_summary.empty())
        return {};
    return Lines(1, m_summary);
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
    Lines params = paramsSection(), returns = returnsSection(), throws = throwsSection();
    const bool blank = blankBeforeFunctionBlock(params, returns, throws);
    document.reserve(document.size() + blank + params.size() + returns.size() + throws.size());
    if (blank)
        document.emplace_back();
    appendLines(document, std::move(params));
    appendLines(document, std::move(returns));
    appendLines(document, std::move(throws));
    return document;
}

Lines DocumentStyle::classDocument() const {
    return introduction();
}

Lines DocumentStyle::fileDocument() const {
    Lines document = introduction();
    Lines author = authorSection();
    // The blank line hangs on the author, so a date without an author follows directly.
    if (!author.empty())
        document.emplace_back();
    appendLines(document, dateSection());
    appendLines(document, std::move(author));
    appendLines(document, copyrightSection());
    return document;
}
