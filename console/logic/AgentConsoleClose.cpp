// The end of the console: the close path the agent takes, and the shutdown a signal or
// the end of the session asks for. Both write what the agent entered and what is kept
// before the window goes; what still fails stays in the journal for the next start.
#include "console/logic/AgentConsole.h"
#include "res/ResourceIds.h"
#include "util/Trace.h"

namespace {

class NoView : public IAgentConsoleView {
  public:
    void SetWindowTitle(const std::string&) override {}
    void EnableButton(int, bool) override {}
    void SetFieldText(int, const std::string&) override {}
    void ExchangeCallResult(bool, std::string&, int&) override {}
    void StartCallInfoTimer() override {}
    void RequestAttention() override {}
    wxWindow* BoxOwner() override { return nullptr; }
    void ShowBox(const platform::MessageBoxRequest&, std::function<void(int)>) override {}
};

} // namespace

void AgentConsole::OnClose() {
    // Once ended, a window shown again closes at once.
    if (m_ended && !m_shuttingDown)
        m_view->CloseConsole();
    if (m_closing || m_ending || m_ended)
        return;
    // While a state change or a pick-up is out the desk's state is not known yet: the
    // close goes on when it is.
    if (m_changeOut || m_taking) {
        m_closeWhenSettled = true;
        return;
    }
    if (m_nAgentMode == AGENT_MODE_LOGOUT) {
        FinishClose();
        return;
    }
    CloseSignedIn();
}

void AgentConsole::CloseSignedIn() {
    m_closing = true;
    const unsigned modeChanges = m_modeChanges;
    Ask({m_view->BoxOwner(), "로그인된 상태 입니다. 종료 하시겠습니까?", "에러",
         platform::MB_YESNO | platform::MB_ICONSTOP},
        [this, modeChanges](int answer) {
            if (answer != platform::IDYES || m_ended) {
                m_closing = false;
                return;
            }
            if (m_nAgentMode == AGENT_MODE_LOGOUT && !m_changeOut) {
                FinishClose();
                return;
            }
            // The agent agreed to close the desk as it was when asked: a call taken or a
            // state changed meanwhile is not signed out behind the agent's back.
            if (m_modeChanges != modeChanges || m_changeOut || m_taking) {
                DebugTrace("close question answered after the desk changed: the console stays");
                m_closing = false;
                return;
            }
            ChangeState(
                IDC_BTN_LOGOUT, AGENT_MODE_LOGOUT,
                [this] {
                    m_bPolling = false;
                    OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_LOGOUT, "로그아웃");
                },
                "로그아웃 실패", true,
                [this](bool signedOut) {
                    if (signedOut) {
                        FinishClose();
                        return;
                    }
                    // The database still has the desk signed in: ending anyway is the
                    // agent's explicit second choice.
                    const std::string text =
                        "데이터베이스에 연결할 수 없어 로그아웃하지 못했습니다.\r\n" +
                        DeskStateText() + "\r\n그래도 종료 하시겠습니까?";
                    const unsigned asked = m_modeChanges;
                    Ask({m_view->BoxOwner(), text, "에러",
                         platform::MB_YESNO | platform::MB_ICONSTOP | platform::MB_DEFBUTTON2},
                        [this, asked](int endAnyway) {
                            // As with the first question: a desk that changed behind it
                            // is asked about again.
                            if (endAnyway == platform::IDYES && m_modeChanges == asked &&
                                !m_taking && !m_changeOut)
                                FinishClose();
                            else
                                m_closing = false;
                        });
                });
        });
}

void AgentConsole::CloseIfAsked() {
    if (m_closeWhenSettled && !m_changeOut && !m_taking) {
        m_closeWhenSettled = false;
        OnClose();
    }
}

std::string AgentConsole::DeskStateText() const {
    switch (m_deskMode) {
    case AGENT_MODE_BREAK:
        return "상담원 상태가 휴식중으로 남아 있어 로그인된 채로 보입니다.";
    case AGENT_MODE_AFTERCALL:
        return "상담원 상태가 정리중(휴식)으로 남아 있어 로그인된 채로 보입니다.";
    default:
        return "상담원 상태가 대기중으로 남아 있어 전화가 계속 연결될 수 있습니다.";
    }
}

void AgentConsole::FinishClose() {
    m_closing = false;
    m_ending = true;
    m_bPolling = false;
    SetButtonMask(0); // the desk is left as it is now
    // What the agent entered goes to its call, as when the next call comes.
    SavePendingResult("");
    m_closeSaved = {m_strXanId, m_nConsultResult, m_strMemo};
    // History rows that cannot go before the window does wait on disk.
    if (m_historyOn < 0)
        JournalHistory();
    else if (m_historyStalled)
        RetryHistory();
    MaybeEnd();
}

void AgentConsole::MaybeEnd() {
    if (!m_ending || m_ended || m_shuttingDown || m_writesOut > 0 || m_retryOut ||
        m_registrationOut || m_historyOut)
        return;
    // The window stayed open while the saves were out: what was typed meanwhile goes
    // to the call as well, and so does a result a draft taken meanwhile would otherwise
    // replace at the next start.
    if (!m_strXanId.empty()) {
        UpdateData(true);
        const CallResult now{m_strXanId, m_nConsultResult, m_strMemo};
        NoteEmptied(now);
        const bool draftNewer = m_lastDraft.xanId == now.xanId && m_lastDraft != now;
        if (now != m_closeSaved || (draftNewer && now.Entered())) {
            m_closeSaved = now;
            WriteQuietly(now, Journal(now), true);
            return;
        }
    }
    m_ended = true;
    m_view->CloseConsole();
}

bool AgentConsole::SignOutForShutdown(int limitMs, bool readFields) {
    if (m_shuttingDown)
        return m_nAgentMode == AGENT_MODE_LOGOUT;
    m_shuttingDown = true;
    if (!readFields) {
        // No window may be touched any more.
        static NoView none;
        m_view = &none;
    }
    // A sign-in still out counts: it lands before the sign-out, which follows it.
    const bool signedIn =
        (m_nAgentMode != AGENT_MODE_LOGOUT || m_bPolling || m_changeOut) && !m_ended;
    m_bPolling = false;
    // The desk first: a caller must not reach an empty desk. Up to three tries, a
    // fresh connection for the later ones, no new try once the time is nearly gone.
    if (signedIn) {
        LineRequest signOut = LineRequest::Of(LineStatement::Ready, AGENT_MODE_LOGOUT);
        signOut.tries = 3;
        signOut.freshConnection = true;
        signOut.deadlineMs = limitMs * 2 / 3;
        Submit(signOut, Boxes::Quiet, [this](const LineOutcome& outcome) {
            DebugTrace("SignOutForShutdown %s", outcome.ok ? "signed out" : "sign-out failed");
            if (outcome.ok) {
                m_nAgentMode = AGENT_MODE_LOGOUT;
                m_deskMode = AGENT_MODE_LOGOUT;
                ++m_modeChanges;
                RecordState(AGENT_MODE_LOGOUT, {});
            }
        });
    }
    // The history rows that waited get one more try, behind the desk; whatever the end
    // leaves unwritten is on disk first.
    JournalHistory();
    if (m_historyStalled && m_historyOn == 1)
        RetryHistory();
    // Then the results: the one entered on screen, those a no-grade question holds,
    // those kept. Journaled first, so that what does not make it is written next time.
    // A question over empty fields holds nothing the agent entered: written, it would
    // only clear what the call already has (a call shown again after a restart).
    if (!m_ended)
        SavePendingResult("", readFields);
    for (const CallResult& result : m_questionResults)
        if (result.Entered())
            WriteQuietly(result, Journal(result), false);
    m_questionResults.clear();
    for (const KeptResult& kept : m_unsaved)
        if ((!m_retryOut || &kept != &m_unsaved.front()) && !Superseded(kept))
            WriteQuietly(kept.result, kept.seq, false);
    m_ended = true;
    m_line.Settle(limitMs);
    return m_nAgentMode == AGENT_MODE_LOGOUT;
}
