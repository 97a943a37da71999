#pragma once

#include "core/Orvex/System/Console.h"

namespace Orvex {

class IPrint {
public:
    virtual ~IPrint() = default;
    virtual void print(const std::string &message) = 0;
};

// print("x") writes "Print:x\n".
class CPrint : public IPrint {
public:
    explicit CPrint(Output out) : m_out(std::move(out)) {}
    void print(const std::string &message) override { m_out("Print:" + message + "\n"); }

private:
    Output m_out;
};

} // namespace Orvex
