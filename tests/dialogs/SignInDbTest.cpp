// Sign-in attempts against the private database, one branch each: what the agent is
// told, where the focus goes, what reaches the server and what is stored.
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
    SignInFields fields;
    fields.userId = kUser;
    fields.svcId = kSvcId;
    fields.agentName = kAgent;
    fields.password = kPassword;
    fields.telNum = kTelNum;
    return fields;
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
    SignInFields fields = GoodFields();
    fields.userId = std::string(" ") + kUser + " ";
    fields.svcId = std::string("\t") + kSvcId;
    fields.agentName = std::string(kAgent) + "\r\n";
    fields.telNum = std::string("\v") + kTelNum + "\f";
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
        ASSERT_NE(at, std::string::npos) << line << " in order in\n" << file;
    }
    EXPECT_EQ(file.find("Secret"), std::string::npos) << file;
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

TEST_F(SignInDbTest, DatabaseTypeInOtherCaseKeepsTheSqlServerFormWhichThisServerRejects) {
    SetDbTypeRow("mysql");
    SignInFields fields = GoodFields();
    zel::test::GeneralLogReader log;
    const SignInOutcome outcome = RunSignIn(fields);
    EXPECT_EQ(theAgentEnv().dbType, 0);
    EXPECT_EQ(outcome.result, Result::Stopped);
    EXPECT_TRUE(outcome.message.empty());
    ExpectOneDbErrorBox(Boxes());
    EXPECT_EQ(log.QueriesContaining("collate Korean_Wansung_BIN").size(), 1u);
    EXPECT_TRUE(log.QueriesContaining("from TRANSFER_NUM_INFO where USER_ID = 'dlgtest1'").empty());
    EXPECT_TRUE(theAgentEnv().userId.empty());
}

TEST_F(SignInDbTest, MissingDatabaseTypeRowReopensTheConnectionAtEveryAttempt) {
    SetDbTypeRow("");
    SignInFields fields = GoodFields();
    for (int attempt = 0; attempt < 2; ++attempt) {
        SCOPED_TRACE(attempt);
        ClearBoxes();
        zel::test::GeneralLogReader log;
        EXPECT_EQ(RunSignIn(fields).result, Result::Stopped);
        // The SQL Server form fails on this server, on a session opened in this attempt.
        ExpectOneDbErrorBox(Boxes());
        const auto entries = log.Entries();
        const auto statement = std::find_if(entries.begin(), entries.end(), [](const auto& e) {
            return e.command == "Query" &&
                   e.argument.find("collate Korean_Wansung_BIN") != std::string::npos;
        });
        ASSERT_NE(statement, entries.end());
        EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
            return e.command == "Connect" && e.connectionId == statement->connectionId;
        }));
    }
    EXPECT_EQ(theAgentEnv().dbType, 0);
}

TEST_F(SignInDbTest, UnreachableServerEndsTheProgramBeforeAnyFieldIsChecked) {
    CTELVOAgentEnv& env = theAgentEnv();
    env.ServerClose();
    env.serverAddress = "127.0.0.2"; // nothing listens there
    env.RDBServerOpen();
    SignInFields fields; // all empty
    const SignInOutcome outcome = RunSignIn(fields);
    EXPECT_EQ(outcome.result, Result::ExitProcess);
    EXPECT_TRUE(outcome.message.empty());
    ExpectOneDbErrorBox(Boxes());
}

} // namespace
} // namespace dlgtest
