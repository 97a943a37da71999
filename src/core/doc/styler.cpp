#include "doc/styler.h"

#include "common/settingdata.h"
#include "doc/ddoc.h"
#include "doc/doxygenatdoc.h"
#include "doc/doxygenbsdoc.h"

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
