// Registering a call's result, and the day's statistics.
#include "tests/console/ConsoleTestSupport.h"

namespace contest {
namespace {

using platform::IDNO;
using platform::IDYES;

std::size_t Registrations(const zel::test::GeneralLogReader& log) {
    return log.QueriesContaining("update TRANSFER_HIST set CONSULT_RESULT").size();
}

std::string Syllables(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "가"; // two CP949 bytes each
    return text;
}

struct Registration {
    const char* name;
    int grade; // -1: none, the question answered Yes
    std::string memo;
    const char* result;
    std::string comment;
};

const Registration kRegistrations[] = {
    {"GradeAndMemo", 6, "다음 주 재연락", "07", "다음 주 재연락"},
    {"NoGradeEmptyMemo", -1, "", "00", ""},
    {"MemoEscaped", 0, "고객 왈 \"It's fine\" \\ 'x' -- ; drop\\' 끝", "01",
     "고객 왈 \"It's fine\" \\ 'x' -- ; drop\\' 끝"},
    {"MemoCutAtACharacter", 1, Syllables(130), "02", Syllables(125)},
};

void PrintTo(const Registration& row, std::ostream* os) {
    *os << row.name;
}

class RegistrationTest : public ConsoleDbTest,
                         public ::testing::WithParamInterface<Registration> {};

TEST_P(RegistrationTest, WritesTheResultOnceAndClearsIt) {
    const Registration& row = GetParam();
    TakeCall(500101);
    view_.resultControl = row.grade;
    view_.memoControl = row.memo;
    zel::test::GeneralLogReader log;
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500101, "CONSULT_RESULT"), row.result);
    EXPECT_EQ(Hist(500101, "COMMENT"), row.comment);
    EXPECT_EQ(Registrations(log), 1u);
    ASSERT_EQ(boxes_.Count(), row.grade < 0 ? 2u : 1u);
    if (row.grade < 0) {
        EXPECT_EQ(boxes_.Text(0), "호응도를 선택하지 않았습니다. 계속 하시겠습니까?");
    }
    EXPECT_EQ(boxes_.All().back().request.text, "등록 되었습니다.");
    EXPECT_EQ(view_.memoControl, "");
    EXPECT_EQ(view_.resultControl, -1);
    EXPECT_EQ(console_->AgentMode(), AGENT_MODE_INCALL); // the call goes on

    // A second press finds nothing to register.
    boxes_.Clear();
    console_->RegistConfResult();
    EXPECT_EQ(boxes_.Text(0), "통화를 하지 않은 상태에서는 상담 결과를 등록할 수 없습니다.\r\n");
    EXPECT_EQ(Registrations(log), 1u);
}

INSTANTIATE_TEST_SUITE_P(Console, RegistrationTest, ::testing::ValuesIn(kRegistrations),
                         [](const auto& info) { return std::string(info.param.name); });

using CallResultTest = ConsoleDbTest;

TEST_F(CallResultTest, NoToTheMissingGradeQuestionWritesNothing) {
    TakeCall(500102);
    view_.memoControl = "메모";
    boxes_.answers.push_back(IDNO);
    zel::test::GeneralLogReader log;
    console_->RegistConfResult();
    ASSERT_EQ(boxes_.Count(), 1u);
    EXPECT_EQ(boxes_.All()[0].request.style, platform::MB_YESNO);
    EXPECT_EQ(Registrations(log), 0u);
    EXPECT_EQ(console_->XanId(), "500102");
    EXPECT_EQ(view_.memoControl, "메모");
}

TEST_F(CallResultTest, AFailedRegistrationAfterTheCallAndSignOutCanBeRetried) {
    TakeCall(500105);
    SetTransferStatus(0);
    console_->PollTransfer();
    console_->OnLogout();
    view_.resultControl = 3;
    view_.memoControl = "다시";
    BreakConnection();
    console_->RegistConfResult();
    ASSERT_EQ(boxes_.Count(), 2u);
    EXPECT_EQ(boxes_.All()[0].request.caption, "에러");
    EXPECT_EQ(boxes_.Text(1), "등록에 실패 하였습니다.");
    EXPECT_EQ(console_->XanId(), "500105");
    EXPECT_EQ(console_->ConsultResult(), 3);
    EXPECT_EQ(console_->Memo(), "다시");

    RepairConnection();
    console_->RegistConfResult();
    EXPECT_EQ(Hist(500105, "CONSULT_RESULT"), "04");
    EXPECT_EQ(Hist(500105, "COMMENT"), "다시");
}

TEST_F(CallResultTest, StatisticsOfADayWithoutCallsAndAfterADatabaseError) {
    EXPECT_EQ(console_->UpdateTodayStats(), 1);
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "0");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "00:00:00");
    BreakConnection();
    EXPECT_EQ(console_->UpdateTodayStats(), 0);
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "ERROR");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "ERROR");
    EXPECT_EQ(boxes_.Count(), 1u);
}

TEST_F(CallResultTest, StatisticsCountOnlyTheAgentsCallsOfTodayInTheService) {
    env_->agentName = "O'상담";
    const std::string today = Today();
    Admin().Execute("insert into TRANSFER_HIST (XAN_ID, SVC_ID, CONF_DT, CONF_TIME, AGENT_NM) "
                    "values (500201, 501, '" +
                    today +
                    "', 100, 'O''상담'), "
                    "(500202, 501, '" +
                    today +
                    "', 3625, 'O''상담'), "
                    "(500203, 501, '20000101', 1000, 'O''상담'), " // another day
                    "(500204, 501, '" +
                    today +
                    "', 1000, '김상담'), " // another agent
                    "(500205, 502, '" +
                    today + "', 1000, 'O''상담')"); // another service
    EXPECT_EQ(console_->UpdateTodayStats(), 1);
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_COUNT), "2");
    EXPECT_EQ(view_.Text(IDC_STATIC_TODAY_TIME), "01:02:05");
}

} // namespace
} // namespace contest
