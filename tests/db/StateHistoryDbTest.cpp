// Break reasons, the history switch and history rows against the private server, read and
// written through the program's own connection. Keys: SVC_ID 640, TEL_NUM '64xx'; the
// CODE_INFO rows of the reasons and the switch are put back as the schema leaves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/AgentEnv.h"
#include "db/BreakReasons.h"
#include "db/FloorOptions.h"
#include "db/SqlText.h"
#include "db/StateHistory.h"
#include "tests/support/DbTestSupport.h"
#include "tests/support/RecordedOutput.h"

namespace {

using namespace agentsql;

class StateHistoryDbTest : public zel::test::DbWorkFixture {
  protected:
    void SetUp() override {
        DbWorkFixture::SetUp();
        if (HasFatalFailure())
            return;
        recorded_.emplace(boxes_, traces_);
        env_ = std::make_unique<CTELVOAgentEnv>();
        env_->serverAddress = "127.0.0.1";
        env_->dbType = DB_TYPE_MYSQL;
        ASSERT_TRUE(env_->RDBServerOpen());
    }
    void TearDown() override {
        if (env_)
            env_->ServerClose();
        recorded_.reset();
        DbWorkFixture::TearDown();
    }
    std::string OwnRows() const override {
        return "delete from CODE_INFO where CD_GRP in ('BREAK_REASON', 'BREAK_REAS'); "
               "update CODE_INFO set CD_NM = 'N' where CD_GRP = 'SYSTEM_VALUE' and "
               "CD_ID = 'STATE_HIST'; delete from AGENT_STATE_HIST where SVC_ID = 640";
    }
    RecordReader Reader() {
        return [this](const std::string& sql, std::vector<std::string>& values) {
            values.clear();
            return env_->GetFirstRecord(values, sql, false);
        };
    }

    std::unique_ptr<CTELVOAgentEnv> env_;
    std::vector<platform::MessageBoxRequest> boxes_;
    std::vector<std::string> traces_;
    std::optional<zel::test::RecordedOutput> recorded_;
};

std::vector<std::string> Names(const std::vector<BreakReason>& reasons) {
    std::vector<std::string> names;
    std::transform(reasons.begin(), reasons.end(), std::back_inserter(names),
                   [](const BreakReason& reason) { return reason.code + "=" + reason.name; });
    return names;
}

TEST_F(StateHistoryDbTest, ReasonsComeInTheOrderOfTheirCodesWhateverTheirText) {
    std::vector<BreakReason> reasons{{"stale", "x"}};
    EXPECT_EQ(ReadBreakReasons(Reader(), reasons), 1); // none configured
    EXPECT_TRUE(reasons.empty());

    // Inserted out of order, with a quote, a backslash, ":;" and an empty name.
    Admin().Execute("insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values "
                    "('BREAK_REASON', '03', '팀장 면담'), ('BREAK_REASON', '01', '식사'), "
                    "('BREAK_REASON', '10', 'it''s \\\\ a:;b'), ('BREAK_REASON', '02', ''), "
                    "('BREAK_REAS', '00', '다른 그룹')");
    EXPECT_EQ(ReadBreakReasons(Reader(), reasons), 1);
    ASSERT_EQ(Names(reasons),
              (std::vector<std::string>{"01=식사", "02=02", "03=팀장 면담", "10=it's \\ a: ;b"}));
    EXPECT_EQ(BreakModeText(&reasons[0]), "휴식중(식사)");
    EXPECT_EQ(BreakModeText(nullptr), "휴식중");

    // More than fit a list: the first ones in code order.
    for (int i = 11; i < 60; ++i)
        Admin().Execute("insert into CODE_INFO values ('BREAK_REASON', 'r" + std::to_string(i) +
                        "', '사유')");
    EXPECT_EQ(ReadBreakReasons(Reader(), reasons), 1);
    ASSERT_EQ(reasons.size(), kMaxBreakReasons);
    EXPECT_EQ(reasons[4].code, "r11");

    // A failing query gives -1 and no half list.
    int calls = 0;
    const RecordReader failsSecond = [&](const std::string& sql, std::vector<std::string>& v) {
        return ++calls == 2 ? -1 : Reader()(sql, v);
    };
    EXPECT_EQ(ReadBreakReasons(failsSecond, reasons), -1);
    EXPECT_TRUE(reasons.empty());
    EXPECT_TRUE(boxes_.empty());
}

// As the console reads it with the floor's options at each sign-in.
TEST_F(StateHistoryDbTest, TheSwitchIsOnOnlyForAYesAndOffWithoutItsRow) {
    const std::string where = " where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'STATE_HIST'";
    FloorOptions options;
    // 1 on, 0 off, -1 not read.
    const auto switchOn = [&options](const RecordReader& reader) {
        options.stateHistory = true;
        return ReadFloorOptions(reader, options) < 0 ? -1 : options.stateHistory ? 1 : 0;
    };
    EXPECT_EQ(switchOn(Reader()), 0); // as the schema leaves it
    const std::pair<const char*, int> cases[] = {
        {"Y", 1}, {" y ", 1}, {"yes", 1}, {"ON", 1}, {"1", 1},
        {"N", 0}, {"", 0},    {"0", 0},   {"YN", 0}, {"예", 0},
    };
    for (const auto& [value, on] : cases) {
        SCOPED_TRACE(value);
        Admin().Execute("update CODE_INFO set CD_NM = " + Admin().Quote(value) + where);
        EXPECT_EQ(switchOn(Reader()), on);
    }
    Admin().Execute("delete from CODE_INFO" + where);
    EXPECT_EQ(switchOn(Reader()), 0);
    Admin().Execute("insert into CODE_INFO values ('SYSTEM_VALUE', 'STATE_HIST', 'N')");
    EXPECT_EQ(switchOn([](const std::string&, std::vector<std::string>&) { return -1; }), -1);
    EXPECT_FALSE(options.stateHistory); // the defaults
}

TEST_F(StateHistoryDbTest, RowsKeepTheirOwnTimeAreStoredOnceAndNeverCut) {
    StateHistoryRow row{"hist01", "김상담", "640", "6401", AGENT_MODE_BREAK, "01", {}};
    row.start = SystemTime{2026, 12, 0, 8, 23, 59, 59, 987};
    const auto sql = StateHistoryInsertSql(row);
    ASSERT_TRUE(sql);
    // Sent twice, as a replay after a lost answer would: one row, with the desk's time.
    EXPECT_EQ(env_->ExecuteSQL(*sql), 1);
    EXPECT_EQ(env_->ExecuteSQL(*sql), 1);
    row.state = AGENT_MODE_READY;
    row.reasonCode.clear();
    row.start = SystemTime{2026, 12, 0, 9, 0, 0, 1, 2};
    row.agentName = "o'k\\";
    EXPECT_EQ(env_->ExecuteSQL(*StateHistoryInsertSql(row)), 1);
    EXPECT_EQ(Admin().Scalar("select group_concat(concat_ws('|', USER_ID, AGENT_NM, SVC_ID, "
                             "TEL_NUM, STATE, REASON_CD, START_TIME) order by START_TIME "
                             "separator ' / ') from AGENT_STATE_HIST where SVC_ID = 640"),
              "hist01|김상담|640|6401|4|01|2026-12-08 23:59:59.987 / "
              "hist01|o'k\\|640|6401|3||2026-12-09 00:00:01.002");

    // What the table cannot hold whole is never sent.
    const auto refused = [&](auto change) {
        StateHistoryRow bad = row;
        change(bad);
        return !StateHistoryInsertSql(bad).has_value();
    };
    EXPECT_FALSE(refused([](StateHistoryRow& r) { r.agentName = std::string(20, 'a'); }));
    EXPECT_FALSE(refused(
        [](StateHistoryRow& r) { r.agentName = "가나다라마바사아자차카타파하가나다라마바"; }));
    EXPECT_TRUE(refused([](StateHistoryRow& r) { r.agentName = std::string(21, 'a'); }));
    EXPECT_TRUE(refused([](StateHistoryRow& r) { r.reasonCode = std::string(21, 'r'); }));
    EXPECT_TRUE(refused([](StateHistoryRow& r) { r.svcId = "640 or 1=1"; }));
    EXPECT_TRUE(refused([](StateHistoryRow& r) { r.state = 6; }));
    EXPECT_TRUE(refused([](StateHistoryRow& r) {
        r.start.day = 31;
        r.start.month = 11;
    }));
    EXPECT_TRUE(refused([](StateHistoryRow& r) { r.start = SystemTime{}; }));
    EXPECT_EQ(Admin().Scalar("select count(*) from AGENT_STATE_HIST where SVC_ID = 640"), "2");
    EXPECT_TRUE(boxes_.empty());
}

} // namespace
