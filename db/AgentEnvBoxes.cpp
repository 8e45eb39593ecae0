// The environment's information box: the program's standard one, forwarded.
#include <cstdarg>

#include "db/AgentEnv.h"
#include "util/MessageBoxes.h"

void CTELVOAgentEnv::InfoMessageBox(wxWindow* owner, const char* format, ...) {
    va_list args;
    va_start(args, format);
    VInfoMessageBox(owner, format, args);
    va_end(args);
}
