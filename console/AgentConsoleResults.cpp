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
    UpdateData(true);
    if (m_strXanId.empty()) {
        InfoBox("통화를 하지 않은 상태에서는 상담 결과를 등록할 수 없습니다.\r\n");
        return;
    }
    if (m_nConsultResult == -1 &&
        m_env.FormatMessageBox(m_view.BoxOwner(), "확인", platform::MB_YESNO,
                               "호응도를 선택하지 않았습니다. 계속 하시겠습니까?") !=
            platform::IDYES)
        return;

    char grade[16];
    std::snprintf(grade, sizeof grade, "%02d", m_nConsultResult + 1);
    SqlBuilder builder(SqlBuilder::Update);
    builder.table = "TRANSFER_HIST";
    builder.AddString("CONSULT_RESULT", grade);
    // Escaped, so that quotes and backslashes in the memo stay text of the one row's
    // update.
    builder.AddString("COMMENT", m_env.SqlText(m_strMemo));
    builder.where = "XAN_ID = " + m_strXanId + " ";
    const std::string sql = builder.BuildSQL();
    DebugTrace("RegistConfResult(%s)", sql.c_str());

    // The XAN_ID came from the database as a number; anything else never reaches it.
    if (IsPlainDigits(m_strXanId) && m_env.ExecuteSQL(builder.BuildSQL()) == 1) {
        m_strXanId.clear();
        m_nConsultResult = -1;
        m_strMemo.clear();
        UpdateData(false);
        InfoBox("등록 되었습니다.");
    } else {
        InfoBox("등록에 실패 하였습니다.");
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
