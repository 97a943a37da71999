#pragma once

#include "core/Orvex/Debug/FLInfo.h"
#include "core/Orvex/System/Console.h"

namespace Orvex {

class IError {
public:
    virtual ~IError() = default;
    virtual void error(const FLInfo &place, const std::string &message) = 0;
};

// Writes the error and ends the process with exit code 1.
class CError : public IError {
public:
    explicit CError(Output out) : m_out(std::move(out)) {}
    [[noreturn]] void error(const FLInfo &place, const std::string &message) override;

private:
    Output m_out;
};

} // namespace Orvex
