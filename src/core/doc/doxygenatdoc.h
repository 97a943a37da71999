#pragma once

#include "core/doc/doxygenbsdoc.h"

// "@param[in]", "@return", "@throw", ...; the copyright label stays "Copyright".
class DoxygenATDocumentStyle : public DoxygenDocumentStyle {
public:
    DoxygenATDocumentStyle() : DoxygenDocumentStyle('@') {}
};
