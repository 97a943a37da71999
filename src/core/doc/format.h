#pragma once

#include "misc/lines.h"

#include <initializer_list>
#include <string>
#include <vector>

struct ParamEntry {
    std::string direction; // "in", "out", "inout" or whatever was typed
    std::string name;
    std::string description;
};

struct ExceptionEntry {
    std::string type;
    std::string description;
};

// One documentation request, rendered into body lines in one document syntax. Filled once
// through the setters, rendered once. Empty fields drop their sections.
class DocumentStyle {
public:
    virtual ~DocumentStyle() = default;

    void setDate(std::string date) { m_date = std::move(date); }
    void setAuthor(std::string author) { m_author = std::move(author); }
    void setCopyright(std::string copyright) { m_copyright = std::move(copyright); }
    void setSummary(std::string summary) { m_summary = std::move(summary); }
    void setComment(std::string comment) { m_comment = std::move(comment); }
    void setNote(std::string note) { m_note = std::move(note); }
    void setReturns(std::string returns) { m_returns = std::move(returns); }
    void setThrows(std::vector<ExceptionEntry> throws) { m_throws = std::move(throws); }
    void setParams(std::vector<ParamEntry> params) { m_params = std::move(params); }

    virtual Lines dateSection() const = 0;
    virtual Lines authorSection() const = 0;
    virtual Lines copyrightSection() const = 0;
    Lines summarySection() const;
    Lines commentSection() const;
    virtual Lines noteSection() const = 0;
    virtual Lines returnsSection() const = 0;
    virtual Lines throwsSection() const = 0;
    virtual Lines paramsSection() const = 0;

    // Each throws Orvex::Exception("概要は必ず記述する必要があります。") when the summary is empty.
    Lines functionDocument() const;
    Lines classDocument() const;
    Lines fileDocument() const;

protected:
    // The summary, then the comment and the note, each after a blank line, then the block's
    // sections, after a blank line when blank is set. Throws when there is no summary.
    Lines compose(bool blank, std::initializer_list<const Lines *> block) const;
    // Whether a blank line goes before the parameter/return/exception block.
    virtual bool blankBeforeFunctionBlock(const Lines &params, const Lines &returns,
                                          const Lines &throws) const = 0;

    std::string m_date, m_author, m_copyright, m_summary, m_comment, m_note, m_returns;
    std::vector<ExceptionEntry> m_throws;
    std::vector<ParamEntry> m_params;
};
