#pragma once

#include "core/doc/format.h"

#include <optional>
#include <string_view>

// A line of a return-value list, split at the last comma that has something after it:
// "a, b,  c" gives value "a, b" and description "c"; "a ,   " gives "a " and " ". Both are
// parts of the line, valid as long as it is.
struct ValuePair {
    std::string_view value;
    std::string_view description;
};
// Nothing when the line has no comma with at least one byte before and one after it.
std::optional<ValuePair> splitValuePair(std::string_view line);

// Doxygen commands; the backslash and at-sign styles differ only in the command prefix.
class DoxygenDocumentStyle : public DocumentStyle {
public:
    explicit DoxygenDocumentStyle(char prefix) : m_prefix(prefix) {}

protected:
    void addDate(Lines &lines) const override;
    void addAuthor(Lines &lines) const override;
    void addCopyright(Lines &lines) const override;
    void addNote(Lines &lines) const override;
    void addReturns(Lines &lines) const override;
    void addThrows(Lines &lines) const override;
    void addParams(Lines &lines) const override;
    bool blankBeforeFunctionBlock() const override;

private:
    std::string command(std::string_view name) const;
    void addCommandColumns(Lines &lines, std::string_view name, const std::vector<ValuePair> &rows) const;

    char m_prefix;
};

// "\param[in]", "\return", "\throw", ...
class DoxygenBSDocumentStyle : public DoxygenDocumentStyle {
public:
    DoxygenBSDocumentStyle() : DoxygenDocumentStyle('\\') {}
};
