// Sign-in attempts against the private database: messages, focus, queries, stored values.
#include <algorithm>
#include <tuple>

#include <gtest/gtest.h>

#include "db/AgentEnv.h"
#include "dialogs/SignIn.h"
#include "tests/dialogs/SignInDbFixture.h"

namespace dlgtest {
namespace {

using Result = SignInOutcome::Result;
constexpr const char* kUnknownUser = "등록되지 않은 사용자 입니다.";
constexpr const char* kWrongPassword = "비밀번호가 일치하지 않습니다.";
constexpr const char* kUnknownDesk = "잘못된 서비스 ID이거나 등록되지 않은 전화번호 입니다.";

SignInFields GoodFields() {
    return {kPassword, kTelNum, kAgent, kSvcId, kUser}; // password, phone, agent, service, user
}

void ExpectInfo(const SignInOutcome& outcome, const char* message) {
    EXPECT_EQ(outcome.result, Result::Stopped);
    EXPECT_EQ(outcome.message, message);
    EXPECT_EQ(outcome.caption, "알림");
    EXPECT_EQ(outcome.style, platform::MB_ICONINFORMATION);
}

// The database error box of a statement the server refused or could not take.
void ExpectOneDbErrorBox(const std::vector<platform::MessageBoxRequest>& boxes) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "에러");
    EXPECT_EQ(boxes[0].style, platform::MB_ICONERROR);
    EXPECT_EQ(boxes[0].text.rfind("데이터베이스 오류입니다.", 0), 0u);
}

TEST_F(SignInDbTest, TrimmedValuesSignInAndAreStoredWithoutThePassword) {
    SignInFields fields{kPassword, "\v4201\f", std::string(kAgent) + "\r\n", "\t201", " dlgtest1 "};
    zel::test::GeneralLogReader log;
    EXPECT_EQ(RunSignIn(fields).result, Result::SignedIn);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(log.ContainsQuery("select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = "
                                  "'dlgtest1' and SVC_ID = 201 and TEL_NUM = '4201'"));
    const CTELVOAgentEnv& env = theAgentEnv();
    EXPECT_EQ(env.dbType, 2);
    EXPECT_EQ(env.userId + "|" + env.svcId + "|" + env.agentName + "|" + env.telNum + "|" +
                  env.password,
              std::string(kUser) + "|" + kSvcId + "|" + kAgent + "|" + kTelNum + "|" + kPassword);

    // Four keys in their order, CP949 on disk, and no trace of the password.
    const std::string file = SettingsFileBytes();
    std::size_t at = 0;
    for (const std::string line :
         {"LAST_USER_ID=dlgtest1", "LAST_SVC_ID=201", "LAST_AGENT_NM=\xB1\xE8\xBB\xF3\xB4\xE3",
          "LAST_EXTENSION=4201"}) {
        at = file.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << " in\n" << file;
    }
    EXPECT_EQ(file.find("Secret"), std::string::npos);
    SignInFields loaded;
    loaded.password = "untouched";
    LoadLastSignIn(loaded);
    EXPECT_EQ(loaded.agentName, kAgent);
    EXPECT_EQ(loaded.password, "untouched");
}

TEST_F(SignInDbTest, RefusalsTellTheAgentAndStoreNothing) {
    struct Case {
        const char* what;
        void (*change)(SignInFields&);
        const char* message;
    };
    const Case cases[] = {
        {"unknown user", [](SignInFields& f) { f.userId = "dlgtest9"; }, kUnknownUser},
        {"unknown agent name", [](SignInFields& f) { f.agentName = "김상담원"; }, kUnknownUser},
        {"quote in the user ID", [](SignInFields& f) { f.userId = "dlgtest1' or '1'='1"; },
         kUnknownUser},
        {"password in other case", [](SignInFields& f) { f.password = "secret 1"; },
         kWrongPassword},
        {"password with a trailing blank", [](SignInFields& f) { f.password += " "; },
         kWrongPassword},
        {"unknown desk", [](SignInFields& f) { f.svcId = "202"; }, kUnknownDesk},
        {"blank phone number", [](SignInFields& f) { f.telNum = " "; }, kUnknownDesk},
        {"service ID not digits", [](SignInFields& f) { f.svcId = "201 or 1=1"; }, kUnknownDesk},
    };
    zel::test::GeneralLogReader log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SignInFields fields = GoodFields();
        c.change(fields);
        ExpectInfo(RunSignIn(fields), c.message);
    }
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(SettingsFileBytes().empty());
    EXPECT_TRUE(theAgentEnv().userId.empty());
    // The blank phone number is looked up as the empty text; the other ID never goes out.
    EXPECT_TRUE(log.ContainsQuery("select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = "
                                  "'dlgtest1' and SVC_ID = 201 and TEL_NUM = ''"));
    EXPECT_TRUE(log.QueriesContaining("1=1").empty());
}

TEST_F(SignInDbTest, EmptyFieldsAreRefusedInOrderAfterTheTypeIsLearned) {
    SignInFields fields; // all empty
    zel::test::GeneralLogReader log;
    const SignInOutcome outcome = RunSignIn(fields);
    EXPECT_EQ(outcome.result, Result::Stopped);
    EXPECT_EQ(outcome.message, "사용자ID를 입력하십시오");
    EXPECT_EQ(outcome.caption, "에러");
    EXPECT_EQ(outcome.style, platform::MB_ICONERROR);
    EXPECT_EQ(outcome.focus, SignInField::UserId);
    EXPECT_TRUE(log.ContainsQuery(
        "select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'"));
    EXPECT_TRUE(log.QueriesContaining("USER_AGENT_INFO").empty());
    // Blanks only are empty too, but for the password: a blank password is compared.
    const std::tuple<std::string SignInFields::*, const char*, const char*, SignInField> empty[] = {
        {&SignInFields::svcId, " ", "서비스ID를 입력하십시오", SignInField::SvcId},
        {&SignInFields::agentName, "\n", "상담원명을 입력하십시오", SignInField::AgentName},
        {&SignInFields::password, "", "비밀번호를 입력하십시오", SignInField::Password},
    };
    for (const auto& [member, text, message, focus] : empty) {
        fields = GoodFields();
        fields.*member = text;
        const SignInOutcome refused = RunSignIn(fields);
        EXPECT_EQ(refused.message, message);
        EXPECT_EQ(refused.focus, focus);
    }
    fields.password = " ";
    ExpectInfo(RunSignIn(fields), kWrongPassword);
}

// Any database type but MYSQL keeps the SQL Server form, which this server rejects; a
// missing row makes every attempt open a new session.
TEST_F(SignInDbTest, DatabaseTypeInOtherCaseOrMissingKeepsTheSqlServerForm) {
    for (const char* row : {"mysql", "", ""}) {
        SCOPED_TRACE(row);
        SetDbTypeRow(row);
        ClearBoxes();
        zel::test::GeneralLogReader log;
        SignInFields fields = GoodFields();
        EXPECT_EQ(RunSignIn(fields).result, Result::Stopped);
        EXPECT_EQ(theAgentEnv().dbType, 0);
        ExpectOneDbErrorBox(Boxes());
        const auto entries = log.Entries();
        const auto statement = std::find_if(entries.begin(), entries.end(), [](const auto& e) {
            return e.command == "Query" &&
                   e.argument.find("collate Korean_Wansung_BIN") != std::string::npos;
        });
        ASSERT_NE(statement, entries.end());
        EXPECT_EQ(*row == '\0', std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
            return e.command == "Connect" && e.connectionId == statement->connectionId;
        }));
    }
    EXPECT_TRUE(theAgentEnv().userId.empty());
}

} // namespace
} // namespace dlgtest
