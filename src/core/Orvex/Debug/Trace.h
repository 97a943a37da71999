#pragma once

#include "core/Orvex/System/Console.h"

namespace Orvex {

class ITrace {
public:
    virtual ~ITrace() = default;
    virtual void trace(const std::string &message) = 0;
};

// Writes the message as it is.
class CTrace : public ITrace {
public:
    explicit CTrace(Output out) : m_out(std::move(out)) {}
    void trace(const std::string &message) override { m_out(message); }

private:
    Output m_out;
};

} // namespace Orvex
