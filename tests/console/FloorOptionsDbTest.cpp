// The floor's options at the console: break reasons, and the history of the desk's states,
// against the private database. A floor that configures nothing sees the same statements
// on the wire as ever, but for the one read of its options at each sign-in.
#include <algorithm>

#include "console/journal/ResultJournal.h"
#include "db/FloorOptions.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

constexpr long long kXan = 500701;

// The journal's file, in memory.
class MemoryStore : public IJournalStore {
  public:
    explicit MemoryStore(std::string& content) : m_content(content) {}
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
    std::string& m_content;
};

class FloorOptionsTest : public ConsoleDbTest {
  protected:
    void SetUp() override {
        ConsoleDbTest::SetUp();
        if (HasFatalFailure())
            return;
        Clean();
    }
    void TearDown() override {
        if (work_)
            Clean();
        ConsoleDbTest::TearDown();
    }
    void Clean() {
        Admin().Execute("delete from CODE_INFO where CD_GRP = 'BREAK_REASON'; update CODE_INFO "
                        "set CD_NM = 'N' where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'STATE_HIST'; "
                        "delete from AGENT_STATE_HIST where SVC_ID = 501");
        DeleteCall();
    }
    void DeleteCall() {
        Admin().Execute("delete from REQ_XAN where XAN_ID = " + std::to_string(kXan) +
                        "; delete from TRANSFER_HIST where XAN_ID = " + std::to_string(kXan));
    }
    void ConfigureReasons() {
        Admin().Execute("insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values ('BREAK_REASON', "
                        "'02', '교육'), ('BREAK_REASON', '01', '식사')");
    }
    void SwitchHistoryOn() {
        Admin().Execute("update CODE_INFO set CD_NM = 'Y' where CD_GRP = 'SYSTEM_VALUE' and "
                        "CD_ID = 'STATE_HIST'");
    }
    // A new program on the same journal.
    void Restart() {
        console_ = std::make_unique<AgentConsole>(
            view_, *env_, *line_, [this] { return now_.load(); }, journal_.get());
        console_->ShowInitialState();
    }

    // A shift: sign-in, a break (the list answered from answers), ready, a call with its
    // result, its end, sign-out. The statements of the console's connection, as the
    // server logged them.
    std::vector<std::string> Shift(const std::deque<std::optional<std::size_t>>& answers) {
        std::string id;
        EXPECT_EQ(env_->GetFirstRecord(id, "select connection_id()", false), 1);
        DeleteCall();
        zel::test::GeneralLogReader log;
        const std::size_t sent = line_->submitted.size();
        SignIn();
        view_.reasonAnswers = answers;
        for (std::size_t press = 0; press < std::max<std::size_t>(answers.size(), 1); ++press)
            console_->OnBreak();
        breakTitle_ = view_.title;
        console_->OnReady();
        TransferCall(kXan);
        console_->PollTransfer();
        console_->OnCallInfoTimer();
        view_.resultControl = 1;
        view_.memoControl = "메모";
        console_->RegistConfResult();
        SetTransferStatus(0);
        console_->PollTransfer();
        console_->OnLogout();
        EXPECT_EQ(console_->AgentMode(), AGENT_MODE_LOGOUT);
        sent_ = line_->submitted.size() - sent;
        std::vector<std::string> statements;
        for (const zel::test::GeneralLogEntry& entry : log.Entries())
            if (entry.command == "Query" && std::to_string(entry.connectionId) == id)
                statements.push_back(entry.argument);
        return statements;
    }
    static std::vector<std::string> Without(std::vector<std::string> statements,
                                            const char* table) {
        std::erase_if(statements,
                      [&](const std::string& s) { return s.find(table) != std::string::npos; });
        return statements;
    }
    // The desk's history rows: state, reason and milliseconds after the first row's start,
    // in the order written.
    std::string HistoryRows() {
        return Admin()
            .Scalar("select group_concat(concat(STATE, ':', REASON_CD, '@', "
                    "timestampdiff(MICROSECOND, (select min(START_TIME) from AGENT_STATE_HIST "
                    "where SVC_ID = 501), START_TIME) div 1000) order by HIST_SEQ separator ' ') "
                    "from AGENT_STATE_HIST where SVC_ID = 501")
            .value_or("");
    }

    std::string breakTitle_;
    std::size_t sent_ = 0; // requests of the last shift
    std::string disk_;
    std::unique_ptr<ResultJournal> journal_;
};

TEST_F(FloorOptionsTest, ReasonsChangeNothingOnTheWireButTheirReadsTheListAndTheTitle) {
    const std::vector<std::string> plain = Shift({});
    EXPECT_EQ(breakTitle_, "ZELAgent-5501-휴식중");
    EXPECT_TRUE(view_.listed.empty());
    // Nothing configured: one select more than the shift ever sent, and no history.
    EXPECT_EQ(plain.size() - Without(plain, "CODE_INFO").size(), 1u);
    EXPECT_NE(std::find(plain.begin(), plain.end(), agentsql::kFloorOptionsSql), plain.end());
    EXPECT_EQ(Without(plain, "AGENT_STATE_HIST").size(), plain.size());

    // The next sign-in reads the reasons; Escape sends nothing, a choice the same break.
    ConfigureReasons();
    const std::size_t firstSent = sent_;
    const std::vector<std::string> chosen = Shift({std::nullopt, 1});
    EXPECT_EQ(breakTitle_, "ZELAgent-5501-휴식중(교육)");
    ASSERT_EQ(view_.listed.size(), 2u);
    EXPECT_EQ(view_.listed[0].size(), 2u);
    EXPECT_EQ(view_.listed[0][0].name, "식사");
    EXPECT_EQ(Without(chosen, "CODE_INFO"), Without(plain, "CODE_INFO"));
    EXPECT_EQ(sent_, firstSent); // the same requests, the list's Escape sent nothing
}

TEST_F(FloorOptionsTest, TheHistoryOutlastsAnOutageACloseAndASignalInOrderWithItsOwnTimes) {
    ConfigureReasons();
    SwitchHistoryOn();
    journal_ = std::make_unique<ResultJournal>(std::make_unique<MemoryStore>(disk_));
    Restart();
    // While historyDown is set the server goes away between a state's statement and its row.
    bool historyDown = false;
    line_->beforeRun = [&](const LineRequest& request) {
        if (request.what == LineStatement::History && historyDown)
            BreakConnection();
        else
            RepairConnection();
    };
    const std::time_t start = now_;
    const auto at = [&](int seconds) { now_ = start + seconds; };
    SignIn();
    at(10);
    historyDown = true;
    view_.reasonAnswers = {0};
    console_->OnBreak();
    at(20);
    console_->OnReady();
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_READY);
    EXPECT_EQ(HistoryRows(), "2:@0 3:@1");
    EXPECT_EQ(console_->HistoryWaiting(), 2u);
    EXPECT_EQ(boxes_.Count(), 0u);
    EXPECT_TRUE(view_.notes.empty());
    // The server answers a poll again: the rows that waited, with the times they had.
    historyDown = false;
    at(30);
    console_->PollTransfer();
    EXPECT_EQ(HistoryRows(), "2:@0 3:@1 4:01@10000 3:@20000");
    at(40);
    TransferCall(kXan);
    console_->PollTransfer();
    at(50);
    SetTransferStatus(0);
    console_->PollTransfer();

    // Closed during an outage of the history: the sign-out's row waits on disk.
    at(60);
    historyDown = true;
    console_->OnClose();
    EXPECT_EQ(view_.closed, 1);
    EXPECT_EQ(journal_->PendingHistory().size(), 1u);
    // The next program signs in and ends by a signal while the history is away again.
    Restart();
    historyDown = false;
    at(70);
    SignIn();
    at(80);
    historyDown = true;
    EXPECT_TRUE(console_->SignOutForShutdown(AgentConsole::kShutdownLimitMs));
    // The third writes what the second could not, before its own rows.
    Restart();
    historyDown = false;
    at(90);
    SignIn();
    EXPECT_EQ(HistoryRows(), "2:@0 3:@1 4:01@10000 3:@20000 7:@40000 3:@50000 1:@60000 "
                             "2:@70000 3:@70001 1:@80000 2:@90000 3:@90001");
    EXPECT_TRUE(journal_->PendingHistory().empty());
    EXPECT_EQ(console_->HistoryWaiting(), 0u);
}

} // namespace
} // namespace contest
