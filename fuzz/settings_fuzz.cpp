#include "core/Orvex/Exception.h"
#include "core/Orvex/Util/Setting.h"
#include "core/common/settingrecord.h"

#include <cstdint>
#include <cstdlib>

// Any bytes load without crashing, hanging or taking memory out of proportion to their size;
// whatever a load leaves saves and loads back unchanged, and the record reads it without failing.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    CSettingData record;
    Orvex::MemoryLoader source({reinterpret_cast<const char *>(data), size});
    try {
        record.m_setting.Load(source);
    } catch (const Orvex::Exception &) {
    }

    std::string saved;
    Orvex::StringSaver sink(saved);
    record.m_setting.Save(sink);
    Orvex::TSerializingSetting copy;
    Orvex::MemoryLoader again(saved);
    copy.Load(again);
    if (copy.toString() != record.m_setting.toString())
        std::abort();

    record.m_path = "/nonexistent/setting.dat"; // no file: Load converts the tree as it stands
    record.Load();
    (void)record.windowX();
    (void)record.windowY();
    return 0;
}
