// Registering a call's result, and the day's statistics.
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

std::size_t Registrations(const zel::test::GeneralLogReader& log) {
    return log.QueriesContaining("update TRANSFER_HIST set CONSULT_RESULT").size();
}

struct Registration {
    const char* name; // cppcheck-suppress unusedStructMember ; the test's name
    int grade;        // -1: none, the question answered Yes
    const char* memo;
    const char* result;
};

const Registration kRegistrations[] = {
    {"GradeAndMemo", 6, "다음 주 재연락", "07"},
    {"NoGradeEmptyMemo", -1, "", "00"},
    {"MemoEscaped", 0, "고객 왈 \"It's fine\" \\ 'x' -- ; drop\\' 끝", "01"},
};

class RegistrationTest : public ConsoleDbTest,
                         public ::testing::WithParamInterface<Registration> {};

TEST_P(RegistrationTest, WritesTheResultOnceAndClearsIt) {
    const Registration& row = GetParam();
    TakeCall(500101);
    view_.resultControl = row.grade;
    view_.memoControl = row.memo;
    zel::test::GeneralLogReader log;
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500101, "concat(CONSULT_RESULT, '/', COMMENT)"),
              std::string(row.result) + "/" + row.memo);
    EXPECT_EQ(Registrations(log), 1u);
    EXPECT_EQ(boxes_.Count(), row.grade < 0 ? 2u : 1u); // and the question of a missing grade
    EXPECT_EQ(boxes_.All().back().text, "등록 되었습니다.");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(view_.resultControl, -1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL); // the call goes on

    // A second press finds nothing to register.
    boxes_.Clear();
    console_->RegistConfResult();
    EXPECT_EQ(boxes_[0].text, "통화를 하지 않은 상태에서는 상담 결과를 등록할 수 없습니다.\r\n");
    EXPECT_EQ(Registrations(log), 1u);
}

INSTANTIATE_TEST_SUITE_P(Console, RegistrationTest, ::testing::ValuesIn(kRegistrations),
                         [](const auto& info) { return std::string(info.param.name); });

using CallResultTest = ConsoleDbTest;

TEST_F(CallResultTest, ADeclinedOrFailedRegistrationAfterTheCallAndSignOutCanBeRetried) {
    TakeCall(500105);
    SetTransferStatus(0);
    console_->PollTransfer();
    console_->OnLogout();
    view_.memoControl = "다시";
    boxes_.answers.push_back(platform::IDNO); // no grade, and not going on
    zel::test::GeneralLogReader log;
    console_->RegistConfResult();
    ASSERT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_[0].text, "호응도를 선택하지 않았습니다. 계속 하시겠습니까?");
    EXPECT_EQ(view_.memoControl, "다시");

    boxes_.Clear();
    view_.resultControl = 3;
    BreakConnection();
    console_->RegistConfResult();
    ASSERT_EQ(boxes_.Count(), 2u);
    EXPECT_EQ(boxes_[1].text, "등록에 실패 하였습니다.");
    EXPECT_EQ(Registrations(log), 0u);

    RepairConnection();
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500105, "concat(CONSULT_RESULT, '/', COMMENT)"), "04/다시");
}

TEST_F(CallResultTest, StatisticsCountTheAgentsCallsOfTodayInTheServiceOrShowAnError) {
    console_->UpdateTodayStats();
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "0");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "00:00:00");

    // Two calls count; not another day's, another agent's or another service's.
    env_->agentName = "O'상담";
    Admin().Execute(
        "set @t = '" + Today() +
        "'; insert into TRANSFER_HIST (XAN_ID, SVC_ID, CONF_DT, CONF_TIME, AGENT_NM) "
        "values (500201, 501, @t, 100, 'O''상담'), (500202, 501, @t, 3625, 'O''상담'), "
        "(500203, 501, '20000101', 1000, 'O''상담'), (500204, 501, @t, 1000, '김상담'), "
        "(500205, 502, @t, 1000, 'O''상담')");
    console_->UpdateTodayStats();
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "2");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "01:02:05");

    BreakConnection();
    console_->UpdateTodayStats();
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "ERROR");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "ERROR");
    EXPECT_EQ(boxes_.Count(), 1u);
}

} // namespace
} // namespace contest
