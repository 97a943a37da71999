#pragma once

#include "core/Orvex/Debug/Abort.h"
#include "core/Orvex/Debug/Error.h"
#include "core/Orvex/Debug/FLInfo.h"
#include "core/Orvex/Debug/Print.h"
#include "core/Orvex/Debug/Trace.h"
#include "core/Orvex/Debug/Warn.h"

#include <memory>

namespace Orvex {

// The five reporters and the place the next report names. A call site records its place first:
//
//     ORVEX_SET_FLINFO();
//     Orvex::getDefaultDebugger().warn("設定が古い", true);
class Debugger {
public:
    Debugger(std::unique_ptr<IWarn> warn, std::unique_ptr<IError> error, std::unique_ptr<IAbort> abort,
             std::unique_ptr<ITrace> trace, std::unique_ptr<IPrint> print);
    virtual ~Debugger() = default;

    void setFLInfo(std::string file, std::int32_t line) { m_flInfo = {std::move(file), line}; }
    const FLInfo &flInfo() const { return m_flInfo; }

    void warn(const std::string &message, bool ask) { m_warn->warn(m_flInfo, message, ask); }
    void error(const std::string &message) { m_error->error(m_flInfo, message); }
    void abort() { m_abort->abort(m_flInfo); }
    void abortQuietly() { m_abort->abortQuietly(); }
    void trace(const std::string &message) { m_trace->trace(message); }
    void print(const std::string &message) { m_print->print(message); }

private:
    std::unique_ptr<IWarn> m_warn;
    std::unique_ptr<IError> m_error;
    std::unique_ptr<IAbort> m_abort;
    std::unique_ptr<ITrace> m_trace;
    std::unique_ptr<IPrint> m_print;
    FLInfo m_flInfo;
};

// The console reporters, writing to out and asking through in.
class DefaultDebugger : public Debugger {
public:
    explicit DefaultDebugger(Output out = Console::output(), Input in = Console::input());
};

// The program's one console debugger, made on first use.
Debugger &getDefaultDebugger();

// The statement that records the calling place, as text and as code.
inline constexpr const char *setFLInfoStatement = "getDefaultDebugger().setFLInfo(__FILE__,__LINE__)";
#define ORVEX_SET_FLINFO() ::Orvex::getDefaultDebugger().setFLInfo(__FILE__, __LINE__)

} // namespace Orvex
