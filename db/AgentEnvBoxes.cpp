// The environment's message boxes: the program's standard boxes, forwarded.
#include <cstdarg>

#include "db/AgentEnv.h"
#include "util/MessageBoxes.h"

void CTELVOAgentEnv::InfoMessageBox(wxWindow* owner, const char* format, ...) {
    va_list args;
    va_start(args, format);
    VInfoMessageBox(owner, format, args);
    va_end(args);
}

int CTELVOAgentEnv::FormatMessageBox(wxWindow* owner, const char* caption, unsigned style,
                                     const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int result = VFormatMessageBox(owner, caption, style, format, args);
    va_end(args);
    return result;
}
