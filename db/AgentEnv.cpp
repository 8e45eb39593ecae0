// The one agent environment of the process and its fixed parts.
#include "db/AgentEnv.h"

#include "db/SqlText.h"

CTELVOAgentEnv::CTELVOAgentEnv()
    : iniFile("Env\\ZELAgent.INI", "GENERAL"), dbName("NEW_XAN"), port("8907") {}

std::string CTELVOAgentEnv::SqlText(const std::string& text) const {
    return EscapeSqlText(text);
}

CTELVOAgentEnv& theAgentEnv() {
    static CTELVOAgentEnv env;
    return env;
}
