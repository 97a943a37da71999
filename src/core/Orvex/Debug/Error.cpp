#include "core/Orvex/Debug/Error.h"

#include <cstdlib>

namespace Orvex {

void CError::error(const FLInfo &place, const std::string &message) {
    m_out("エラー @ " + placeText(place) + ":\n\t" + message + "\n");
    std::exit(1);
}

} // namespace Orvex
