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

// How a parameter's direction is written after "\param".
enum class Directions {
    AsTyped, // "[inout]", "[]": whatever the entry holds, as the desktop program writes it
    Checked, // "[in]", "[out]", "[in,out]" (clang's -Wdocumentation knows no other); none for the rest
    None,    // "@param x": javadoc takes no direction
};

// Doxygen commands; the backslash and at-sign styles differ only in the command prefix.
class DoxygenDocumentStyle : public DocumentStyle {
public:
    explicit DoxygenDocumentStyle(char prefix, Directions directions = Directions::AsTyped)
        : m_prefix(prefix), m_directions(directions) {}

protected:
    void addDate(Lines &lines) const override;
    void addAuthor(Lines &lines) const override;
    void addCopyright(Lines &lines) const override;
    void addNote(Lines &lines) const override;
    void addReturns(Lines &lines) const override;
    void addThrows(Lines &lines) const override;
    void addParams(Lines &lines) const override;
    bool blankBeforeFunctionBlock() const override;

    std::string command(std::string_view name) const;
    // "\date\t" and the value with Tab, padLabel("\date") and the value otherwise.
    void addLabelled(Lines &lines, const std::string &label, std::string_view value) const;
    // One line per row: the command, the row's value, then its description at a common column.
    void addCommandColumns(Lines &lines, std::string_view name, const std::vector<ValuePair> &rows) const;
    // A return text of several lines, each "value, description": "\retval" lines.
    virtual void addValueList(Lines &lines, const std::vector<ValuePair> &pairs) const;
    // The rows of the exception list, type and description.
    std::vector<ValuePair> exceptionRows() const;

private:
    // "\param[in]", "\param[in,out]" or "@param", by m_directions.
    std::string paramHead(const ParamEntry &entry) const;

    char m_prefix;
    Directions m_directions;
};

// "\param[in]", "\return", "\throw", ...
class DoxygenBSDocumentStyle : public DoxygenDocumentStyle {
public:
    DoxygenBSDocumentStyle() : DoxygenDocumentStyle('\\') {}
};
