// The board's reading of the floor against the private server, as its read-only
// account: states and their durations, today's calls at a day's boundary, and the
// verdict on the account's grants.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "board/BoardDb.h"
#include "board/Grants.h"
#include "tests/support/DbTestSupport.h"

using namespace board;

namespace {

constexpr long long kSvc = 577;

// The account of scripts/db, or the one named by $ZEL_BOARD_CNF (the grants file's test).
std::string BoardCnf() {
    if (const char* named = std::getenv("ZEL_BOARD_CNF"); named && *named)
        return named;
    return (std::filesystem::path(zel::test::DbClientCnfPath()).parent_path() / "board.cnf")
        .string();
}

class BoardQueriesDbTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        ASSERT_TRUE(std::filesystem::exists(BoardCnf()))
            << BoardCnf() << " is missing: restart the server with scripts/db";
    }
    std::string OwnRows() const override {
        return "delete from TRANSFER_NUM_INFO where SVC_ID = 577; "
               "delete from TRANSFER_HIST where SVC_ID = 577; "
               "delete from REQ_XAN where SVC_ID = 577; "
               "delete from USER_AGENT_INFO where USER_ID like 'bq%'; "
               "delete from AGENT_STATE_HIST where SVC_ID = 577; "
               "delete from CODE_INFO where CD_GRP = 'BREAK_REASON'; "
               "update CODE_INFO set CD_NM = 'N' where CD_GRP = 'SYSTEM_VALUE' and "
               "CD_ID = 'STATE_HIST'";
    }
};

// A stamp of the server's clock, seconds from now.
std::string Ago(int seconds) {
    return "date_format(now() - interval " + std::to_string(seconds) + " second, '%Y%m%d%H%i%s')";
}

} // namespace

TEST_F(BoardQueriesDbTest, ReadsStatesDurationsAndTodaysCountsAsTheReadOnlyAccount) {
    auto& db = Admin();
    db.Execute("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values "
               "('bq1', '김하나', 'x'), ('bq2', '이두리', 'x'), ('bq3', '박세찬', 'x'), ('bq4', "
               "'최네모', 'x')");
    db.Execute("insert into TRANSFER_HIST (XAN_ID, SVC_ID, TEL_NUM, CONF_DT, START_TIME, END_TIME, "
               "CONF_TIME, AGENT_NM) values "
               // 김하나: two calls today, one of them at the first second of the day, one yesterday
               "(577001, 577, '1', date_format(now(), '%Y%m%d'), null, null, 100, '김하나'),"
               "(577002, 577, '1', date_format(now(), '%Y%m%d'), concat(date_format(now(), "
               "'%Y%m%d'), '000000'), null, 50, '김하나'),"
               "(577003, 577, '1', date_format(now() - interval 1 day, '%Y%m%d'), null, null, 999, "
               "'김하나'),"
               // 이두리's call under way, 박세찬's last call ended 40 s ago
               "(577004, 577, '2', date_format(now(), '%Y%m%d'), " +
               Ago(30) +
               ", null, 0, '이두리'),"
               "(577005, 577, '3', date_format(now(), '%Y%m%d'), " +
               Ago(100) + ", " + Ago(40) + ", 60, '박세찬')");
    db.Execute(
        "insert into REQ_XAN (XAN_ID, SVC_ID, REQ_DT) values (577001, 577, date_format(now(), "
        "'%Y%m%d')),"
        "(577101, 577, date_format(now(), '%Y%m%d')), (577102, 577, date_format(now(), '%Y%m%d')),"
        "(577103, 577, date_format(now() - interval 1 day, '%Y%m%d'))");
    db.Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, "
               "STATUS_START_TIME, XAN_ID, TRANSFER_STATUS) values "
               "(577, '1', 'bq1', 1, " +
               Ago(700) +
               ", 577002, 0)," // break for 700 s
               "(577, '2', 'bq2', 0, " +
               Ago(500) +
               ", 577004, 1)," // in a call for 30 s
               "(577, '3', 'bq3', 0, " +
               Ago(500) +
               ", 577005, 0),"                                    // ready since the call ended
               "(577, '4', 'bq4', 1, '00000000000000', null, 0)," // signed out
               "(577, '5', 'nobody', 0, " +
               Ago(5) + ", null, 0)"); // a desk of no known agent

    BoardDb board;
    ASSERT_TRUE(board.Connect({BoardCnf(), "127.0.0.1", 0})) << board.Error();
    std::vector<std::string> grants;
    ASSERT_TRUE(board.Grants(grants)) << board.Error();
    std::string why;
    EXPECT_TRUE(GrantsOnlyRead(grants, why)) << why;

    Snapshot snapshot;
    ASSERT_TRUE(board.ReadSnapshot(snapshot)) << board.Error();
    std::vector<Desk> desks;
    std::copy_if(snapshot.desks.begin(), snapshot.desks.end(), std::back_inserter(desks),
                 [](const Desk& desk) { return desk.svc == kSvc; });
    ASSERT_EQ(desks.size(), 5u);
    struct Expected {
        const char* name;
        DeskState state;
        long long seconds; // in the state; -1 for none
        long long calls, callSeconds;
    } expected[] = {
        {"김하나", DeskState::Break, 700, 2, 150}, {"이두리", DeskState::InCall, 30, 1, 0},
        {"박세찬", DeskState::Ready, 40, 1, 60},   {"최네모", DeskState::SignedOut, -1, 0, 0},
        {"", DeskState::Ready, 5, 0, 0},
    };
    for (std::size_t i = 0; i < desks.size(); ++i) {
        SCOPED_TRACE(desks[i].tel);
        EXPECT_EQ(desks[i].name, expected[i].name);
        EXPECT_EQ(desks[i].state, expected[i].state);
        if (expected[i].seconds < 0) {
            EXPECT_FALSE(desks[i].since);
        } else {
            ASSERT_TRUE(desks[i].since);
            EXPECT_NEAR(snapshot.now - *desks[i].since, expected[i].seconds, 2);
        }
        EXPECT_EQ(desks[i].calls, expected[i].calls);
        EXPECT_EQ(desks[i].callSeconds, expected[i].callSeconds);
    }
    const auto totals = std::find_if(snapshot.services.begin(), snapshot.services.end(),
                                     [](const ServiceTotals& t) { return t.svc == kSvc; });
    ASSERT_NE(totals, snapshot.services.end());
    EXPECT_EQ(totals->desks, (std::array<long long, kStateCount>{1, 2, 1, 1}));
    EXPECT_EQ(totals->calls, 4); // yesterday's call is not today's
    EXPECT_EQ(totals->callSeconds, 210);
    EXPECT_EQ(totals->waiting, 2); // today's requests without a history row

    // A desk whose agent is new gets its name at the next reading, not only when the
    // board's names are next read again in full.
    db.Execute(
        "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values ('bq6', '정여섯', 'x');"
        "insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values (577, '6', 'bq6')");
    ASSERT_TRUE(board.ReadSnapshot(snapshot)) << board.Error();
    const auto added = std::find_if(snapshot.desks.begin(), snapshot.desks.end(),
                                    [](const Desk& d) { return d.svc == kSvc && d.tel == "6"; });
    ASSERT_NE(added, snapshot.desks.end());
    EXPECT_EQ(added->name, "정여섯");

    // The session cannot write even where the account could.
    BoardDb writer;
    ASSERT_TRUE(writer.Connect({zel::test::DbClientCnfPath(), "127.0.0.1", 0})) << writer.Error();
    ASSERT_TRUE(writer.Grants(grants));
    EXPECT_FALSE(GrantsOnlyRead(grants, why));
}

TEST_F(BoardQueriesDbTest, ADeskOnBreakShowsItsReasonOnlyWhereTheHistoryIsOn) {
    auto& db = Admin();
    db.Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, "
               "STATUS_START_TIME) values (577, '1', 'bq1', 1, " +
               Ago(60) + "), (577, '2', 'bq2', 1, " + Ago(60) + "), (577, '3', 'bq3', 1, " +
               Ago(60) + "), (577, '4', 'bq4', 1, " + Ago(60) + ")");
    db.Execute("insert into CODE_INFO values ('BREAK_REASON', '01', '식사'), "
               "('BREAK_REASON', '02', '팀장 면담')");
    // Desk 1: a meal, then the meeting (the same millisecond: the later row counts); desk
    // 2: a reason no longer configured; desk 3 ready again by its history (the desk's row
    // not yet); desk 4 no reason.
    const std::string t = "now(3) - interval 1 minute";
    // Desk 3's rows arrive out of order: its latest row is the one of the latest start.
    db.Execute("insert into AGENT_STATE_HIST (USER_ID, SVC_ID, TEL_NUM, STATE, REASON_CD, "
               "START_TIME) values ('bq1', 577, '1', 4, '01', now(3) - interval 2 minute), "
               "('bq1', 577, '1', 3, '', " +
               t + "), ('bq1', 577, '1', 4, '02', " + t +
               "), "
               "('bq2', 577, '2', 4, '07', " +
               t + "), ('bq3', 577, '3', 3, '', " + t +
               "), "
               "('bq3', 577, '3', 4, '01', " +
               t +
               " - interval 1 second), "
               "('bq4', 577, '4', 4, '', " +
               t + ")");
    const std::vector<std::string> shown = {"팀장 면담", "07", "", ""};
    for (const char* value : {"N", "Y"}) {
        SCOPED_TRACE(value);
        db.Execute(std::string("update CODE_INFO set CD_NM = '") + value +
                   "' where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'STATE_HIST'");
        BoardDb board;
        ASSERT_TRUE(board.Connect({BoardCnf(), "127.0.0.1", 0})) << board.Error();
        Snapshot snapshot;
        ASSERT_TRUE(board.ReadSnapshot(snapshot)) << board.Error();
        std::vector<std::string> extras;
        for (const Desk& desk : snapshot.desks)
            if (desk.svc == kSvc)
                extras.push_back(desk.extra);
        EXPECT_EQ(extras, *value == 'Y' ? shown : std::vector<std::string>(4));
    }
}
