#include "tests/sim/ShiftWorld.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "console/journal/ResultJournal.h"
#include "console/logic/AgentConsole.h"
#include "res/ResourceIds.h"
#include "util/Cp949.h"

namespace sim {
namespace {

constexpr std::time_t kEpoch = 1700000000;
constexpr long long kNever = -1;
constexpr int kStatementMs = 4;      // a statement on a healthy server
constexpr int kRefusedMs = 2;        // refused at once: no server there
constexpr int kReadTimeoutMs = 5000; // the client gives up on a server that does not answer
constexpr int kNextCallMs = 500;     // the call centre's next call after a hang-up
constexpr const char* kEndAnyway = "그래도 종료";
constexpr const char* kTel = "5501";
// The floor's break reasons; the state history is switched on.
const std::vector<BreakReason> kReasons = {{"01", "식사"}, {"02", "교육"}, {"03", "팀장 면담"}};

using State = std::pair<int, std::string>; // grade, memo as the database keeps it
const State kNothing{-1, ""};

// The journal's file, which outlives the program: appended lines reach it at once.
class Disk : public IJournalStore {
  public:
    std::string ReadAll() override { return m_content; }
    bool Append(const std::string& line, bool) override {
        m_content += line;
        return true;
    }
    bool Replace(const std::string& content) override {
        m_content = content;
        return true;
    }

  private:
    std::string m_content;
};

class DiskHandle : public IJournalStore {
  public:
    explicit DiskHandle(Disk& disk) : m_disk(disk) {}
    std::string ReadAll() override { return m_disk.ReadAll(); }
    bool Append(const std::string& line, bool sync) override { return m_disk.Append(line, sync); }
    bool Replace(const std::string& content) override { return m_disk.Replace(content); }

  private:
    Disk& m_disk;
};

class World;

// The console window: controls, the boxes on screen, its timers.
class View : public IAgentConsoleView {
  public:
    explicit View(World& world) : m_world(world) {}
    void SetWindowTitle(const std::string& text) override { title = text; }
    void EnableButton(int id, bool enable) override { enabled[id] = enable; }
    void SetFieldText(int id, const std::string& text) override {
        if (id == IDC_EDIT_MEMO)
            memo = text;
    }
    void ExchangeCallResult(bool save, std::string& text, int& result) override {
        if (save) {
            text = memo;
            result = grade;
        } else {
            memo = text;
            grade = result;
        }
    }
    void StartCallInfoTimer() override;
    void StartPollTimer(int ms) override;
    void RequestAttention() override {}
    wxWindow* BoxOwner() override { return nullptr; }
    void ShowBox(const platform::MessageBoxRequest& box,
                 std::function<void(int)> answered) override {
        if (box.modeless)
            return;
        modal.push_back({box, std::move(answered)});
    }
    void ShowNote(const std::string&) override {}
    void ChooseBreakReason(const std::vector<BreakReason>& reasons,
                           std::function<void(std::optional<std::size_t>)> chosen) override {
        // On top of the window like a box; answered with the index, or -1 for Escape.
        modal.push_back({{nullptr, "", "휴식 사유", 0},
                         [chosen = std::move(chosen)](int index) {
                             chosen(index < 0 ? std::nullopt
                                              : std::optional<std::size_t>(std::size_t(index)));
                         },
                         reasons.size()});
    }
    void CloseConsole() override { closed = true; }

    bool Enabled(int id) const {
        const auto found = enabled.find(id);
        return found == enabled.end() || found->second;
    }

    struct Box {
        platform::MessageBoxRequest request;
        std::function<void(int)> answered;
        std::size_t choices = 0; // the list of break reasons: how many
    };
    std::map<int, bool> enabled;
    std::string title, memo;
    int grade = -1;
    std::vector<Box> modal; // the top one last
    bool closed = false;

  private:
    World& m_world;
};

// The console's line over the simulated server: one statement at a time, its outcome
// when its time has come.
class Line : public IConsoleLine {
  public:
    explicit Line(World& world) : m_world(world) {}
    void Submit(LineRequest request, Done done) override;
    bool Settle(int limitMs) override;
    long long DueAt() const { return m_current ? m_doneAt : kNever; }
    void Complete();
    bool shuttingDown = false;

  private:
    void StartNext();
    struct Item {
        LineRequest request;
        Done done;
        long long enteredAt = -1; // a result's age when it was sent
    };
    World& m_world;
    std::deque<Item> m_waiting;
    std::optional<Item> m_current;
    long long m_doneAt = kNever;
    bool m_ok = false;
};

struct Program {
    explicit Program(World& world) : view(world), line(world) {}
    View view;
    Line line;
    CTELVOAgentEnv env; // the agent's identity; the settings file is not there
    std::unique_ptr<ResultJournal> journal;
    std::unique_ptr<AgentConsole> console;
    long long pollDue = kNever, callInfoDue = kNever, clockDue = kNever, draftDue = kNever;
};

class World {
  public:
    Outcome Run(const std::vector<Event>& events, std::vector<std::string>* trace);

    long long now = 0;
    std::unique_ptr<Program> program;
    std::string failure;

    void Fail(const std::string& what) {
        if (failure.empty())
            failure = what;
    }
    // The server's answer to a statement started now: its time, and whether it runs.
    std::pair<long long, bool> Timing(int tries) const;
    LineOutcome Execute(const LineRequest& request, bool ok, long long enteredAt);
    // A result is as new as the agent's last entry of it (-1: never entered).
    long long EnteredAt(const CallResult& result) const;

  private:
    void Do(const Event& event);
    void Advance(long long ms);
    long long NextTransfer() const;
    void Start();
    void Reap();
    void End(bool signal);
    void Kill();
    void Entered();
    void Finish();
    void CheckResults();
    void Retire(bool killed);
    void CheckBreakTitle();
    void CheckHistory();

    // The database.
    struct Hist {
        bool stamped = false;
        State written = kNothing;
        long long writtenEnteredAt = -1; // when the agent last entered what it holds
    };
    int m_isReady = 1;
    bool m_signedOut = true;
    int m_transferStatus = 0;
    std::string m_xanId;
    long long m_hungUpAt = 0;
    int m_nextXan = 700000;
    std::map<std::string, Hist> m_hist;
    bool m_down = false;
    long long m_frozenUntil = 0;
    // The state history as stored (insert ignore on desk, time and state), in the order
    // written; and each program's mode changes, which it must hold once the server is back.
    struct HistRow {
        std::string run, time;
        int state = 0;
    };
    std::vector<HistRow> m_stateHist;
    std::set<std::string> m_stateHistKeys;
    struct ProgramRun {
        unsigned changes = 0;
        bool killed = false;
        std::size_t unsaved = 0; // rows neither written nor on disk when it was killed
    };
    std::vector<ProgramRun> m_runs; // by program, "run<index>"

    Disk m_disk;
    bool m_endAnyway = false;
    bool m_wasSignedIn = false; // the program running now has signed the desk in

    // What the agent entered: every state of a call's fields, the latest, and after a
    // kill the states the call may be left with.
    std::map<std::string, std::set<State>> m_entries;
    std::map<std::string, State> m_latest;
    std::map<std::string, std::set<State>> m_afterKill;
    std::vector<std::pair<std::string, State>> m_asked; // no-grade questions open
    long long m_order = 0;                              // orders drafts and typing
    std::map<std::string, long long> m_draftAt;         // last draft tick with the call on screen
    std::map<std::string, State> m_draftState;          // and what the fields held then
    std::map<std::string, std::vector<std::pair<long long, State>>> m_history;
    std::map<std::string, std::map<State, long long>> m_lastEntry; // of each state
    // When the agent last emptied a call's fields, and when the console first sent each
    // state of a call to be written: what it sent before the emptying may still land.
    std::map<std::string, long long> m_emptiedAt;
    std::map<std::string, std::map<State, long long>> m_sentAt;

    friend class Line;
};

void View::StartCallInfoTimer() {
    m_world.program->callInfoDue = m_world.now;
}

void View::StartPollTimer(int ms) {
    m_world.program->pollDue = m_world.now + ms;
}

void Line::Submit(LineRequest request, Done done) {
    // Only the sign-in's statements and the writes of results may leave a signed-out
    // console (the close writes them after its sign-out).
    const bool deskStatement =
        request.what == LineStatement::Poll || request.what == LineStatement::Stamp ||
        request.what == LineStatement::CustInfo ||
        (request.what == LineStatement::Ready && request.mode != AGENT_MODE_READY &&
         request.mode != AGENT_MODE_LOGOUT);
    if (deskStatement && m_world.program &&
        m_world.program->console->AgentMode() == AGENT_MODE_LOGOUT)
        m_world.Fail("a statement of the desk sent while signed out");
    const long long enteredAt =
        request.what == LineStatement::Result ? m_world.EnteredAt(request.result) : -1;
    if (request.what == LineStatement::Result)
        m_world.m_sentAt[request.result.xanId].emplace(
            State{request.result.grade, request.result.memo}, ++m_world.m_order);
    m_waiting.push_back({std::move(request), std::move(done), enteredAt});
    if (!m_current)
        StartNext();
}

void Line::StartNext() {
    if (m_waiting.empty())
        return;
    m_current = std::move(m_waiting.front());
    m_waiting.pop_front();
    const auto [ms, ok] = m_world.Timing(std::max(1, m_current->request.tries));
    m_doneAt = m_world.now + ms;
    m_ok = ok;
}

void Line::Complete() {
    Item item = std::move(*m_current);
    m_current.reset();
    const LineOutcome outcome = m_world.Execute(item.request, m_ok, item.enteredAt);
    if (item.done)
        item.done(outcome);
    if (!m_current)
        StartNext();
}

bool Line::Settle(int limitMs) {
    if (!shuttingDown)
        m_world.Fail("the console waited for a statement outside its end");
    const long long end = m_world.now + limitMs;
    while (m_current && m_doneAt <= end) {
        m_world.now = std::max(m_world.now, m_doneAt);
        Complete();
    }
    return !m_current;
}

std::pair<long long, bool> World::Timing(int tries) const {
    if (m_down)
        return {static_cast<long long>(kRefusedMs) * tries, false};
    if (now < m_frozenUntil) {
        if (m_frozenUntil - now < kReadTimeoutMs)
            return {m_frozenUntil - now + kStatementMs, true};
        return {static_cast<long long>(kReadTimeoutMs) * tries, false};
    }
    return {kStatementMs, true};
}

long long World::EnteredAt(const CallResult& result) const {
    const auto call = m_lastEntry.find(result.xanId);
    if (call == m_lastEntry.end())
        return -1;
    const auto state = call->second.find({result.grade, result.memo});
    return state == call->second.end() ? -1 : state->second;
}

LineOutcome World::Execute(const LineRequest& request, bool ok, long long enteredAt) {
    LineOutcome outcome;
    outcome.ok = ok;
    if (!ok) {
        outcome.boxes.push_back(
            {nullptr, "데이터베이스 오류입니다.", "에러", platform::MB_ICONERROR});
        if (request.what == LineStatement::TodayStats)
            outcome.count = outcome.time = "ERROR";
        return outcome;
    }
    switch (request.what) {
    case LineStatement::Ready:
        if (m_signedOut && request.mode != AGENT_MODE_READY && request.mode != AGENT_MODE_LOGOUT)
            Fail("a state statement for a signed-out desk");
        m_isReady = request.mode == AGENT_MODE_READY ? 0 : 1;
        m_signedOut = request.mode == AGENT_MODE_LOGOUT;
        break;
    case LineStatement::Poll:
        outcome.transfer.transferStatus = m_transferStatus;
        outcome.transfer.xanId = m_xanId;
        outcome.transfer.recvPhone = "0212345678";
        break;
    case LineStatement::Stamp:
        if (m_signedOut)
            Fail("call " + request.xanId + " stamped for a signed-out desk");
        m_hist[request.xanId].stamped = true;
        break;
    case LineStatement::CustInfo:
        outcome.cust.custInfo1 = "고객 " + request.xanId;
        break;
    case LineStatement::Result: {
        const State written{request.result.grade, request.result.memo};
        const auto& entries = m_entries[request.result.xanId];
        if (written != kNothing && !entries.contains(written))
            Fail("call " + request.result.xanId + " got a result never entered for it: " +
                 std::to_string(written.first) + "/" + written.second);
        // A write must not be older than the one the call already holds.
        Hist& hist = m_hist[request.result.xanId];
        if (enteredAt < hist.writtenEnteredAt)
            Fail("call " + request.result.xanId + " got " + std::to_string(written.first) + "/" +
                 written.second + " over the newer " + std::to_string(hist.written.first) + "/" +
                 hist.written.second);
        hist.written = written;
        hist.writtenEnteredAt = enteredAt;
        break;
    }
    case LineStatement::TodayStats:
        outcome.count = "0";
        outcome.time = "00:00:00";
        break;
    case LineStatement::Options:
        outcome.options = {kReasons, true};
        break;
    case LineStatement::History: {
        const agentsql::StateHistoryRow& row = request.history;
        const std::string time = agentsql::HistoryTimeText(row.start);
        // A break taken before the reasons were read has none.
        if (!row.reasonCode.empty() &&
            (row.state != AGENT_MODE_BREAK ||
             std::none_of(kReasons.begin(), kReasons.end(),
                          [&](const BreakReason& r) { return r.code == row.reasonCode; })))
            Fail("a history row of state " + std::to_string(row.state) + " with reason '" +
                 row.reasonCode + "'");
        if (m_stateHistKeys.insert(time + "/" + std::to_string(row.state)).second)
            m_stateHist.push_back({row.agentName, time, row.state});
        break;
    }
    }
    return outcome;
}

long long World::NextTransfer() const {
    if (!program || m_signedOut || m_isReady != 0 || m_transferStatus == 1)
        return kNever;
    return std::max(now, m_hungUpAt + kNextCallMs);
}

void World::Advance(long long ms) {
    const long long target = now + ms;
    for (int guard = 0; guard < 100000; ++guard) {
        Program* p = program.get();
        long long next = NextTransfer();
        const auto earlier = [&next](long long due) {
            if (due != kNever && (next == kNever || due < next))
                next = due;
        };
        if (p) {
            earlier(p->line.DueAt());
            earlier(p->callInfoDue);
            earlier(p->pollDue);
            earlier(p->clockDue);
            earlier(p->draftDue);
        }
        if (next == kNever || next > target)
            break;
        now = std::max(now, next);
        if (next == NextTransfer()) {
            m_xanId = std::to_string(++m_nextXan);
            m_transferStatus = 1;
            m_hist[m_xanId];
        } else if (p && next == p->line.DueAt()) {
            p->line.Complete();
        } else if (p && next == p->callInfoDue) {
            p->callInfoDue = kNever;
            p->console->OnCallInfoTimer();
        } else if (p && next == p->pollDue) {
            p->pollDue = kNever;
            p->console->PollTransfer();
        } else if (p && next == p->clockDue) {
            p->clockDue = now + 1000;
            p->console->UpdateCallTime();
        } else if (p && next == p->draftDue) {
            p->draftDue = now + AgentConsole::kDraftIntervalMs;
            p->console->SaveDraft();
            if (!p->console->XanId().empty()) {
                m_draftAt[p->console->XanId()] = ++m_order;
                m_draftState[p->console->XanId()] = {
                    p->view.grade, MemoForDatabase(p->view.memo, AgentConsole::kMemoMaxBytes)};
            }
        }
        Reap();
        if (!failure.empty())
            return;
    }
    now = target;
}

void World::Retire(bool killed) {
    ProgramRun& run = m_runs.back();
    run.changes = program->console->ModeChanges();
    run.killed = killed;
    program.reset();
    if (killed) {
        // What a kill loses: the rows neither written nor on disk.
        const std::string name = "run" + std::to_string(m_runs.size() - 1);
        const auto pending = ResultJournal(std::make_unique<DiskHandle>(m_disk)).PendingHistory();
        const auto kept = static_cast<std::size_t>(
            std::count_if(m_stateHist.begin(), m_stateHist.end(),
                          [&](const HistRow& row) { return row.run == name; }) +
            std::count_if(pending.begin(), pending.end(),
                          [&](const auto& record) { return record.row.agentName == name; }));
        run.unsaved = run.changes > kept ? run.changes - kept : 0;
    }
}

void World::CheckBreakTitle() {
    // A break chosen with a reason reads it in the title (one taken before the reasons
    // were read has none).
    if (!program || program->console->AgentMode() != AGENT_MODE_BREAK)
        return;
    const std::string& title = program->view.title;
    const std::string plain = std::string("ZELAgent-") + kTel + "-휴식중";
    if (title != plain && std::none_of(kReasons.begin(), kReasons.end(), [&](const BreakReason& r) {
            return title == plain + "(" + r.name + ")";
        }))
        Fail("on break with the title '" + title + "'");
}

void World::CheckHistory() {
    // In the order of their times, one row per mode change of every program (less what a
    // kill lost before the rows were written or on disk), each row once.
    for (std::size_t i = 1; i < m_stateHist.size(); ++i)
        if (!(m_stateHist[i - 1].time < m_stateHist[i].time))
            Fail("history row " + std::to_string(i) + " at " + m_stateHist[i].time +
                 " written after one at " + m_stateHist[i - 1].time);
    std::map<std::string, unsigned> rows;
    for (const HistRow& row : m_stateHist)
        ++rows[row.run];
    for (std::size_t k = 0; k < m_runs.size(); ++k) {
        const ProgramRun& run = m_runs[k];
        const unsigned held = rows["run" + std::to_string(k)];
        if (held + run.unsaved != run.changes) {
            std::string rowsText;
            for (const HistRow& row : m_stateHist)
                rowsText += " " + row.run + ":" + std::to_string(row.state) + "@" + row.time;
            Fail("program " + std::to_string(k) + " made " + std::to_string(run.changes) +
                 " mode changes, the history holds " + std::to_string(held) +
                 (run.killed ? " (killed, " + std::to_string(run.unsaved) + " unsaved)" : "") +
                 "; rows:" + rowsText);
        }
    }
}

void World::Reap() {
    if (program && program->view.closed) {
        // The close path has ended the window: the program ends.
        if (!m_endAnyway && !m_signedOut && m_wasSignedIn)
            Fail("the window closed with the desk still signed in");
        Retire(false);
    }
    if (program && program->console->AgentMode() != AGENT_MODE_LOGOUT)
        m_wasSignedIn = true;
}

void World::Start() {
    program = std::make_unique<Program>(*this);
    Program& p = *program;
    p.env.userId = "sim";
    p.env.svcId = "501";
    p.env.telNum = kTel;
    p.env.agentName = "run" + std::to_string(m_runs.size()); // tells the programs' rows apart
    m_runs.emplace_back();
    p.journal = std::make_unique<ResultJournal>(std::make_unique<DiskHandle>(m_disk));
    p.console = std::make_unique<AgentConsole>(
        p.view, p.env, p.line, [this] { return kEpoch + now / 1000; }, p.journal.get());
    p.console->SetMilliClock([this] { return kEpoch * 1000 + now; });
    p.console->ShowInitialState();
    p.clockDue = now + 1000;
    p.draftDue = now + AgentConsole::kDraftIntervalMs;
    m_endAnyway = false;
    m_wasSignedIn = false;
    p.console->OnLogin();
    p.console->UpdateTodayStats();
}

void World::End(bool signal) {
    if (!program)
        return;
    const bool serverThere = !m_down && now >= m_frozenUntil;
    if (signal) {
        program->line.shuttingDown = true;
        program->console->SignOutForShutdown(AgentConsole::kShutdownLimitMs);
        if (serverThere && !m_signedOut && m_wasSignedIn)
            Fail("a signal left the desk signed in with the server there");
    }
    Retire(false);
}

void World::Kill() {
    if (!program)
        return;
    // Typing since the call's last draft may be lost; nothing before it.
    const std::string on = program->console->XanId();
    if (!on.empty() && m_latest.contains(on)) {
        const long long since = m_draftAt.contains(on) ? m_draftAt[on] : 0;
        // The fields as the last draft found them (or as the call came), and what the
        // agent typed since.
        std::set<State> possible;
        possible.insert(m_draftState.contains(on) ? m_draftState[on] : kNothing);
        possible.insert(m_hist[on].written); // what the call already holds stays
        for (const auto& [at, state] : m_history[on])
            if (at > since)
                possible.insert(state);
        // Killed again with nothing typed since: what the first kill allowed still holds.
        m_afterKill[on].insert(possible.begin(), possible.end());
    }
    Retire(true);
}

void World::Entered() {
    const std::string on = program->console->XanId();
    if (on.empty())
        return;
    const State state{program->view.grade,
                      MemoForDatabase(program->view.memo, AgentConsole::kMemoMaxBytes)};
    m_entries[on].insert(state);
    m_latest[on] = state;
    m_history[on].push_back({++m_order, state});
    m_lastEntry[on][state] = m_order;
    m_afterKill.erase(on);
    if (state == kNothing)
        m_emptiedAt[on] = m_order;
}

void World::Do(const Event& event) {
    Reap(); // a window that has closed takes no more answers or clicks
    Program* p = program.get();
    const bool canClick = p && p->view.modal.empty();
    switch (event.kind) {
    case Kind::Wait:
        break;
    case Kind::Press: {
        if (!canClick)
            break;
        constexpr int kIds[] = {IDC_BTN_LOGIN, IDC_BTN_READY, IDC_BTN_BREAK, IDC_BTN_LOGOUT,
                                IDC_BTN_REGIST};
        const int id = kIds[event.arg % 5];
        if (!p->view.Enabled(id))
            break;
        if (id == IDC_BTN_LOGIN)
            p->console->OnLogin();
        else if (id == IDC_BTN_READY)
            p->console->OnReady();
        else if (id == IDC_BTN_BREAK)
            p->console->OnBreak();
        else if (id == IDC_BTN_LOGOUT)
            p->console->OnLogout();
        else {
            // What the question of a missing grade would confirm.
            if (!p->console->XanId().empty())
                m_asked.push_back(
                    {p->console->XanId(),
                     {p->view.grade, MemoForDatabase(p->view.memo, AgentConsole::kMemoMaxBytes)}});
            p->console->RegistConfResult();
        }
        break;
    }
    case Kind::Type: {
        if (!canClick)
            break;
        // 5: the agent deletes the memo; 6: the memo and the grade as well.
        if (event.arg % 7 >= 5) {
            p->view.memo.clear();
            if (event.arg % 7 == 6)
                p->view.grade = -1;
            Entered();
            break;
        }
        static const char* kKeys[] = {"가", "a", "\n", "'", "나"};
        const std::string key = kKeys[event.arg % 5];
        const std::string next = p->view.memo + key;
        if (cp949::LimitLength(next) + std::count(next.begin(), next.end(), '\n') >
            AgentConsole::kMemoMaxBytes)
            break;
        p->view.memo = next;
        Entered();
        break;
    }
    case Kind::Grade:
        if (!canClick)
            break;
        p->view.grade = event.arg % 7;
        Entered();
        break;
    case Kind::Answer: {
        if (!p || p->view.modal.empty())
            break;
        View::Box box = std::move(p->view.modal.back());
        p->view.modal.pop_back();
        if (box.choices > 0) {
            // Escape for 0, else a reason.
            box.answered(event.arg == 0 ? -1 : (event.arg - 1) % static_cast<int>(box.choices));
            break;
        }
        const bool question = (box.request.style & 0xF) == platform::MB_YESNO;
        const int answer = !question   ? platform::IDOK
                           : event.arg ? platform::IDYES
                                       : platform::IDNO;
        if (answer == platform::IDYES && box.request.text.find(kEndAnyway) != std::string::npos)
            m_endAnyway = true;
        if (box.request.text.find("호응도를") != std::string::npos && !m_asked.empty()) {
            const auto [xanId, state] = m_asked.back();
            m_asked.pop_back();
            // Registering nothing is what the agent entered last for the call.
            if (answer == platform::IDYES && state == kNothing) {
                m_entries[xanId].insert(state);
                m_latest[xanId] = state;
                m_history[xanId].push_back({++m_order, state});
                m_lastEntry[xanId][state] = m_order;
                m_afterKill.erase(xanId);
            }
        }
        if (box.answered)
            box.answered(answer);
        break;
    }
    case Kind::Close:
        if (canClick)
            p->console->OnClose();
        break;
    case Kind::HangUp:
        if (m_transferStatus == 1) {
            m_transferStatus = 0;
            m_hungUpAt = now;
        }
        break;
    case Kind::ServerDown:
        m_down = true;
        break;
    case Kind::ServerUp:
        m_down = false;
        break;
    case Kind::Freeze:
        m_frozenUntil = std::max(m_frozenUntil, now + event.arg);
        break;
    case Kind::Signal:
        End(true);
        break;
    case Kind::Kill:
        Kill();
        break;
    case Kind::Start:
        if (!program)
            Start();
        break;
    }
}

void World::Finish() {
    // The server back for good; the agent closes, saying yes to everything.
    m_down = false;
    m_frozenUntil = 0;
    for (int round = 0; round < 2; ++round) {
        if (!program)
            Start();
        Advance(10000);
        // Signed in, so that what the journal holds is written.
        if (program && program->view.modal.empty() &&
            program->console->AgentMode() == AGENT_MODE_LOGOUT)
            Do({Kind::Press, 0});
        Advance(10000);
        for (int step = 0; program && step < 200 && failure.empty(); ++step) {
            if (!program->view.modal.empty())
                Do({Kind::Answer, 1});
            else if (step % 20 == 0)
                Do({Kind::Close, 0});
            Advance(100);
        }
        if (program)
            End(true);
    }
}

void World::CheckResults() {
    for (const auto& [xanId, latest] : m_latest) {
        const State written = m_hist[xanId].written;
        if (m_afterKill.contains(xanId)) {
            if (!m_afterKill[xanId].contains(written))
                Fail("call " + xanId + " after a kill holds " + std::to_string(written.first) +
                     "/" + written.second + ", which it did not have within a draft's time");
            continue;
        }
        // Emptied fields write nothing: the call keeps what was sent before, but never
        // what the agent deleted and the console had only held as a draft.
        if (latest == kNothing && m_emptiedAt.contains(xanId) && written != kNothing) {
            const auto& sent = m_sentAt[xanId];
            const auto found = sent.find(written);
            if (found == sent.end() || found->second > m_emptiedAt[xanId])
                Fail("call " + xanId + " holds " + std::to_string(written.first) + "/" +
                     written.second + ", which the agent deleted before it was sent");
            continue;
        }
        if (written != latest)
            Fail("call " + xanId + " holds " + std::to_string(written.first) + "/" +
                 written.second + " instead of what was entered last: " +
                 std::to_string(latest.first) + "/" + latest.second);
    }
}

Outcome World::Run(const std::vector<Event>& events, std::vector<std::string>* trace) {
    Outcome outcome;
    Start();
    for (const Event& event : events) {
        ++outcome.steps;
        Do(event);
        Reap();
        Advance(event.kind == Kind::Wait ? event.arg : 0);
        CheckBreakTitle();
        if (trace) {
            std::ostringstream line;
            line << now << "ms " << Encode({event});
            if (program)
                line << " mode " << program->console->AgentMode() << " on '"
                     << program->console->XanId() << "' boxes " << program->view.modal.size()
                     << " out " << program->console->StatementsOut();
            else
                line << " (not running)";
            line << " desk " << (m_signedOut ? "out" : m_isReady ? "break" : "ready");
            trace->push_back(line.str());
        }
        if (!failure.empty())
            break;
    }
    if (failure.empty()) {
        Finish();
        if (failure.empty())
            CheckResults();
        if (failure.empty())
            CheckHistory();
    }
    outcome.ok = failure.empty();
    outcome.failure = failure;
    return outcome;
}

constexpr const char* kCodes = "wptgacudhfskb";

} // namespace

std::vector<Event> Generate(std::uint64_t seed, int count) {
    std::mt19937_64 random(seed);
    // Weights of the kinds, in the order of Kind.
    const std::vector<int> weights = {28, 14, 16, 5, 14, 2, 8, 2, 3, 2, 1, 1, 4};
    std::discrete_distribution<int> kind(weights.begin(), weights.end());
    std::vector<Event> events;
    for (int i = 0; i < count; ++i) {
        Event event{static_cast<Kind>(kind(random)), 0};
        switch (event.kind) {
        case Kind::Wait:
            event.arg = static_cast<int>(random() % 3000);
            break;
        case Kind::Freeze:
            event.arg = 500 + static_cast<int>(random() % 12000);
            break;
        default:
            event.arg = static_cast<int>(random() % 7);
        }
        events.push_back(event);
    }
    return events;
}

std::string Encode(const std::vector<Event>& events) {
    std::string text;
    for (const Event& event : events) {
        if (!text.empty())
            text += ',';
        text += kCodes[static_cast<int>(event.kind)];
        text += std::to_string(event.arg);
    }
    return text;
}

std::vector<Event> Decode(const std::string& text) {
    std::vector<Event> events;
    std::istringstream tokens(text);
    std::string token;
    while (std::getline(tokens, token, ',')) {
        const char* code = token.empty() ? nullptr : std::strchr(kCodes, token[0]);
        if (!code || token.size() < 2)
            continue;
        events.push_back({static_cast<Kind>(code - kCodes), std::atoi(token.c_str() + 1)});
    }
    return events;
}

Outcome Run(const std::vector<Event>& events, std::vector<std::string>* trace) {
    World world;
    return world.Run(events, trace);
}

std::vector<Event> Shrink(std::vector<Event> events) {
    // Removes ever smaller chunks while the run still fails.
    for (std::size_t chunk = std::max<std::size_t>(1, events.size() / 2); chunk >= 1; chunk /= 2) {
        for (std::size_t at = 0; at < events.size();) {
            std::vector<Event> shorter = events;
            shorter.erase(shorter.begin() + static_cast<long>(at),
                          shorter.begin() + static_cast<long>(std::min(events.size(), at + chunk)));
            if (!Run(shorter).ok)
                events = std::move(shorter);
            else
                at += chunk;
        }
        if (chunk == 1)
            break;
    }
    return events;
}

} // namespace sim
