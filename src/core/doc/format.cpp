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

Lines DocumentStyle::introduction(std::size_t room) const {
    if (m_summary.empty())
        throw Orvex::Exception("概要は必ず記述する必要があります。");
    Lines comment = commentSection(), note = noteSection();
    Lines document;
    document.reserve(1 + 1 + comment.size() + 1 + note.size() + room);
    document.push_back(m_summary);
    appendParagraph(document, std::move(comment));
    appendParagraph(document, std::move(note));
    return document;
}

Lines DocumentStyle::functionDocument() const {
    Lines params = paramsSection(), returns = returnsSection(), throws = throwsSection();
    const bool blank = blankBeforeFunctionBlock(params, returns, throws);
    Lines document = introduction(blank + params.size() + returns.size() + throws.size());
    if (blank)
        document.emplace_back();
    appendLines(document, std::move(params));
    appendLines(document, std::move(returns));
    appendLines(document, std::move(throws));
    return document;
}

Lines DocumentStyle::classDocument() const {
    return introduction(0);
}

Lines DocumentStyle::fileDocument() const {
    Lines date = dateSection(), author = authorSection(), copyright = copyrightSection();
    // The blank line hangs on the author, so a date without an author follows directly.
    const bool blank = !author.empty();
    Lines document = introduction(blank + date.size() + author.size() + copyright.size());
    if (blank)
        document.emplace_back();
    appendLines(document, std::move(date));
    appendLines(document, std::move(author));
    appendLines(document, std::move(copyright));
    return document;
}
