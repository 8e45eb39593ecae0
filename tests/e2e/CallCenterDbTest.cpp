// The call-centre tool against the private database: what a transfer and a hang-up
// write, which desk the distributor picks, and a distributor run that ends by itself.
// Keys: SVC_ID 570-571, TEL_NUM '557x', XAN_ID 570000-579999, USER_ID 'contest7*'.
#include <atomic>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/support/DbTestSupport.h"
#include "tools/CallCenter.h"
#include "tools/CallCenterDb.h"
#include "tools/Distributor.h"

namespace {

using namespace callcenter;

std::time_t g_now = 1767000000;

class CallCenterTest : public zel::test::DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (HasFatalFailure())
            return;
        ready_ = true;
        work_ = std::make_unique<zel::test::TempWorkDir>();
        DeleteRows();
        AddDesk("5571", 0, "20240101090000");
        AddDesk("5572", 0, "20240101080000"); // ready for longer
        AddDesk("5573", 1, "20240101070000"); // on break
        ASSERT_TRUE(db_.Open("127.0.0.1", "8907")) << db_.Error();
        center_.now = [] { return g_now; };
    }
    void TearDown() override {
        if (ready_) {
            DeleteRows();
            work_.reset();
        }
        DbFixture::TearDown();
    }
    void DeleteRows() {
        Admin().Execute("delete from TRANSFER_NUM_INFO where SVC_ID between 570 and 571; "
                        "delete from REQ_XAN where XAN_ID between 570000 and 579999 or SVC_ID "
                        "between 570 and 571; "
                        "delete from TRANSFER_HIST where XAN_ID between 570000 and 579999 or "
                        "SVC_ID between 570 and 571");
    }
    void AddDesk(const std::string& tel, int isReady, const std::string& since) {
        Admin().Execute("insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID, IS_READY, "
                        "STATUS_START_TIME) values (570, '" +
                        tel + "', 'contest7', " + std::to_string(isReady) + ", '" + since + "')");
    }
    zel::test::DbValue Value(const std::string& sql) { return Admin().Scalar(sql); }

    std::unique_ptr<zel::test::TempWorkDir> work_;
    CallCenterDb db_;
    std::mt19937 random_{7};
    CallCenter center_{db_, random_};

  private:
    bool ready_ = false;
};

TEST_F(CallCenterTest, ATransferWritesTheRequestTheHistoryAndTheDesk) {
    TransferRequest request;
    request.desk = {"570", "5571"};
    request.xanId = "570001";
    request.phone = "0212345678";
    request.cust = {"홍길동 고객님", "가입일 2019-03-02", "O'Neil \\ 고객"};
    TransferResult result;
    ASSERT_TRUE(center_.Transfer(request, result)) << center_.Error();
    EXPECT_EQ(result.xanId, "570001");
    EXPECT_FALSE(result.replacedCall);

    EXPECT_EQ(Value("select CUST_INFO3 from REQ_XAN where XAN_ID = 570001"), "O'Neil \\ 고객");
    EXPECT_EQ(Value("select RECV_PHONE from REQ_XAN where XAN_ID = 570001"), "0212345678");
    // A fourth line was not given: made up.
    EXPECT_NE(Value("select CUST_INFO4 from REQ_XAN where XAN_ID = 570001"), "");
    const std::string stamp = LocalStamp(g_now);
    EXPECT_EQ(Value("select CONF_DT from TRANSFER_HIST where XAN_ID = 570001"), stamp.substr(0, 8));
    EXPECT_EQ(Value("select START_TIME from TRANSFER_HIST where XAN_ID = 570001"), stamp);
    EXPECT_EQ(Value("select AGENT_NM from TRANSFER_HIST where XAN_ID = 570001"), "");
    EXPECT_EQ(Value("select TEL_NUM from TRANSFER_HIST where XAN_ID = 570001"), "5571");
    EXPECT_EQ(Value("select concat(TRANSFER_STATUS, '/', XAN_ID, '/', RECV_PHONE, '/', CUST_INFO) "
                    "from TRANSFER_NUM_INFO where SVC_ID = 570 and TEL_NUM = '5571'"),
              "1/570001/0212345678/홍길동 고객님");
}

TEST_F(CallCenterTest, AHangupEndsTheCallWithItsSeconds) {
    TransferRequest request;
    request.desk = {"570", "5571"};
    request.xanId = "570002";
    TransferResult transferred;
    ASSERT_TRUE(center_.Transfer(request, transferred)) << center_.Error();
    g_now += 3725;
    HangupResult result;
    ASSERT_TRUE(center_.Hangup({"570", "5571"}, result)) << center_.Error();
    EXPECT_EQ(result.xanId, "570002");
    EXPECT_EQ(result.seconds, 3725);
    EXPECT_EQ(Value("select CONF_TIME from TRANSFER_HIST where XAN_ID = 570002"), "3725");
    EXPECT_EQ(Value("select END_TIME from TRANSFER_HIST where XAN_ID = 570002"), LocalStamp(g_now));
    EXPECT_EQ(Value("select TRANSFER_STATUS from TRANSFER_NUM_INFO where TEL_NUM = '5571' and "
                    "SVC_ID = 570"),
              "0");
    // Nothing left to end.
    EXPECT_FALSE(center_.Hangup({"570", "5571"}, result));
    EXPECT_NE(center_.Error().find("has no call"), std::string::npos);
}

TEST_F(CallCenterTest, BadKeysAndUnknownDesksAreRefused) {
    TransferRequest request;
    request.desk = {"570 or 1=1", "5571"};
    TransferResult result;
    EXPECT_FALSE(center_.Transfer(request, result));
    request.desk = {"570", "9999"};
    EXPECT_FALSE(center_.Transfer(request, result));
    EXPECT_NE(center_.Error().find("no desk"), std::string::npos);
    request.desk = {"570", "5571"};
    request.xanId = "1; drop table REQ_XAN";
    EXPECT_FALSE(center_.Transfer(request, result));
}

TEST_F(CallCenterTest, TheReadyDeskThatWaitedLongestIsPicked) {
    auto desk = center_.FindReadyDesk({"570"}, {});
    ASSERT_TRUE(desk.has_value());
    EXPECT_EQ(desk->telNum, "5572");
    desk = center_.FindReadyDesk({"570"}, {{"570", "5572"}});
    ASSERT_TRUE(desk.has_value());
    EXPECT_EQ(desk->telNum, "5571");
    EXPECT_FALSE(center_.FindReadyDesk({"570"}, {{"570", "5572"}, {"570", "5571"}}).has_value());
    EXPECT_FALSE(center_.FindReadyDesk({"571"}, {}).has_value());
}

TEST_F(CallCenterTest, TheDistributorHandsOutItsCountToReadyDesksAndEndsThem) {
    Admin().Execute("insert into REQ_XAN (XAN_ID, SVC_ID, RECV_PHONE, CUST_INFO) values "
                    "(570100, 570, '01011112222', '대기 고객님')");
    DistributorOptions options;
    options.services = {"570"};
    options.count = 3;
    options.minSeconds = 0;
    options.maxSeconds = 0;
    options.gapSeconds = 0;
    options.tickMs = 50;
    std::ostringstream out;
    std::atomic<bool> stop{false};
    Distributor distributor(center_, options, random_, out);
    EXPECT_EQ(distributor.Run(stop), 3);
    // The waiting request went first, to the desk that had waited longest.
    EXPECT_EQ(Value("select TEL_NUM from TRANSFER_HIST where XAN_ID = 570100"), "5572");
    EXPECT_EQ(
        Value("select count(*) from TRANSFER_HIST where SVC_ID = 570 and END_TIME is not null"),
        "3");
    EXPECT_EQ(Value("select count(*) from TRANSFER_HIST where TEL_NUM = '5573' and SVC_ID = 570"),
              "0");
    EXPECT_EQ(Value("select sum(TRANSFER_STATUS) from TRANSFER_NUM_INFO where SVC_ID = 570"), "0");
    EXPECT_NE(out.str().find("all 3 calls handed out and ended"), std::string::npos) << out.str();
}

} // namespace
