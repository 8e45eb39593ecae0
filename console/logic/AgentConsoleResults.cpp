// Call results: the registration, the automatic save of an ended call's result when
// the next call comes, the kept results and their retries, the journal's recovery, the
// call clock and the day's statistics.
#include <algorithm>

#include "console/journal/ResultJournal.h"
#include "console/logic/AgentConsole.h"
#include "res/ResourceIds.h"
#include "util/DateTime.h"
#include "util/Trace.h"

std::uint64_t AgentConsole::Journal(const CallResult& result) {
    std::uint64_t seq = m_journal ? m_journal->AddResult(result) : 0;
    seq = seq != 0 ? seq : m_localSeq + 1;
    m_localSeq = std::max(m_localSeq, seq);
    std::uint64_t& newest = m_lastSubmitted[result.xanId];
    newest = std::max(newest, seq);
    // The journal's newest record of the call on screen: the next draft that differs
    // from it follows, so that a kill leaves what the fields held last.
    if (result.xanId == m_lastDraft.xanId)
        m_lastDraft = result;
    return seq;
}

void AgentConsole::Written(const CallResult& result, std::uint64_t seq) {
    if (m_journal)
        m_journal->MarkDone(seq);
    std::uint64_t& last = m_lastWritten[result.xanId];
    last = std::max(last, seq);
}

bool AgentConsole::WrittenSince(const std::string& xanId, std::uint64_t seq) const {
    const auto found = m_lastWritten.find(xanId);
    return found != m_lastWritten.end() && found->second > seq;
}

bool AgentConsole::Superseded(const KeptResult& kept) const {
    const auto found = m_lastSubmitted.find(kept.result.xanId);
    return WrittenSince(kept.result.xanId, kept.seq) ||
           (found != m_lastSubmitted.end() && found->second > kept.seq);
}

void AgentConsole::Keep(const CallResult& result, std::uint64_t seq) {
    // A newer result of the same call was sent meanwhile (written, on the line, or left
    // in the journal): this one is out of date, and a retry would go over the newer.
    if (Superseded({result, seq}))
        return;
    if (m_unsaved.size() >= kMaxUnsavedResults) {
        DebugTrace("kept result of %s dropped from memory (the journal keeps it)",
                   m_unsaved.front().result.xanId.c_str());
        m_unsaved.pop_front();
    }
    m_unsaved.push_back({result, seq});
}

void AgentConsole::RegistConfResult() {
    if (m_registrationOut || m_ended)
        return;
    m_view->FinishTyping();
    UpdateData(true);
    if (m_strXanId.empty()) {
        InfoBox("통화를 하지 않은 상태에서는 상담 결과를 등록할 수 없습니다.\r\n");
        return;
    }
    // Taken before any box: while one is open the next call may be taken and shown,
    // and the result belongs to the call it was typed for.
    const CallResult result{m_strXanId, m_nConsultResult, m_strMemo};
    if (result.grade != -1) {
        SubmitRegistration(result);
        return;
    }
    m_questionResults.push_back(result);
    Ask({m_view->BoxOwner(), "호응도를 선택하지 않았습니다. 계속 하시겠습니까?", "확인",
         platform::MB_YESNO},
        [this, result](int answer) {
            const auto found =
                std::find(m_questionResults.begin(), m_questionResults.end(), result);
            if (found != m_questionResults.end())
                m_questionResults.erase(found);
            if (m_ended)
                return;
            if (answer == platform::IDYES)
                SubmitRegistration(result);
            else if (result.xanId != m_strXanId)
                ReturnToFields(result);
        });
}

void AgentConsole::ReturnToFields(const CallResult& result) {
    // No to the question means a grade is to be chosen first, but the next call came
    // while it was open and its save took the result off the fields (written without a
    // grade). The fields show it again to be completed and registered; the call now in
    // progress gets them once it is. Not over anything typed for that call, nor at the
    // end; nothing entered is nothing to complete.
    if (!result.Entered() || m_ending || m_strXanId.empty())
        return;
    UpdateData(true);
    if (m_nConsultResult != -1 || !m_strMemo.empty())
        return;
    m_strXanId = result.xanId;
    m_nConsultResult = result.grade;
    m_strMemo = result.memo;
    m_lastDraft = result; // as the save journaled it
    UpdateData(false);
    m_view->ShowNote(kReturnedNote);
}

void AgentConsole::SubmitRegistration(const CallResult& result) {
    const std::uint64_t seq = Journal(result);
    // Kept results of the same call are older: they never go over this one.
    std::erase_if(m_unsaved,
                  [&](const KeptResult& kept) { return kept.result.xanId == result.xanId; });
    m_registrationOut = true;
    m_view->EnableButton(IDC_BTN_REGIST, false);
    const LineRequest request = LineRequest::Write(result, 1);
    Submit(request, Boxes::Own, [this, result, seq](const LineOutcome& outcome) {
        m_registrationOut = false;
        m_view->EnableButton(IDC_BTN_REGIST, true);
        if (!outcome.ok) {
            // A box of the failure may let the next call in, whose automatic save then
            // writes this same result: the failure is not reported after that.
            ShowBoxes(outcome.boxes, [this, result, seq] {
                if (WrittenSince(result.xanId, seq) || m_shuttingDown)
                    return;
                InfoBox("등록에 실패 하였습니다.");
            });
            return;
        }
        Written(result, seq);
        // The fields are cleared only while they still show this call as registered and
        // no later result of it is on the line (the close's save): what the agent typed
        // while the statement was out stays to be registered.
        const auto newest = m_lastSubmitted.find(result.xanId);
        const bool laterSent = newest != m_lastSubmitted.end() && newest->second > seq;
        if (m_strXanId == result.xanId && !laterSent) {
            UpdateData(true);
            if (m_nConsultResult != result.grade || m_strMemo != result.memo) {
                InfoBox("등록 되었습니다.");
                return;
            }
            // A draft taken while the statement was out is older than what the fields
            // now confirm: an empty draft after it keeps the next start from writing it.
            if (m_journal && m_lastDraft.xanId == result.xanId && m_lastDraft != result)
                m_journal->AddDraft({result.xanId, -1, {}});
            m_strXanId.clear();
            m_nConsultResult = -1;
            m_strMemo.clear();
            m_lastDraft = {};
            // A result shown again over a later call (ReturnToFields): the fields are now
            // that call's.
            if (!m_callInfo.xanId.empty() && m_callInfo.xanId != result.xanId) {
                m_strXanId = m_callInfo.xanId;
                m_lastDraft = {m_strXanId, -1, {}};
            }
            UpdateData(false);
        }
        RetryUnsavedResults();
        if (m_nAgentMode == AGENT_MODE_AFTERCALL && m_strXanId.empty())
            EndAfterCallWork();
        InfoBox("등록 되었습니다.");
    });
}

void AgentConsole::WriteQuietly(const CallResult& result, std::uint64_t seq, bool keepOnFailure) {
    const LineRequest request = LineRequest::Write(result, 2);
    ++m_writesOut;
    Submit(request, Boxes::Quiet, [this, result, seq, keepOnFailure](const LineOutcome& outcome) {
        --m_writesOut;
        if (outcome.ok) {
            Written(result, seq);
            m_view->ShowNote(kSavedNote);
        } else {
            DebugTrace("RegistConfResult failed twice, kept for a later try");
            if (keepOnFailure)
                Keep(result, seq);
            m_view->ShowNote(kNotSavedNote);
        }
        MaybeEnd();
    });
}

void AgentConsole::SavePendingResult(const std::string& nextXanId, bool readFields) {
    if (!m_strXanId.empty() && m_strXanId != nextXanId) {
        CallResult result{m_strXanId, m_nConsultResult, m_strMemo};
        if (readFields) {
            m_view->FinishTyping();
            UpdateData(true);
            result = {m_strXanId, m_nConsultResult, m_strMemo};
        } else if (m_lastDraft.xanId == m_strXanId) {
            result = m_lastDraft;
        }
        NoteEmptied(result);
        if (result.Entered()) {
            const std::uint64_t seq = Journal(result);
            std::erase_if(m_unsaved, [&](const KeptResult& kept) {
                return kept.result.xanId == result.xanId;
            });
            WriteQuietly(result, seq, true);
        }
    }
    RetryUnsavedResults();
}

void AgentConsole::RetryUnsavedResults() {
    if (m_retryOut)
        return;
    // A result kept before a newer one of its call was sent is out of date.
    std::erase_if(m_unsaved, [this](const KeptResult& kept) { return Superseded(kept); });
    if (m_unsaved.empty())
        return;
    const KeptResult kept = m_unsaved.front();
    m_retryOut = true;
    const LineRequest request = LineRequest::Write(kept.result, 2);
    Submit(request, Boxes::Quiet, [this, kept](const LineOutcome& outcome) {
        m_retryOut = false;
        if (!outcome.ok) {
            MaybeEnd();
            return;
        }
        Written(kept.result, kept.seq);
        std::erase_if(m_unsaved, [&](const KeptResult& k) { return k.seq == kept.seq; });
        m_view->ShowNote(kSavedNote);
        RetryUnsavedResults();
        MaybeEnd();
    });
}

void AgentConsole::RecoverJournal() {
    if (m_recovered || !m_journal)
        return;
    m_recovered = true;
    // What an earlier run left unwritten (a crash, an outage at its close): each to its
    // own call, the newest record of a call only.
    for (const ResultJournal::Record& record : m_journal->Pending()) {
        DebugTrace("journal: result of %s from an earlier run written now",
                   record.result.xanId.c_str());
        m_localSeq = std::max(m_localSeq, record.seq);
        WriteQuietly(record.result, record.seq, true);
    }
}

void AgentConsole::NoteEmptied(const CallResult& now) {
    // The fields read empty while the journal's newest record of their call still holds
    // an entry the agent has since deleted: nothing is written for empty fields, so
    // without an empty draft after it the next start would write that entry.
    if (!m_journal || now.Entered() || now.xanId.empty() || m_lastDraft.xanId != now.xanId ||
        !m_lastDraft.Entered())
        return;
    m_lastDraft = now;
    m_journal->AddDraft(now);
}

void AgentConsole::SaveDraft() {
    if (!m_journal || m_strXanId.empty() || m_ended)
        return;
    std::string text;
    int grade = -1;
    m_view->ExchangeCallResult(true, text, grade);
    const CallResult draft{m_strXanId, grade, MemoForDatabase(text, kMemoMaxBytes)};
    if (draft == m_lastDraft)
        return;
    m_lastDraft = draft;
    m_journal->AddDraft(draft);
}

std::string AgentConsole::CallTimeText() const {
    if (m_nAgentMode != AGENT_MODE_INCALL)
        return "00:00:00";
    return FormatDuration(static_cast<std::int32_t>(m_clock() - m_tCallStart));
}

void AgentConsole::UpdateCallTime() {
    m_view->SetFieldText(IDC_STATIC_CALLTIME, CallTimeText());
    if (m_nAgentMode == AGENT_MODE_AFTERCALL)
        ShowAfterCallTitle();
}

void AgentConsole::UpdateTodayStats() {
    RefreshTodayStats(Boxes::Show);
}

void AgentConsole::RefreshTodayStats(Boxes boxes) {
    Submit(LineRequest::Of(LineStatement::TodayStats), boxes, [this](const LineOutcome& outcome) {
        m_view->SetFieldText(IDC_STATIC_TODAY_COUNT, outcome.count);
        m_view->SetFieldText(IDC_STATIC_TODAY_TIME, outcome.time);
    });
}
