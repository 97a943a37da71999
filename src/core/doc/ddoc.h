#pragma once

#include "doc/format.h"

// DDoc sections: "Params:", "Returns:", "Throws:", "Date:", ...
class DDocumentStyle : public DocumentStyle {
public:
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
};
