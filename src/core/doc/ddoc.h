#pragma once

#include "core/doc/format.h"

// DDoc sections: "Params:", "Returns:", "Throws:", "Date:", ...
class DDocumentStyle : public DocumentStyle {
protected:
    void addDate(Lines &lines) const override;
    void addAuthor(Lines &lines) const override;
    void addCopyright(Lines &lines) const override;
    void addNote(Lines &lines) const override;
    void addReturns(Lines &lines) const override;
    void addThrows(Lines &lines) const override;
    void addParams(Lines &lines) const override;
    bool blankBeforeFunctionBlock() const override;
};
