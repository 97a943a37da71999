#pragma once

#include "doc/format.h"

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

    Lines dateSection() const override;
    Lines authorSection() const override;
    Lines copyrightSection() const override;
    Lines noteSection() const override;
    Lines returnsSection() const override;
    Lines throwsSection() const override;
    Lines paramsSection() const override;

protected:
    bool blankBeforeFunctionBlock(const Lines &params, const Lines &returns,
                                  const Lines &throws) const override;

private:
    std::string command(std::string_view name) const;
    Lines commandColumns(std::string_view name, const std::vector<ValuePair> &rows) const;

    char m_prefix;
};

// "\param[in]", "\return", "\throw", ...
class DoxygenBSDocumentStyle : public DoxygenDocumentStyle {
public:
    DoxygenBSDocumentStyle() : DoxygenDocumentStyle('\\') {}
};
