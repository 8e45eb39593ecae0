// The agent's four statements: readiness, the poll, customer information and the
// agent's name on the call's history row.
#include <optional>

#include "db/AgentEnv.h"
#include "db/AgentStatements.h"
#include "util/Trace.h"

namespace {

// A key that is not plain digits never reaches the server: the operation fails with
// a trace line only (no box: the poll would raise one every second).
bool Refused(const std::optional<std::string>& sql, const char* operation, const char* keyName,
             const std::string& key) {
    if (sql)
        return false;
    DebugTrace("CTELVOAgentEnv::%s refused %s(%s)", operation, keyName, key.c_str());
    return true;
}

} // namespace

int CTELVOAgentEnv::UpdateReadyStatus(int agentMode) {
    const auto sql = agentsql::ReadyStatusSql(agentMode, dbType, svcId, telNum);
    if (Refused(sql, "UpdateReadyStatus", "SVC_ID", svcId))
        return 0;
    // The two writes are traced here, so the trace holds every statement the program sends.
    DebugTrace("CTELVOAgentEnv::UpdateReadyStatus(%s)", sql->c_str());
    return ExecuteSQL(*sql);
}

int CTELVOAgentEnv::GetTransferInfo(TransferInfo& out) {
    out = TransferInfo{};
    const auto sql = agentsql::TransferInfoSql(svcId, telNum);
    if (Refused(sql, "GetTransferInfo", "SVC_ID", svcId))
        return 0;
    std::vector<std::string> values;
    if (GetFirstRecord(values, *sql, false) <= 0)
        return 0;
    out = agentsql::MakeTransferInfo(values);
    return 1;
}

int CTELVOAgentEnv::GetCustInfo(CustInfo& out, const std::string& xanId) {
    out = CustInfo{};
    const auto sql = agentsql::CustInfoSql(xanId);
    if (Refused(sql, "GetCustInfo", "XAN_ID", xanId))
        return 0;
    std::vector<std::string> values;
    if (GetFirstRecord(values, *sql, false) <= 0)
        return 0;
    out = agentsql::MakeCustInfo(values);
    return 1;
}

int CTELVOAgentEnv::UpdateHistAgentName(const std::string& xanId) {
    const auto sql = agentsql::HistAgentNameSql(agentName, xanId);
    if (Refused(sql, "UpdateHistAgentName", "XAN_ID", xanId))
        return 0;
    DebugTrace("CTELVOAgentEnv::UpdateHistAgentName(%s)", sql->c_str());
    return ExecuteSQL(*sql);
}
