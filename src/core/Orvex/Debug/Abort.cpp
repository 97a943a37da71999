#include "core/Orvex/Debug/Abort.h"

#include <cstdlib>

namespace Orvex {

std::string abortText(const FLInfo &place) {
    return placeText(place) + "においてABORTしました。";
}

void CAbort::abort(const FLInfo &place) {
    m_out(abortText(place));
    std::exit(1);
}

void CAbort::abortQuietly() {
    std::exit(1);
}

} // namespace Orvex
