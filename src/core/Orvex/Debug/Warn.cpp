#include "core/Orvex/Debug/Warn.h"

#include "core/Orvex/Debug/Abort.h"

#include <cstdlib>

namespace Orvex {

void CWarn::warn(const FLInfo &place, const std::string &message, bool ask) {
    m_out("警告 @ " + placeText(place) + ":\n\t" + message + "\n");
    if (!ask)
        return;
    for (;;) {
        m_out("続行しますか？[y/n] : ");
        const std::optional<std::string> answer = m_in();
        if (answer == "y")
            return;
        if (!answer || answer == "n") {
            m_out(abortText(place));
            std::exit(1);
        }
    }
}

} // namespace Orvex
