#include "core/doc/styler.h"

#include "core/common/settingdata.h"
#include "core/doc/ddoc.h"
#include "core/doc/doxygenatdoc.h"
#include "core/doc/doxygenbsdoc.h"

std::unique_ptr<DocumentStyle> documentStyler() {
    switch (g_settingData.documentStyle()) {
    case SettingData::DocumentStyle::DoxygenBS:
        return std::make_unique<DoxygenBSDocumentStyle>();
    case SettingData::DocumentStyle::DoxygenAT:
        return std::make_unique<DoxygenATDocumentStyle>();
    default:
        return std::make_unique<DDocumentStyle>();
    }
}
