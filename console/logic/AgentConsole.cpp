// The agent's state machine: mode changes, the state buttons and the statements' way
// through the line.
#include "console/logic/AgentConsole.h"

#include <chrono>
#include <utility>

#include "console/journal/ResultJournal.h"
#include "res/ResourceIds.h"
#include "util/Cp949.h"
#include "util/PhoneNumber.h"
#include "util/Trace.h"

namespace {

constexpr const char* kTitlePrefix = "ZELAgent-";

int Answer(const platform::MessageBoxRequest& box) {
    return (box.style & 0xF) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
}

} // namespace

int ButtonMaskOf(int agentMode) {
    switch (agentMode) {
    case AGENT_MODE_LOGOUT:
        return BUTTON_LOGIN;
    case AGENT_MODE_LOGIN:
        return BUTTON_LOGOUT | BUTTON_READY | BUTTON_BREAK;
    case AGENT_MODE_READY:
        return BUTTON_LOGOUT | BUTTON_BREAK;
    case AGENT_MODE_BREAK:
        return BUTTON_LOGOUT | BUTTON_READY;
    case AGENT_MODE_AFTERCALL:
        return BUTTON_LOGOUT | BUTTON_READY | BUTTON_BREAK;
    default:
        return 0;
    }
}

AgentConsole::AgentConsole(IAgentConsoleView& view, CTELVOAgentEnv& env, IConsoleLine& line,
                           Clock clock, ResultJournal* journal)
    : m_view(&view), m_env(env), m_line(line),
      m_clock(clock ? clock : Clock([] { return std::time(nullptr); })), m_journal(journal) {
    m_tCallStart = m_clock();
    if (clock)
        m_milliClock = [seconds = m_clock] { return std::int64_t{seconds()} * 1000; };
    else
        m_milliClock = [] {
            return std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                .count();
        };
}

void AgentConsole::ShowInitialState() {
    SetButtonMask(BUTTON_LOGIN);
    m_view->SetWindowTitle(std::string(kTitlePrefix) + "로그아웃");
}

void AgentConsole::Submit(LineRequest request, Boxes boxes,
                          std::function<void(const LineOutcome&)> then) {
    ++m_out;
    m_line.Submit(
        std::move(request), [this, boxes, then = std::move(then)](const LineOutcome& outcome) {
            --m_out;
            if (boxes == Boxes::Outage)
                OutageBoxes(outcome);
            else if (boxes == Boxes::Quiet || m_shuttingDown)
                for (const auto& box : outcome.boxes)
                    DebugTrace("box not shown [%s] %s", box.caption.c_str(), box.text.c_str());
            if (boxes == Boxes::Show && !m_shuttingDown && !outcome.boxes.empty()) {
                ShowBoxes(outcome.boxes, [then, outcome] {
                    if (then)
                        then(outcome);
                });
                return;
            }
            if (then)
                then(outcome);
        });
}

void AgentConsole::OutageBoxes(const LineOutcome& outcome) {
    // One box per outage, without an owner and without blocking: the console stays
    // usable and polling goes on. Until a statement of the kind succeeds again the
    // further errors are only traced.
    if (outcome.boxes.empty()) {
        m_outageBoxShown = false;
        return;
    }
    for (const auto& request : outcome.boxes) {
        if (m_outageBoxShown || m_shuttingDown) {
            DebugTrace("box not shown again in this outage [%s] %s", request.caption.c_str(),
                       request.text.c_str());
            continue;
        }
        m_outageBoxShown = true;
        platform::MessageBoxRequest box = request;
        box.owner = nullptr;
        box.modeless = true;
        m_view->ShowBox(box, nullptr);
    }
}

void AgentConsole::Ask(platform::MessageBoxRequest box, Answered answered) {
    if (m_shuttingDown) {
        DebugTrace("box not shown [%s] %s", box.caption.c_str(), box.text.c_str());
        if (answered)
            answered(Answer(box));
        return;
    }
    m_view->ShowBox(box, std::move(answered));
}

void AgentConsole::ShowBoxes(std::vector<platform::MessageBoxRequest> boxes,
                             std::function<void()> then) {
    if (boxes.empty()) {
        if (then)
            then();
        return;
    }
    platform::MessageBoxRequest first = boxes.front();
    boxes.erase(boxes.begin());
    Ask(first, [this, rest = std::move(boxes), then = std::move(then)](int) mutable {
        ShowBoxes(std::move(rest), std::move(then));
    });
}

void AgentConsole::InfoBox(const char* text, std::function<void()> then) {
    Ask({m_view->BoxOwner(), text, "알림", platform::MB_ICONINFORMATION},
        [then = std::move(then)](int) {
            if (then)
                then();
        });
}

void AgentConsole::OnChangedEvent(int eventType, int agentMode, const std::string& agentModeMsg,
                                  const std::string& reasonCode) {
    DebugTrace("OnChangedEvent eventType(%d), agentMode(%d), agentModeMsg(%s)", eventType,
               agentMode, agentModeMsg.c_str());
    if (eventType == EVENT_MODE_CHANGED) {
        m_view->SetWindowTitle(kTitlePrefix + m_env.telNum + "-" + agentModeMsg);
        m_nAgentMode = agentMode;
        ++m_modeChanges;
        if (agentMode == AGENT_MODE_INCALL)
            m_tCallStart = m_clock();
        SetButtonMask(ButtonMaskOf(agentMode));
        RecordState(agentMode, reasonCode);
    } else if (eventType == EVENT_CALL_INFO) {
        ClearCallInfo();
        ShowCallInfo();
    }
}

void AgentConsole::SetButtonMask(int mask) {
    m_view->EnableButton(IDC_BTN_LOGIN, (mask & BUTTON_LOGIN) != 0);
    m_view->EnableButton(IDC_BTN_LOGOUT, (mask & BUTTON_LOGOUT) != 0);
    m_view->EnableButton(IDC_BTN_READY, (mask & BUTTON_READY) != 0);
    m_view->EnableButton(IDC_BTN_BREAK, (mask & BUTTON_BREAK) != 0);
}

namespace {
int MaskBit(int buttonId) {
    switch (buttonId) {
    case IDC_BTN_LOGIN:
        return BUTTON_LOGIN;
    case IDC_BTN_LOGOUT:
        return BUTTON_LOGOUT;
    case IDC_BTN_READY:
        return BUTTON_READY;
    case IDC_BTN_BREAK:
        return BUTTON_BREAK;
    default:
        return 0;
    }
}
} // namespace

void AgentConsole::ChangeState(int buttonId, int statementMode, std::function<void()> onDone,
                               const char* failText, bool freshConnection,
                               std::function<void(bool)> after) {
    if (m_changeOut || m_taking || m_ending || m_ended)
        return;
    // Until the outcome no state button can be pressed again.
    const int maskBefore = ButtonMaskOf(m_nAgentMode);
    const unsigned modeChangesBefore = m_modeChanges;
    m_changeOut = true;
    SetButtonMask(0);
    LineRequest request = LineRequest::Of(LineStatement::Ready, statementMode);
    if (freshConnection) {
        request.tries = 2;
        request.freshConnection = true;
    }
    Submit(
        request, Boxes::Own,
        [=, this, onDone = std::move(onDone),
         after = std::move(after)](const LineOutcome& outcome) {
            m_changeOut = false;
            if (outcome.ok) {
                m_deskMode = statementMode;
                onDone();
                if (after)
                    after(true);
                CloseIfAsked();
                return;
            }
            // Login enabled as ever and the pressed button left off, unless the mode
            // changed meanwhile: then the buttons follow the mode.
            if (m_modeChanges == modeChangesBefore)
                SetButtonMask((maskBefore & ~MaskBit(buttonId)) | BUTTON_LOGIN);
            else
                SetButtonMask(ButtonMaskOf(m_nAgentMode));
            std::vector<platform::MessageBoxRequest> boxes = outcome.boxes;
            boxes.push_back({m_view->BoxOwner(), failText, "알림", platform::MB_ICONINFORMATION});
            ShowBoxes(std::move(boxes), [this, after] {
                if (after)
                    after(false);
                CloseIfAsked();
            });
        });
}

void AgentConsole::OnLogin() {
    ChangeState(
        IDC_BTN_LOGIN, AGENT_MODE_READY, [this] { OnSignedIn(); }, "로그인 실패");
}

void AgentConsole::OnSignedIn() {
    // The after-call setting holds for this sign-in; a change of the file takes effect
    // at the next one.
    m_afterCallSetting = AfterCallWorkSeconds();
    // So do the floor's options; until they are read, this sign-in's history rows wait,
    // behind an earlier run's.
    LoadJournalHistory();
    m_historyOn = -1;
    ReadOptions();
    OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_LOGIN, "로그인");
    m_bPolling = true;
    OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_READY, "대기중");
    if (!m_pollOut)
        m_view->StartPollTimer(kFirstPollMs);
    RecoverJournal();
}

void AgentConsole::OnReady() {
    ChangeState(
        IDC_BTN_READY, AGENT_MODE_READY,
        [this] { OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_READY, "대기중"); },
        "상태변경 실패");
}

void AgentConsole::OnBreak() {
    if (m_options.breakReasons.empty()) {
        ChangeToBreak(nullptr);
        return;
    }
    if (m_choosingBreak || m_changeOut || m_taking || m_ending || m_ended || m_shuttingDown)
        return;
    m_choosingBreak = true;
    const unsigned modeChanges = m_modeChanges;
    const std::vector<BreakReason> reasons = m_options.breakReasons;
    m_view->ChooseBreakReason(
        reasons, [this, reasons, modeChanges](std::optional<std::size_t> chosen) {
            m_choosingBreak = false;
            if (!chosen || *chosen >= reasons.size() || m_ended || m_shuttingDown)
                return;
            // The break was chosen for the desk as it was when the list opened: a call
            // taken or a state changed meanwhile is not put on break behind the agent.
            if (m_modeChanges != modeChanges || (ButtonMaskOf(m_nAgentMode) & BUTTON_BREAK) == 0) {
                DebugTrace("break reason chosen after the desk changed: nothing sent");
                return;
            }
            ChangeToBreak(&reasons[*chosen]);
        });
}

void AgentConsole::ChangeToBreak(const BreakReason* reason) {
    const std::optional<BreakReason> chosen =
        reason ? std::optional<BreakReason>(*reason) : std::nullopt;
    ChangeState(
        IDC_BTN_BREAK, AGENT_MODE_BREAK,
        [this, chosen] {
            OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_BREAK,
                           agentsql::BreakModeText(chosen ? &*chosen : nullptr),
                           chosen ? chosen->code : std::string());
        },
        "상태변경 실패");
}

void AgentConsole::OnLogout() {
    ChangeState(
        IDC_BTN_LOGOUT, AGENT_MODE_LOGOUT,
        [this] {
            m_bPolling = false;
            OnChangedEvent(EVENT_MODE_CHANGED, AGENT_MODE_LOGOUT, "로그아웃");
        },
        "로그아웃 실패");
}

void AgentConsole::OnCallInfoTimer() {
    OnChangedEvent(EVENT_CALL_INFO, AGENT_MODE_INCALL, "통화중");
}

void AgentConsole::ClearCallInfo() {
    // The call taken, not whatever the last poll read: a later poll may already see
    // the next call, or nothing.
    const TransferInfo next = m_takenCall;
    if (next.xanId == m_strXanId && !m_strXanId.empty()) {
        // The same call shown again: what the agent entered for it stays.
        m_callInfo = next;
        for (const int id : {IDC_EDIT_TELNUM, IDC_EDIT_CUSTINFO1, IDC_EDIT_CUSTINFO2,
                             IDC_EDIT_CUSTINFO3, IDC_EDIT_CUSTINFO4})
            m_view->SetFieldText(id, "");
        return;
    }
    SavePendingResult(next.xanId);
    for (const int id : {IDC_EDIT_TELNUM, IDC_EDIT_CUSTINFO1, IDC_EDIT_CUSTINFO2,
                         IDC_EDIT_CUSTINFO3, IDC_EDIT_CUSTINFO4, IDC_EDIT_MEMO})
        m_view->SetFieldText(id, "");
    m_callInfo = next;
    m_strXanId = m_callInfo.xanId;
    m_nConsultResult = -1;
    m_strMemo.clear();
    m_lastDraft = {m_strXanId, -1, {}};
    UpdateData(false);
}

std::string MemoForDatabase(const std::string& fieldText, std::size_t maxBytes) {
    std::string memo;
    memo.reserve(fieldText.size() + 8);
    for (std::size_t i = 0; i < fieldText.size(); ++i) {
        if (fieldText[i] == '\n' && (i == 0 || fieldText[i - 1] != '\r'))
            memo += '\r';
        memo += fieldText[i];
    }
    memo = cp949::TruncateToBytes(memo, maxBytes);
    // A line break is never cut in half.
    if (!memo.empty() && memo.back() == '\r')
        memo.pop_back();
    return memo;
}

std::string MemoForField(const std::string& stored) {
    std::string text;
    text.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i)
        if (!(stored[i] == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n'))
            text += stored[i];
    return text;
}

void AgentConsole::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        std::string text;
        m_view->ExchangeCallResult(true, text, m_nConsultResult);
        // The field stops typing at the limit; this keeps the member within it whatever
        // reached the field, with line breaks as the database keeps them.
        m_strMemo = MemoForDatabase(text, kMemoMaxBytes);
        return;
    }
    std::string text = MemoForField(m_strMemo);
    m_view->ExchangeCallResult(false, text, m_nConsultResult);
}

void AgentConsole::ShowCallInfo() {
    const TransferInfo call = m_callInfo;
    Submit(LineRequest::Of(LineStatement::CustInfo, 0, call.xanId), Boxes::Show,
           [this, call](const LineOutcome& outcome) {
               // Only while the caller's fields still show the call it was read for (the
               // result fields may hold an earlier call's again: ReturnToFields).
               if (!outcome.ok || m_callInfo.xanId != call.xanId)
                   return;
               m_custInfo = outcome.cust;
               m_view->SetFieldText(IDC_EDIT_TELNUM, FormatPhoneNumber(call.recvPhone));
               m_view->SetFieldText(IDC_EDIT_CUSTINFO1, m_custInfo.custInfo1);
               m_view->SetFieldText(IDC_EDIT_CUSTINFO2, m_custInfo.custInfo2);
               m_view->SetFieldText(IDC_EDIT_CUSTINFO3, m_custInfo.custInfo3);
               m_view->SetFieldText(IDC_EDIT_CUSTINFO4, m_custInfo.custInfo4);
           });
}
