#pragma once

#include <stdexcept>
#include <string>

namespace Orvex {

// The program's one error class: every failure is an Exception carrying its message text
// ("Setting.Load:SIGNATUREが変", "概要は必ず記述する必要があります。").
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace Orvex
