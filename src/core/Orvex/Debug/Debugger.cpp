#include "core/Orvex/Debug/Debugger.h"

namespace Orvex {

Debugger::Debugger(std::unique_ptr<IWarn> warn, std::unique_ptr<IError> error, std::unique_ptr<IAbort> abort,
                   std::unique_ptr<ITrace> trace, std::unique_ptr<IPrint> print)
    : m_warn(std::move(warn)), m_error(std::move(error)), m_abort(std::move(abort)),
      m_trace(std::move(trace)), m_print(std::move(print)) {}

DefaultDebugger::DefaultDebugger(Output out, Input in)
    : Debugger(std::make_unique<CWarn>(out, std::move(in)), std::make_unique<CError>(out),
               std::make_unique<CAbort>(out), std::make_unique<CTrace>(out), std::make_unique<CPrint>(out)) {}

Debugger &getDefaultDebugger() {
    static DefaultDebugger debugger;
    return debugger;
}

} // namespace Orvex
