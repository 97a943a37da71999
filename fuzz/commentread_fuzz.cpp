#include "core/Orvex/Exception.h"
#include "core/common/settingrecord.h"
#include "core/read/comment.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

// Any bytes read without crashing or hanging, and fail only as findDocComment says: exactly when
// no documentation comment starts the text. What is read renders (given a summary), and that
// reads again. The first byte picks the settings for it: /** or /// framing (text may hold "/+",
// which would leave a /++ comment open), syntax, spacing, boxing.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const std::optional<CommentExtent> extent = findDocComment(text);
    if (extent &&
        (extent->begin >= extent->end || extent->end > size || extent->firstLine > extent->lastLine))
        std::abort();
    DocumentRequest request;
    try {
        request = readComment(text);
    } catch (const Orvex::Exception &) {
        if (extent)
            std::abort();
        return 0;
    }
    if (!extent)
        std::abort();
    if (request.summary.empty())
        return 0;

    const unsigned pick = size ? data[0] : 0;
    CSettingData &s = g_settingRecord;
    s.m_commentStyle = pick & 1 ? SettingData::CommentStyle::Java : SettingData::CommentStyle::C;
    s.m_documentStyle = SettingData::DocumentStyle((pick >> 1) % 3);
    s.m_spacingStyle = SettingData::SpacingStyle((pick >> 3) % 3);
    s.m_spacingSize = (pick >> 5) + 1;
    s.m_boxingHeadStyle = s.m_boxingFootStyle = pick & 0x10;
    s.m_boxingSize = 20;
    request.date = request.date.value_or("2026/01/02");
    try {
        (void)readComment(renderDocument(request));
    } catch (const Orvex::Exception &) {
        std::abort();
    }
    return 0;
}
