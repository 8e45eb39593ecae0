// Sign-in attempts against the private database: messages, focus, queries, stored values.
#include <gtest/gtest.h>

#include "dialogs/SignIn.h"
#include "tests/dialogs/SignInDbFixture.h"

namespace dlgtest {
namespace {

using Result = SignInOutcome::Result;

// The checks run on the trimmed values (the password as typed); storing them is the
// dialog's next step.
TEST_F(SignInDbTest, TrimmedValuesSignIn) {
    SignInFields fields{kPassword, "\v4201\f", std::string(kAgent) + "\r\n", "\t201", " dlgtest1 "};
    zel::test::GeneralLogReader log;
    EXPECT_EQ(RunSignIn(fields).result, Result::SignedIn);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(log.ContainsQuery("select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = "
                                  "'dlgtest1' and SVC_ID = 201 and TEL_NUM = '4201'"));
    EXPECT_EQ(theAgentEnv().dbType, 2);
    EXPECT_EQ(fields.userId + "|" + fields.svcId + "|" + fields.agentName + "|" + fields.telNum,
              std::string(kUser) + "|" + kSvcId + "|" + kAgent + "|" + kTelNum);
}

// Wrong values are told as information; empty ones (blanks only count as empty, but for
// the password) as errors that put the focus in the field.
TEST_F(SignInDbTest, RefusalsTellTheAgentAndStoreNothing) {
    const char* const unknownUser = "등록되지 않은 사용자 입니다.";
    const char* const wrongPassword = "비밀번호가 일치하지 않습니다.";
    const char* const unknownDesk = "잘못된 서비스 ID이거나 등록되지 않은 전화번호 입니다.";
    struct Case {
        const char* what;
        void (*change)(SignInFields&);
        const char* message;
        SignInField focus = SignInField::None;
    };
    const Case cases[] = {
        {"unknown user", [](SignInFields& f) { f.userId = "dlgtest9"; }, unknownUser},
        {"unknown agent name", [](SignInFields& f) { f.agentName = "김상담원"; }, unknownUser},
        {"quote in the user ID", [](SignInFields& f) { f.userId = "dlgtest1' or '1'='1"; },
         unknownUser},
        {"password in other case", [](SignInFields& f) { f.password = "secret 1"; }, wrongPassword},
        {"password with a trailing blank", [](SignInFields& f) { f.password += " "; },
         wrongPassword},
        {"blank password", [](SignInFields& f) { f.password = " "; }, wrongPassword},
        {"unknown desk", [](SignInFields& f) { f.svcId = "202"; }, unknownDesk},
        {"blank phone number", [](SignInFields& f) { f.telNum = " "; }, unknownDesk},
        {"service ID not digits", [](SignInFields& f) { f.svcId = "201 or 1=1"; }, unknownDesk},
        {"all empty", [](SignInFields& f) { f = {}; }, "사용자ID를 입력하십시오",
         SignInField::UserId},
        {"blank service ID", [](SignInFields& f) { f.svcId = " "; }, "서비스ID를 입력하십시오",
         SignInField::SvcId},
        {"blank agent name", [](SignInFields& f) { f.agentName = "\n"; }, "상담원명을 입력하십시오",
         SignInField::AgentName},
        {"empty password", [](SignInFields& f) { f.password.clear(); }, "비밀번호를 입력하십시오",
         SignInField::Password},
    };
    zel::test::GeneralLogReader log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SignInFields fields{kPassword, kTelNum, kAgent, kSvcId, kUser};
        c.change(fields);
        const SignInOutcome outcome = RunSignIn(fields);
        const bool info = c.focus == SignInField::None;
        EXPECT_EQ(outcome.result, Result::Stopped);
        EXPECT_EQ(outcome.message, c.message);
        EXPECT_EQ(outcome.caption, info ? "알림" : "에러");
        EXPECT_EQ(outcome.style, info ? platform::MB_ICONINFORMATION : platform::MB_ICONERROR);
        EXPECT_EQ(outcome.focus, c.focus);
    }
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(SettingsFileBytes().empty());
    EXPECT_TRUE(theAgentEnv().userId.empty());
    // The blank phone number is looked up as the empty text; the other ID never goes out.
    EXPECT_TRUE(log.ContainsQuery("select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = "
                                  "'dlgtest1' and SVC_ID = 201 and TEL_NUM = ''"));
    EXPECT_TRUE(log.QueriesContaining("1=1").empty());
}

// Any database type but MYSQL keeps the SQL Server form, which this server rejects.
TEST_F(SignInDbTest, DatabaseTypeInOtherCaseOrMissingKeepsTheSqlServerForm) {
    for (const char* row : {"mysql", ""}) {
        SCOPED_TRACE(row);
        SetDbTypeRow(row);
        boxes_.clear();
        zel::test::GeneralLogReader log;
        SignInFields fields{kPassword, kTelNum, kAgent, kSvcId, kUser};
        EXPECT_EQ(RunSignIn(fields).result, Result::Stopped);
        // The SQL Server form went out: MySQL was not learnt from the row.
        EXPECT_FALSE(log.QueriesContaining("collate Korean_Wansung_BIN").empty());
        ASSERT_EQ(boxes_.size(), 1u); // the database error of the rejected statement
        EXPECT_EQ(boxes_[0].caption, "에러");
        EXPECT_EQ(boxes_[0].style, platform::MB_ICONERROR);
        EXPECT_EQ(boxes_[0].text.rfind("데이터베이스 오류입니다.", 0), 0u);
    }
    EXPECT_TRUE(theAgentEnv().userId.empty());
}

} // namespace
} // namespace dlgtest
