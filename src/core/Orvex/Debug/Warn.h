#pragma once

#include "core/Orvex/Debug/FLInfo.h"
#include "core/Orvex/System/Console.h"

namespace Orvex {

class IWarn {
public:
    virtual ~IWarn() = default;
    virtual void warn(const FLInfo &place, const std::string &message, bool ask) = 0;
};

class CWarn : public IWarn {
public:
    CWarn(Output out, Input in) : m_out(std::move(out)), m_in(std::move(in)) {}
    // Writes the warning; with ask, asks "続行しますか？[y/n] : " until the answer is exactly
    // "y" (returns) or "n" (aborts with exit code 1). The end of input counts as "n", since no
    // answer can come any more.
    void warn(const FLInfo &place, const std::string &message, bool ask) override;

private:
    Output m_out;
    Input m_in;
};

} // namespace Orvex
