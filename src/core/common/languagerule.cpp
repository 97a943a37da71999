#include "core/common/languagerule.h"

void fitToLanguage(SettingValues &values, Language language) {
    using CS = SettingData::CommentStyle;
    using DS = SettingData::DocumentStyle;
    switch (language) {
    case Language::C:
    case Language::Cpp:
        // Any value other than 0 and 1 reads as the third member: /++ and DDoc.
        if (values.m_commentStyle != CS::C && values.m_commentStyle != CS::Java)
            values.m_commentStyle = CS::C;
        if (values.m_documentStyle != DS::DoxygenBS && values.m_documentStyle != DS::DoxygenAT)
            values.m_documentStyle = DS::DoxygenAT;
        break;
    case Language::Java:
        values.m_commentStyle = CS::C;
        values.m_documentStyle = DS::DoxygenAT;
        break;
    case Language::D:
        break;
    }
}
