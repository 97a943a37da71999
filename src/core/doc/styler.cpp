#include "core/doc/styler.h"

#include "core/common/settingdata.h"
#include "core/doc/ddoc.h"
#include "core/doc/doxygenatdoc.h"
#include "core/doc/doxygenbsdoc.h"
#include "core/doc/javadoc.h"

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

std::unique_ptr<DocumentStyle> documentStyler(Language language) {
    const auto syntax = g_settingData.documentStyle();
    const bool doxygen =
        syntax == SettingData::DocumentStyle::DoxygenBS || syntax == SettingData::DocumentStyle::DoxygenAT;
    switch (language) {
    case Language::Java:
        return std::make_unique<JavadocDocumentStyle>();
    case Language::C:
    case Language::Cpp:
        if (doxygen)
            return std::make_unique<DoxygenDocumentStyle>(
                syntax == SettingData::DocumentStyle::DoxygenBS ? '\\' : '@', Directions::Checked);
        break;
    case Language::D:
        break;
    }
    return documentStyler();
}
