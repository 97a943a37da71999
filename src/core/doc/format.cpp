#include "doc/format.h"

#include "Orvex/Exception.h"

#include <utility>

namespace {

void appendParagraph(Lines &document, const Lines &section) {
    if (section.empty())
        return;
    document.push_back("");
    document.append(section);
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

Lines DocumentStyle::compose(bool blank, std::initializer_list<const Lines *> block) const {
    if (m_summary.empty())
        throw Orvex::Exception("概要は必ず記述する必要があります。");
    const Lines comment = commentSection(), note = noteSection();
    std::size_t lines = 4 + comment.size() + note.size();
    std::size_t bytes = m_summary.size() + comment.bytes() + note.bytes();
    for (const Lines *section : block) {
        lines += section->size();
        bytes += section->bytes();
    }
    Lines document;
    document.reserve(lines, bytes);
    document.push_back(m_summary);
    appendParagraph(document, comment);
    appendParagraph(document, note);
    if (blank)
        document.push_back("");
    for (const Lines *section : block)
        document.append(*section);
    return document;
}

Lines DocumentStyle::functionDocument() const {
    const Lines params = paramsSection(), returns = returnsSection(), throws = throwsSection();
    return compose(blankBeforeFunctionBlock(params, returns, throws), {&params, &returns, &throws});
}

Lines DocumentStyle::classDocument() const {
    return compose(false, {});
}

Lines DocumentStyle::fileDocument() const {
    const Lines date = dateSection(), author = authorSection(), copyright = copyrightSection();
    // The blank line hangs on the author, so a date without an author follows directly.
    return compose(!author.empty(), {&date, &author, &copyright});
}
