#pragma once

#include "core/doc/doxygenbsdoc.h"

// Javadoc, which javadoc -Xdoclint accepts: "@param name", "@return", "@throws Type"; a value
// list as an HTML list under "@return", the note as a paragraph of the description, and the
// file comment's date as "@since", for javadoc knows no "@retval", "@note" or "@date".
class JavadocDocumentStyle : public DoxygenDocumentStyle {
public:
    JavadocDocumentStyle() : DoxygenDocumentStyle('@', Directions::None) {}

protected:
    void addDate(Lines &lines) const override;
    void addNote(Lines &lines) const override;
    void addThrows(Lines &lines) const override;
    void addValueList(Lines &lines, const std::vector<ValuePair> &pairs) const override;
};
