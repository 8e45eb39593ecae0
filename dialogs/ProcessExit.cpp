#include "dialogs/ProcessExit.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {
ExitProcessHandler& Handler() {
    static ExitProcessHandler handler;
    return handler;
}
} // namespace

void ExitProcess(int status) {
    if (Handler()) {
        Handler()(status);
        return;
    }
    std::fflush(nullptr);
    std::_Exit(status);
}

ExitProcessHandler SetExitProcessHandler(ExitProcessHandler handler) {
    return std::exchange(Handler(), std::move(handler));
}
