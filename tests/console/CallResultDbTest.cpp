// Registering a call's result, and the day's statistics.
#include <gtest/gtest.h>

#include "res/ResourceIds.h"
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using platform::IDNO;
using platform::IDYES;

class CallResultTest : public ConsoleDbTest {
  protected:
    // A call taken and shown, ready to be registered.
    void TakeCall(long long xanId) {
        SignIn();
        TransferCall(xanId);
        ASSERT_EQ(console_->PollTransfer(), 1);
        console_->OnCallInfoTimer();
        boxes_->Clear();
    }
    std::size_t Registrations(const zel::test::GeneralLogReader& log) {
        return log.QueriesContaining("update TRANSFER_HIST set CONSULT_RESULT").size();
    }
    void AddHistory(long long xanId, const std::string& day, const std::string& agent, int seconds,
                    const std::string& svcId = kSvcId) {
        Admin().Execute("insert into TRANSFER_HIST (XAN_ID, SVC_ID, CONF_DT, CONF_TIME, AGENT_NM) "
                        "values (" +
                        std::to_string(xanId) + ", " + svcId + ", '" + day + "', " +
                        std::to_string(seconds) + ", " + Admin().Quote(agent) + ")");
    }
};

TEST_F(CallResultTest, WithoutACallNothingIsWritten) {
    zel::test::GeneralLogReader log;
    console_->RegistConfResult();
    ASSERT_EQ(boxes_->Count(), 1u);
    EXPECT_EQ(boxes_->All()[0].request.text,
              "통화를 하지 않은 상태에서는 상담 결과를 등록할 수 없습니다.\r\n");
    EXPECT_EQ(boxes_->All()[0].request.caption, "알림");
    EXPECT_EQ(Registrations(log), 0u);
}

TEST_F(CallResultTest, AGradeAndAMemoAreWrittenAndTheCallIsDone) {
    TakeCall(500101);
    view_.resultControl = 6; // 수신거부
    view_.memoControl = "다음 주 재연락";
    zel::test::GeneralLogReader log;
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500101, "CONSULT_RESULT"), "07");
    EXPECT_EQ(Hist(500101, "COMMENT"), "다음 주 재연락");
    EXPECT_TRUE(log.ContainsQuery("update TRANSFER_HIST set CONSULT_RESULT = '07', COMMENT = "
                                  "'다음 주 재연락' where XAN_ID = 500101"));
    EXPECT_TRUE(HasTrace("[ZELAgent]RegistConfResult(update TRANSFER_HIST set CONSULT_RESULT = "
                         "'07', COMMENT = '다음 주 재연락' where XAN_ID = 500101  )"));
    ASSERT_EQ(boxes_->Count(), 1u);
    EXPECT_EQ(boxes_->All()[0].request.text, "등록 되었습니다.");
    EXPECT_EQ(console_->XanId(), "");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(view_.resultControl, -1);
    // The call goes on.
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL);

    // A second press finds nothing to register.
    boxes_->Clear();
    console_->RegistConfResult();
    EXPECT_EQ(boxes_->All().at(0).request.text,
              "통화를 하지 않은 상태에서는 상담 결과를 등록할 수 없습니다.\r\n");
}

TEST_F(CallResultTest, WithoutAGradeTheAgentIsAsked) {
    TakeCall(500102);
    view_.memoControl = "메모";
    boxes_->Push(IDNO);
    zel::test::GeneralLogReader log;
    console_->RegistConfResult();
    ASSERT_EQ(boxes_->Count(), 1u);
    const auto question = boxes_->All()[0].request;
    EXPECT_EQ(question.text, "호응도를 선택하지 않았습니다. 계속 하시겠습니까?");
    EXPECT_EQ(question.caption, "확인");
    EXPECT_EQ(question.style, platform::MB_YESNO);
    EXPECT_EQ(question.owner, FakeView::Owner());
    EXPECT_EQ(Registrations(log), 0u);
    EXPECT_EQ(console_->XanId(), "500102");
    EXPECT_EQ(view_.memoControl, "메모");

    boxes_->Push(IDYES);
    view_.memoControl = "";
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500102, "CONSULT_RESULT"), "00");
    EXPECT_EQ(Hist(500102, "COMMENT"), "");
}

TEST_F(CallResultTest, AMemoWithQuotesBackslashesAndKoreanLandsLiterally) {
    TakeCall(500103);
    const std::string memo = "고객 왈 \"It's fine\" \\ 'x' -- ; drop\\' 끝";
    view_.resultControl = 0;
    view_.memoControl = memo;
    zel::test::GeneralLogReader log;
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500103, "COMMENT"), memo);
    EXPECT_EQ(Hist(500103, "CONSULT_RESULT"), "01");
    // One update of the one row.
    EXPECT_EQ(Registrations(log), 1u);
    EXPECT_EQ(Admin().Scalar("select count(*) from TRANSFER_HIST where COMMENT is not null and "
                             "XAN_ID between 500000 and 549999"),
              "1");
}

TEST_F(CallResultTest, AMemoOverTheLimitIsCutAtACharacter) {
    TakeCall(500104);
    std::string memo;
    for (int i = 0; i < 130; ++i)
        memo += "가"; // 260 CP949 bytes
    view_.resultControl = 1;
    view_.memoControl = memo;
    console_->RegistConfResult();
    const auto stored = Hist(500104, "COMMENT");
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored, memo.substr(0, 125 * 3));
}

TEST_F(CallResultTest, AFailedRegistrationKeepsEverythingForAnotherTry) {
    TakeCall(500105);
    view_.resultControl = 3;
    view_.memoControl = "다시";
    BreakConnection();
    console_->RegistConfResult();
    const auto boxes = boxes_->All();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].request.caption, "에러");
    EXPECT_EQ(boxes[1].request.text, "등록에 실패 하였습니다.");
    EXPECT_EQ(console_->XanId(), "500105");
    EXPECT_EQ(console_->ConsultResult(), 3);
    EXPECT_EQ(console_->Memo(), "다시");

    RepairConnection();
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500105, "CONSULT_RESULT"), "04");
}

TEST_F(CallResultTest, ACallCanBeRegisteredAfterItEndedAndAfterSignOut) {
    TakeCall(500106);
    SetTransferStatus(0);
    console_->PollTransfer();
    console_->OnLogout();
    view_.resultControl = 5;
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500106, "CONSULT_RESULT"), "06");
}

TEST_F(CallResultTest, StatisticsOfADayWithoutCalls) {
    SignIn();
    EXPECT_EQ(console_->UpdateTodayStats(), 1);
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "0");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "00:00:00");
}

TEST_F(CallResultTest, StatisticsCountTheAgentsCallsOfToday) {
    AddHistory(500201, Today(), kAgentName, 100);
    AddHistory(500202, Today(), kAgentName, 25);
    AddHistory(500203, "20000101", kAgentName, 1000);     // another day
    AddHistory(500204, Today(), "이상담", 1000);          // another agent
    AddHistory(500205, Today(), kAgentName, 1000, "502"); // another service
    zel::test::GeneralLogReader log;
    EXPECT_EQ(console_->UpdateTodayStats(), 1);
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "2");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "00:02:05");
    EXPECT_TRUE(log.ContainsQuery("select count(*) CNT, sum(CONF_TIME) CONF_TIME from "
                                  "TRANSFER_HIST where SVC_ID = 501 and CONF_DT = '" +
                                  Today() + "' and AGENT_NM = '김상담'"));
}

TEST_F(CallResultTest, StatisticsOfAnAgentNameWithAQuote) {
    env_->agentName = "O'상담";
    AddHistory(500206, Today(), "O'상담", 3725);
    EXPECT_EQ(console_->UpdateTodayStats(), 1);
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "1");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "01:02:05");
}

TEST_F(CallResultTest, StatisticsAfterADatabaseErrorReadError) {
    BreakConnection();
    EXPECT_EQ(console_->UpdateTodayStats(), 0);
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "ERROR");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "ERROR");
    EXPECT_EQ(boxes_->Count(), 1u);
}

} // namespace
} // namespace contest
