#pragma once

#include <cstdint>
#include <string>

namespace Orvex {

// A place in the source.
struct FLInfo {
    std::string file;
    std::int32_t line = 0;
};

// FLInfo{"a.cpp", 12} gives "a.cpp(12)".
inline std::string placeText(const FLInfo &place) {
    return place.file + "(" + std::to_string(place.line) + ")";
}

} // namespace Orvex
