// The server address in the settings files.
#include "db/AgentEnv.h"
#include "util/Cp949.h"

namespace {
constexpr const char* kServerAddressKey = "ZEL_CTI_SERVER_IP_ADDR";
} // namespace

bool CTELVOAgentEnv::LoadServerAddress() {
    std::string address;
    iniFile.ReadString(address, kServerAddressKey);
    serverAddress = cp949::TruncateToBytes(address, kServerAddressMaxBytes);
    // Success also without a value: start-up must go on so the address can be set.
    return true;
}

bool CTELVOAgentEnv::SaveServerAddress() {
    // The field holds no more than this; both files get what the program will use.
    serverAddress = cp949::TruncateToBytes(serverAddress, kServerAddressMaxBytes);
    // False when either file could not be written, so no caller says it was stored.
    const bool stored = iniFile.WriteString(serverAddress, kServerAddressKey);
    const CIniFile versionCheck("./Env/tnvx.INI", "VERSION_CHECK_CONNECT");
    return versionCheck.WriteString(serverAddress, "VC_SERVER_IP_ADDR") && stored;
}
