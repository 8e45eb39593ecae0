// Call result registration, the call clock and the day's statistics.
#include "console/AgentConsole.h"

#include <cstdio>
#include <vector>

#include "db/AgentStatements.h"
#include "db/SqlBuilder.h"
#include "db/SqlText.h"
#include "res/ResourceIds.h"
#include "util/DateTime.h"
#include "util/Trace.h"

void AgentConsole::RegistConfResult() {
    m_view.FinishTyping();
    UpdateData(true);
    if (m_strXanId.empty()) {
        InfoBox("통화를 하지 않은 상태에서는 상담 결과를 등록할 수 없습니다.\r\n");
        return;
    }
    // Taken before any box: while one is open the next call may be taken and shown,
    // and the result belongs to the call it was typed for.
    const CallResult result{m_strXanId, m_nConsultResult, m_strMemo};
    if (result.grade == -1 &&
        m_env.FormatMessageBox(m_view.BoxOwner(), "확인", platform::MB_YESNO,
                               "호응도를 선택하지 않았습니다. 계속 하시겠습니까?") !=
            platform::IDYES)
        return;

    if (!WriteCallResult(result, false)) {
        InfoBox("등록에 실패 하였습니다.");
        return;
    }
    // The fields are cleared only while they still show this call.
    if (m_strXanId == result.xanId) {
        m_strXanId.clear();
        m_nConsultResult = -1;
        m_strMemo.clear();
        UpdateData(false);
    }
    RetryUnsavedResults();
    if (AgentMode() == AGENT_MODE_AFTERCALL && m_strXanId.empty())
        EndAfterCallWork();
    InfoBox("등록 되었습니다.");
}

bool AgentConsole::WriteCallResult(const CallResult& result, bool quiet) {
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
    builder.AddString("COMMENT", m_env.SqlText(result.memo));
    builder.where = "XAN_ID = " + result.xanId + " ";
    const std::string sql = builder.BuildSQL();
    DebugTrace("RegistConfResult(%s)", sql.c_str());
    if (!quiet)
        return m_env.ExecuteSQL(sql) == 1;
    const QuietBoxes quietBoxes;
    for (int attempt = 0; attempt < 2; ++attempt)
        if (m_env.ExecuteSQL(sql) == 1)
            return true;
    DebugTrace("RegistConfResult failed twice, kept for a later try");
    return false;
}

void AgentConsole::SavePendingResult(const std::string& nextXanId) {
    if (!m_strXanId.empty() && m_strXanId != nextXanId) {
        m_view.FinishTyping();
        UpdateData(true);
        if (m_nConsultResult != -1 || !m_strMemo.empty()) {
            const CallResult result{m_strXanId, m_nConsultResult, m_strMemo};
            if (WriteCallResult(result, true)) {
                m_view.ShowNote("이전 통화의 결과를 저장했습니다.");
            } else {
                if (m_unsaved.size() >= kMaxUnsavedResults)
                    m_unsaved.pop_front();
                m_unsaved.push_back(result);
                m_view.ShowNote("이전 통화의 결과를 저장하지 못했습니다. 다시 시도합니다.");
            }
        }
    }
    RetryUnsavedResults();
}

void AgentConsole::RetryUnsavedResults() {
    while (!m_unsaved.empty()) {
        if (!WriteCallResult(m_unsaved.front(), true))
            return;
        m_unsaved.pop_front();
        m_view.ShowNote("이전 통화의 결과를 저장했습니다.");
    }
}

std::string AgentConsole::CallTimeText() const {
    std::lock_guard lock(m_mutex);
    if (m_nAgentMode != AGENT_MODE_INCALL)
        return "00:00:00";
    return FormatDuration(static_cast<std::int32_t>(m_clock() - m_tCallStart));
}

void AgentConsole::UpdateCallTime() {
    m_view.SetFieldText(IDC_STATIC_CALLTIME, CallTimeText());
    if (AgentMode() == AGENT_MODE_AFTERCALL)
        ShowAfterCallTitle();
}

int AgentConsole::UpdateTodayStats() {
    LocalDateTime now = LocalDateTime::Now();
    std::vector<std::string> values;
    int read = -1;
    // The service ID stands unquoted in the statement: only a number may.
    if (IsPlainDigits(m_env.svcId)) {
        char sql[4096];
        std::snprintf(sql, sizeof sql,
                      "select count(*) CNT, sum(CONF_TIME) CONF_TIME from TRANSFER_HIST where "
                      "SVC_ID = %s and CONF_DT = '%s' and AGENT_NM = '%s' ",
                      m_env.svcId.c_str(), now.GetDateString(),
                      m_env.SqlText(m_env.agentName).c_str());
        read = m_env.GetFirstRecord(values, sql, false);
    }

    std::string count = "ERROR", time = "ERROR";
    if (read == 0) {
        count = "0";
        time = "00:00:00";
    } else if (read == 1) {
        count = values.size() > 0 ? values[0] : "";
        time = FormatDuration(values.size() > 1 ? agentsql::TextToInt(values[1]) : 0);
    }
    OnUi([this, count, time] {
        m_view.SetFieldText(IDC_STATIC_TODAY_COUNT, count);
        m_view.SetFieldText(IDC_STATIC_TODAY_TIME, time);
    });
    return read < 0 ? 0 : 1;
}
