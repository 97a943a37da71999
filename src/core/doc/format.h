#pragma once

#include "core/misc/lines.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct ParamEntry {
    std::string direction; // "in", "out", "inout" or whatever was typed
    std::string name;
    std::string description;

    bool operator==(const ParamEntry &) const = default;
};

struct ExceptionEntry {
    std::string type;
    std::string description;

    bool operator==(const ExceptionEntry &) const = default;
};

struct DocumentRequest;

// One documentation request, rendered into body lines in one document syntax. Filled once
// through the setters, rendered once. Empty fields drop their sections.
class DocumentStyle {
public:
    DocumentStyle() = default;
    // The fields view the style's own copies: a copy would view the original's.
    DocumentStyle(const DocumentStyle &) = delete;
    DocumentStyle &operator=(const DocumentStyle &) = delete;
    virtual ~DocumentStyle() = default;

    void setDate(std::string date) { m_date = m_own.date = std::move(date); }
    void setAuthor(std::string author) { m_author = m_own.author = std::move(author); }
    void setCopyright(std::string copyright) { m_copyright = m_own.copyright = std::move(copyright); }
    void setSummary(std::string summary) { m_summary = m_own.summary = std::move(summary); }
    void setComment(std::string comment) { m_comment = m_own.comment = std::move(comment); }
    void setNote(std::string note) { m_note = m_own.note = std::move(note); }
    void setReturns(std::string returns) { m_returns = m_own.returns = std::move(returns); }
    void setThrows(std::vector<ExceptionEntry> throws) { m_throws = m_own.throws = std::move(throws); }
    void setParams(std::vector<ParamEntry> params) { m_params = m_own.params = std::move(params); }
    // The request's date (when it has one), summary, comment, note and, for a function, returns,
    // exceptions and parameters, without copying them: the request must outlive the rendering.
    void viewRequest(const DocumentRequest &request);

    // Each section's lines; none when the section is absent, as it is whenever its field is empty.
    Lines dateSection() const { return section(&DocumentStyle::addDate); }
    Lines authorSection() const { return section(&DocumentStyle::addAuthor); }
    Lines copyrightSection() const { return section(&DocumentStyle::addCopyright); }
    Lines summarySection() const;
    Lines commentSection() const { return section(&DocumentStyle::addComment); }
    Lines noteSection() const { return section(&DocumentStyle::addNote); }
    Lines returnsSection() const { return section(&DocumentStyle::addReturns); }
    Lines throwsSection() const { return section(&DocumentStyle::addThrows); }
    Lines paramsSection() const { return section(&DocumentStyle::addParams); }

    // Each throws Orvex::Exception("概要は必ず記述する必要があります。") when the summary is empty.
    Lines functionDocument() const;
    Lines classDocument() const;
    Lines fileDocument() const;

protected:
    // Each adds its section's lines to the end of lines; the documents have them written
    // straight into the document rather than copied there.
    virtual void addDate(Lines &lines) const = 0;
    virtual void addAuthor(Lines &lines) const = 0;
    virtual void addCopyright(Lines &lines) const = 0;
    void addComment(Lines &lines) const;
    virtual void addNote(Lines &lines) const = 0;
    virtual void addReturns(Lines &lines) const = 0;
    virtual void addThrows(Lines &lines) const = 0;
    virtual void addParams(Lines &lines) const = 0;
    // Whether a blank line goes before the parameter/return/exception block.
    virtual bool blankBeforeFunctionBlock() const = 0;
    // The text split into lines, the lead before the first, without its trailing blank lines;
    // nothing for an empty text.
    static void addText(Lines &lines, std::string_view text, std::string_view lead = {});

    std::string_view m_date, m_author, m_copyright, m_summary, m_comment, m_note, m_returns;
    std::span<const ExceptionEntry> m_throws;
    std::span<const ParamEntry> m_params;

private:
    // What the setters were given, which the fields view.
    struct {
        std::string date, author, copyright, summary, comment, note, returns;
        std::vector<ExceptionEntry> throws;
        std::vector<ParamEntry> params;
    } m_own;

    using Adder = void (DocumentStyle::*)(Lines &) const;
    Lines section(Adder add) const {
        Lines lines;
        (this->*add)(lines);
        return lines;
    }
    // The summary, then the comment and the note, each after a blank line: the start of every
    // document. Throws when there is no summary.
    Lines introduction() const;
    // A blank line and the section, or nothing when the section is absent.
    void addParagraph(Lines &document, Adder add) const;
};
