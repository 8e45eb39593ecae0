#include "console/line/StatementRunner.h"

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

#include "db/AgentStatements.h"
#include "db/FloorOptions.h"
#include "db/SqlBuilder.h"
#include "db/SqlText.h"
#include "platform/CaughtBoxes.h"
#include "rdbclient/RDBClient.h"
#include "util/DateTime.h"
#include "util/Trace.h"

namespace {

// Replaces the connection by a new one; false (the old one kept) when none opens.
bool Reconnect(CTELVOAgentEnv& env) {
    const int fresh = ::RDBServerOpen(env.serverAddress.c_str(), env.port.c_str());
    DebugTrace("Reconnect IP(%s) PORT(%s) %s", env.serverAddress.c_str(), env.port.c_str(),
               fresh != 0 ? "opened" : "failed, the old connection kept");
    if (fresh == 0)
        return false;
    if (const int old = env.connection.exchange(fresh); old != 0)
        RDBServerClose(old);
    return true;
}

bool WriteResult(CTELVOAgentEnv& env, const CallResult& result) {
    // The XAN_ID came from the database as a number; anything else never reaches it.
    if (!IsPlainDigits(result.xanId))
        return false;
    char grade[16];
    std::snprintf(grade, sizeof grade, "%02d", result.grade + 1);
    SqlBuilder builder(SqlBuilder::Update);
    builder.table = "TRANSFER_HIST";
    builder.AddString("CONSULT_RESULT", grade);
    // Escaped, so that quotes and backslashes in the memo stay text of the one row's
    // update.
    builder.AddString("COMMENT", env.SqlText(result.memo));
    builder.where = "XAN_ID = " + result.xanId + " ";
    const std::string sql = builder.BuildSQL();
    DebugTrace("RegistConfResult(%s)", sql.c_str());
    return env.ExecuteSQL(sql) == 1;
}

void TodayStats(CTELVOAgentEnv& env, LineOutcome& outcome) {
    LocalDateTime now = LocalDateTime::Now();
    std::vector<std::string> values;
    int read = -1;
    // The service ID stands unquoted in the statement: only a number may.
    if (IsPlainDigits(env.svcId)) {
        char sql[4096];
        std::snprintf(sql, sizeof sql,
                      "select count(*) CNT, sum(CONF_TIME) CONF_TIME from TRANSFER_HIST where "
                      "SVC_ID = %s and CONF_DT = '%s' and AGENT_NM = '%s' ",
                      env.svcId.c_str(), now.GetDateString(), env.SqlText(env.agentName).c_str());
        read = env.GetFirstRecord(values, sql, false);
    }
    outcome.ok = read >= 0;
    outcome.count = outcome.time = "ERROR";
    if (read == 0) {
        outcome.count = "0";
        outcome.time = "00:00:00";
    } else if (read == 1) {
        outcome.count = values.size() > 0 ? values[0] : "";
        outcome.time = FormatDuration(values.size() > 1 ? agentsql::TextToInt(values[1]) : 0);
    }
}

bool RunOnce(CTELVOAgentEnv& env, const LineRequest& request, LineOutcome& outcome) {
    switch (request.what) {
    case LineStatement::Ready:
        return env.UpdateReadyStatus(request.mode) == 1;
    case LineStatement::Poll:
        return env.GetTransferInfo(outcome.transfer) == 1;
    case LineStatement::Stamp:
        return env.UpdateHistAgentName(request.xanId) == 1;
    case LineStatement::CustInfo:
        return env.GetCustInfo(outcome.cust, request.xanId) == 1;
    case LineStatement::Result:
        return WriteResult(env, request.result);
    case LineStatement::TodayStats:
        TodayStats(env, outcome);
        return outcome.ok;
    case LineStatement::Options:
        return agentsql::ReadFloorOptions(
                   [&env](const std::string& sql, std::vector<std::string>& values) {
                       return env.GetFirstRecord(values, sql, false);
                   },
                   outcome.options) == 1;
    case LineStatement::History: {
        // The logic sends only rows that make a statement.
        const std::optional<std::string> sql = agentsql::StateHistoryInsertSql(request.history);
        if (!sql)
            return false;
        DebugTrace("StateHistory(%s)", sql->c_str());
        return env.ExecuteSQL(*sql) == 1;
    }
    }
    return false;
}

} // namespace

LineOutcome RunStatement(CTELVOAgentEnv& env, const LineRequest& request) {
    LineOutcome outcome;
    std::vector<platform::MessageBoxRequest> firstBoxes;
    const auto start = std::chrono::steady_clock::now();
    for (int attempt = 0; attempt < std::max(1, request.tries); ++attempt) {
        if (attempt > 0) {
            if (request.deadlineMs > 0 && std::chrono::steady_clock::now() - start >=
                                              std::chrono::milliseconds(request.deadlineMs))
                break;
            if (request.freshConnection) {
                if (request.deadlineMs > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(300));
                // Beside a signal's end a retry goes on the old connection too.
                if (!Reconnect(env) && request.deadlineMs == 0)
                    break;
            }
        }
        // The agent hears of the first failure only; the later tries are traced.
        std::vector<platform::MessageBoxRequest> boxes;
        outcome = LineOutcome{};
        {
            const platform::CaughtBoxes caught(boxes);
            outcome.ok = RunOnce(env, request, outcome);
        }
        if (attempt == 0)
            firstBoxes = std::move(boxes);
        else
            for (const auto& box : boxes)
                DebugTrace("box not shown [%s] %s", box.caption.c_str(), box.text.c_str());
        if (outcome.ok)
            break;
    }
    outcome.boxes = std::move(firstBoxes);
    return outcome;
}
