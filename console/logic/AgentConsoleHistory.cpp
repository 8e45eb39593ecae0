// The floor's options (break reasons, the history switch), read at each sign-in, and
// the state history: each change of the desk's mode appends one row, after the
// console's own statement, with the time of the change. Rows are written one at a time
// in their order. A row that cannot be written goes to the journal and waits for a sign
// that the server is back (a poll that succeeds, the next sign-in, the close); it never
// holds up the agent nor shows a box.
#include <algorithm>
#include <iterator>

#include "console/journal/ResultJournal.h"
#include "console/logic/AgentConsole.h"
#include "util/DateTime.h"
#include "util/Trace.h"

void AgentConsole::ReadOptions() {
    if (m_optionsOut)
        return;
    m_optionsOut = true;
    Submit(LineRequest::Of(LineStatement::Options), Boxes::Quiet,
           [this](const LineOutcome& outcome) { OnOptions(outcome); });
}

void AgentConsole::OnOptions(const LineOutcome& outcome) {
    m_optionsOut = false;
    if (!outcome.ok) {
        // Whether the floor keeps a history is not known: the rows wait on disk.
        DebugTrace("floor options not read, read again when the server answers");
        m_historyOn = -1;
        JournalHistory();
        return;
    }
    m_options = outcome.options;
    m_historyOn = m_options.stateHistory ? 1 : 0;
    m_historyStalled = false; // the server answered
    if (m_historyOn == 1) {
        WriteHistory();
        return;
    }
    // A floor without a history: what waited (also from an earlier run) is dropped.
    for (const HistoryEntry& entry : m_historyRows)
        if (entry.journaled && m_journal)
            m_journal->MarkDone(entry.seq);
    m_historyRows.clear();
}

SystemTime AgentConsole::HistoryTime() {
    // Strictly increasing, so that two changes within one tick keep their order and
    // neither is taken for a copy of the other.
    std::int64_t ms = m_milliClock();
    if (ms <= m_lastHistoryMs)
        ms = m_lastHistoryMs + 1;
    m_lastHistoryMs = ms;
    return LocalDateTime::FromEpochMs(ms).Time();
}

void AgentConsole::RecordState(int mode, const std::string& reasonCode) {
    if (m_historyOn == 0)
        return;
    HistoryEntry entry;
    entry.id = ++m_historyIds;
    entry.row = {m_env.userId, m_env.agentName, m_env.svcId,  m_env.telNum,
                 mode,         reasonCode,      HistoryTime()};
    if (!agentsql::StateHistoryInsertSql(entry.row)) {
        DebugTrace("state history row of mode %d cannot be stored, left out", mode);
        return;
    }
    m_historyRows.push_back(std::move(entry));
    // Behind rows that wait for the server, or while the switch could not be read, the
    // row waits on disk too; so does the last row of a signal's end, which may not get
    // its turn before the program ends.
    if (m_historyStalled || m_shuttingDown || (m_historyOn < 0 && !m_optionsOut))
        JournalHistory();
    WriteHistory();
}

void AgentConsole::JournalHistory() {
    for (HistoryEntry& entry : m_historyRows)
        if (!entry.journaled) {
            entry.journaled = true;
            entry.seq = m_journal ? m_journal->AddHistory(entry.row) : 0;
        }
}

void AgentConsole::WriteHistory() {
    if (m_historyOn != 1 || m_historyOut || m_historyStalled || m_historyRows.empty())
        return;
    const HistoryEntry entry = m_historyRows.front();
    m_historyOut = true;
    LineRequest request = LineRequest::Of(LineStatement::History);
    request.history = entry.row;
    Submit(request, Boxes::Quiet, [this, entry](const LineOutcome& outcome) {
        m_historyOut = false;
        if (!outcome.ok) {
            DebugTrace("state history row not written, kept for a later try");
            m_historyStalled = true;
            JournalHistory();
            MaybeEnd();
            return;
        }
        if (entry.journaled && m_journal)
            m_journal->MarkDone(entry.seq);
        std::erase_if(m_historyRows, [&](const HistoryEntry& e) { return e.id == entry.id; });
        WriteHistory();
        MaybeEnd();
    });
}

void AgentConsole::RetryHistory() {
    if (m_historyOn < 0) {
        if (!m_shuttingDown)
            ReadOptions();
        return;
    }
    m_historyStalled = false;
    WriteHistory();
}

void AgentConsole::LoadJournalHistory() {
    if (m_historyLoaded || !m_journal)
        return;
    m_historyLoaded = true;
    // Before anything of this run: they happened first.
    const std::vector<ResultJournal::HistoryRecord> earlier = m_journal->PendingHistory();
    std::transform(earlier.rbegin(), earlier.rend(), std::front_inserter(m_historyRows),
                   [this](const ResultJournal::HistoryRecord& record) {
                       return HistoryEntry{++m_historyIds, record.row, record.seq, true};
                   });
}
