#pragma once

#include "core/Orvex/Debug/FLInfo.h"
#include "core/Orvex/System/Console.h"

namespace Orvex {

class IAbort {
public:
    virtual ~IAbort() = default;
    virtual void abort(const FLInfo &place) = 0;
    virtual void abortQuietly() = 0;
};

// Ends the process with exit code 1.
class CAbort : public IAbort {
public:
    explicit CAbort(Output out) : m_out(std::move(out)) {}
    // Writes "a.cpp(12)においてABORTしました。" first.
    [[noreturn]] void abort(const FLInfo &place) override;
    [[noreturn]] void abortQuietly() override;

private:
    Output m_out;
};

// What an abort at the place writes; also written when a warning is answered "n".
std::string abortText(const FLInfo &place);

} // namespace Orvex
