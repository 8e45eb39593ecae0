// The call-centre tool against the private database: what a transfer and a hang-up
// write, and a distributor run that picks ready desks and ends by itself.
// Keys: SVC_ID 570, TEL_NUM '557x', XAN_ID 570000-579999, USER_ID 'contest7'.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/DbTestSupport.h"
#include "tools/CallCenter.h"
#include "tools/CallCenterDb.h"
#include "tools/Distributor.h"

namespace {

using namespace callcenter;

std::time_t g_now = 0;

class CallCenterTest : public zel::test::DbWorkFixture {
  protected:
    void SetUp() override {
        DbWorkFixture::SetUp();
        if (HasFatalFailure())
            return;
        // 5572 ready for longer than 5571, 5573 on break.
        Admin().Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, "
                        "STATUS_START_TIME) values (570, '5571', 'contest7', 0, '20240101090000'), "
                        "(570, '5572', 'contest7', 0, '20240101080000'), "
                        "(570, '5573', 'contest7', 1, '20240101070000')");
        ASSERT_TRUE(db_.Open("127.0.0.1", "8907")) << db_.Error();
        // Korean time on the tool's clock, so that its stamps are known texts.
        ::setenv("TZ", "KST-9", 1);
        ::tzset();
        g_now = 1767000000; // 2025-12-29 18:20:00 there
        center_.now = [] { return g_now; };
    }
    std::string OwnRows() const override {
        return "delete from TRANSFER_NUM_INFO where SVC_ID = 570; delete from REQ_XAN "
               "where SVC_ID = 570; delete from TRANSFER_HIST where SVC_ID = 570";
    }
    zel::test::DbValue Value(const std::string& sql) { return Admin().Scalar(sql); }

    CallCenterDb db_;
    std::mt19937 random_{7};
    CallCenter center_{db_, random_};
};

TEST_F(CallCenterTest, ATransferWritesItsRowsAHangupEndsItAndBadKeysAreRefused) {
    TransferResult result;
    ASSERT_TRUE(center_.Transfer(
        {{"570", "5571"}, "570001", "0212345678", {"홍길동 고객님", "가입", "O'Neil \\ 고객"}},
        result))
        << center_.Error();
    EXPECT_FALSE(result.replacedCall);
    // The fourth line was not given: made up.
    EXPECT_EQ(Value("select concat(RECV_PHONE, '/', CUST_INFO3, '/', CUST_INFO4 <> '') from "
                    "REQ_XAN where XAN_ID = 570001"),
              "0212345678/O'Neil \\ 고객/1");
    EXPECT_EQ(Value("select concat(CONF_DT, '/', START_TIME, '/', AGENT_NM, '/', TEL_NUM) from "
                    "TRANSFER_HIST where XAN_ID = 570001"),
              "20251229/20251229182000//5571");
    EXPECT_EQ(Value("select concat(TRANSFER_STATUS, '/', XAN_ID, '/', RECV_PHONE, '/', CUST_INFO) "
                    "from TRANSFER_NUM_INFO where SVC_ID = 570 and TEL_NUM = '5571'"),
              "1/570001/0212345678/홍길동 고객님");

    g_now += 3725;
    HangupResult ended;
    ASSERT_TRUE(center_.Hangup({"570", "5571"}, ended)) << center_.Error();
    EXPECT_EQ(ended.seconds, 3725);
    EXPECT_EQ(Value("select concat(CONF_TIME, '/', END_TIME) from TRANSFER_HIST where XAN_ID = "
                    "570001"),
              "3725/20251229192205");
    EXPECT_EQ(Value("select TRANSFER_STATUS from TRANSFER_NUM_INFO where TEL_NUM = '5571'"), "0");
    EXPECT_FALSE(center_.Hangup({"570", "5571"}, ended)); // nothing left to end

    for (const auto& [svc, tel, xan] : std::vector<std::array<std::string, 3>>{
             {"570 or 1=1", "5571", ""}, {"570", "9999", ""}, {"570", "5571", "1; drop"}})
        EXPECT_FALSE(center_.Transfer({{svc, tel}, xan, "", {}}, result)) << svc << tel << xan;
    EXPECT_EQ(Value("select count(*) from REQ_XAN where SVC_ID = 570"), "1");
}

TEST_F(CallCenterTest, TheDistributorHandsOutItsCountToReadyDesksAndEndsThem) {
    Admin().Execute("insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO) values "
                    "(570100, 570, '01011112222', '대기 고객님')");
    DistributorOptions options;
    options.services = {"570"};
    options.count = 3;
    options.minSeconds = options.maxSeconds = options.gapSeconds = 0;
    options.tickMs = 50;
    std::ostringstream out;
    std::atomic<bool> stop{false};
    Distributor distributor(center_, options, random_, out);
    EXPECT_EQ(distributor.Run(stop), 3);
    // The waiting request went first, to the desk that had waited longest; all three ended,
    // none at the desk on break.
    EXPECT_EQ(Value("select concat(sum(XAN_ID = 570100 and TEL_NUM = '5572'), '/', sum(END_TIME is "
                    "not null), '/', sum(TEL_NUM = '5573')) from TRANSFER_HIST where SVC_ID = 570"),
              "1/3/0");
    EXPECT_EQ(Value("select sum(TRANSFER_STATUS) from TRANSFER_NUM_INFO where SVC_ID = 570"), "0");
    EXPECT_NE(out.str().find("all 3 calls handed out and ended"), std::string::npos) << out.str();
}

// Phone numbers the client library cannot hand back as stored (":;" comes back as ": ;",
// a zero byte as a blank) still list once each, in order, and the listing ends.
TEST_F(CallCenterTest, StatusListsEveryDeskOnceWhateverItsPhoneNumberHolds) {
    const std::vector<std::string> odd{":;", "55:;", "55:;72", "5'5\\:;", std::string("55\0:;", 5)};
    for (const std::string& tel : odd)
        Admin().Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values (570, " +
                        Admin().Quote(tel) + ", 'contest7')");
    std::vector<DeskState> desks;
    ASSERT_TRUE(center_.ListDesks({"570"}, desks)) << center_.Error();
    std::vector<std::string> listed(desks.size());
    std::transform(desks.begin(), desks.end(), listed.begin(),
                   [](const DeskState& desk) { return desk.desk.telNum; });
    EXPECT_EQ(listed, (std::vector<std::string>{"5'5\\: ;", "55 : ;", "5571", "5572", "5573",
                                                "55: ;", "55: ;72", ": ;"}));
}

} // namespace
