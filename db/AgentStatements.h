// The texts of the agent's fixed statements, and the reading of their records, apart
// from the connection so that both dialects can be checked without a server.
// A statement whose numeric key (SVC_ID, XAN_ID) is not plain digits is refused:
// nullopt, and it never reaches the server. Quoted texts are escaped for the server
// actually connected; the database type only picks a statement's form.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "db/AgentRecords.h"

namespace agentsql {

// The statement that reads the database type from CODE_INFO.
inline constexpr const char* kCheckDBTypeSql =
    "select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE' ";

// Marks the desk ready (mode 3) or not ready (any other mode); mode 1 also clears
// the state time.
std::optional<std::string> ReadyStatusSql(int agentMode, int dbType, const std::string& svcId,
                                          const std::string& telNum);

// Polls the desk's row for a transferred call (one form for both database types).
std::optional<std::string> TransferInfoSql(const std::string& svcId, const std::string& telNum);

// Reads the customer information of one call request.
std::optional<std::string> CustInfoSql(const std::string& xanId);

// Stamps the agent's name on the call's history row (one form for both types).
std::optional<std::string> HistAgentNameSql(const std::string& agentName, const std::string& xanId);

// The records from the values of one database record: missing values read as empty,
// texts cut to their fields at a character boundary.
TransferInfo MakeTransferInfo(const std::vector<std::string>& values);
CustInfo MakeCustInfo(const std::vector<std::string>& values);

// The standard decimal conversion of a status text: leading blanks, a sign, digits;
// anything else ends the number, no digits give 0, out of range is clamped.
int TextToInt(const std::string& text);

} // namespace agentsql
