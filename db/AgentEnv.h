// CTELVOAgentEnv: what every window shares - the settings binding, the server
// address, the database connection and type, the signed-in identity - and the
// primitives and statements through which the program talks to the call centre.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "db/AgentRecords.h"

class wxWindow;
struct RDBStatus;

// Agent mode codes written by UpdateReadyStatus and used by the console.
enum AgentMode : int {
    AGENT_MODE_LOGOUT = 1,
    AGENT_MODE_LOGIN = 2,
    AGENT_MODE_READY = 3,
    AGENT_MODE_BREAK = 4,
    AGENT_MODE_INCALL = 7,
};

class CTELVOAgentEnv {
  public:
    CTELVOAgentEnv();
    CTELVOAgentEnv(const CTELVOAgentEnv&) = delete;
    CTELVOAgentEnv& operator=(const CTELVOAgentEnv&) = delete;

    // Settings part: "Env\ZELAgent.INI", section GENERAL.
    CIniFile iniFile;
    // Database server address: at most 83 CP949 bytes.
    std::string serverAddress;
    static constexpr std::size_t kServerAddressMaxBytes = 83;
    const std::string dbName;
    const std::string port;
    std::atomic<int> connection{0};
    int dbType = 0; // 2 = MySQL, other = SQL Server; set only by CheckDBType
    std::string userId, svcId, telNum, agentName, password;

    // Connection and primitives. Queries: 1 record, 0 none, -1 error (box shown).
    bool RDBServerOpen();
    int ServerClose();
    int GetFirstRecord(std::string& value, const std::string& sql, bool showNoDataMessage);
    int GetFirstRecord(std::vector<std::string>& values, const std::string& sql,
                       bool showNoDataMessage);
    int ExecuteSQL(const std::string& sql); // 1 done, 0 failed (box shown)
    void ShowDBError(const RDBStatus& status);
    int CheckDBType(); // 1 read, 0 no row, -1 error (box shown)

    // Settings.
    bool LoadServerAddress();
    bool SaveServerAddress();

    // The agent's statements; 1 done, 0 failed or nothing read.
    int UpdateReadyStatus(int agentMode);
    int GetTransferInfo(TransferInfo& out);
    int GetCustInfo(CustInfo& out, const std::string& xanId);
    int UpdateHistAgentName(const std::string& xanId);

    // The information box (see util/MessageBoxes.h).
    void InfoMessageBox(wxWindow* owner, const char* format, ...)
        __attribute__((format(printf, 3, 4)));

    // A text escaped for the connected server, to stand between single quotes.
    std::string SqlText(const std::string& text) const;
};

// The one agent environment of the process.
CTELVOAgentEnv& theAgentEnv();
