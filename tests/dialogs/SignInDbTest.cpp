// Sign-in attempts against the private database, one branch each: what the agent is
// told, where the focus goes, what reaches the server and what is stored.
#include <algorithm>

#include <gtest/gtest.h>

#include "db/AgentEnv.h"
#include "dialogs/SignIn.h"
#include "tests/dialogs/SignInDbFixture.h"

namespace dlgtest {
namespace {

using Result = SignInOutcome::Result;

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

TEST_F(SignInDbTest, TrimmedValuesSignInAndAreStoredWithoutThePassword) {
    SignInFields fields = GoodFields();
    fields.userId = std::string(" ") + kUser + " ";
    fields.svcId = std::string("\t") + kSvcId;
    fields.agentName = std::string(kAgent) + "\r\n";
    fields.telNum = std::string("\v") + kTelNum + "\f";
    zel::test::GeneralLogReader log;

    const SignInOutcome outcome = RunSignIn(fields);

    EXPECT_EQ(outcome.result, Result::SignedIn);
    EXPECT_TRUE(outcome.message.empty());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(log.ContainsQuery("select PASSWORD from USER_AGENT_INFO where binary USER_ID = "
                                  "'dlgtest1' and AGENT_NM = '김상담'"));
    EXPECT_TRUE(log.ContainsQuery("select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = "
                                  "'dlgtest1' and SVC_ID = 201 and TEL_NUM = '4201'"));

    const CTELVOAgentEnv& env = theAgentEnv();
    EXPECT_EQ(env.dbType, 2);
    EXPECT_EQ(env.userId, kUser);
    EXPECT_EQ(env.svcId, kSvcId);
    EXPECT_EQ(env.telNum, kTelNum);
    EXPECT_EQ(env.agentName, kAgent);
    EXPECT_EQ(env.password, kPassword);

    // Four keys in their order, CP949 on disk, and no trace of the password.
    const std::string cp949Agent = "\xB1\xE8\xBB\xF3\xB4\xE3"; // 김상담
    const std::string file = SettingsFileBytes();
    const auto user = file.find("LAST_USER_ID=dlgtest1");
    const auto svc = file.find("LAST_SVC_ID=201");
    const auto agent = file.find("LAST_AGENT_NM=" + cp949Agent);
    const auto tel = file.find("LAST_EXTENSION=4201");
    ASSERT_NE(user, std::string::npos) << file;
    ASSERT_NE(svc, std::string::npos) << file;
    ASSERT_NE(agent, std::string::npos) << file;
    ASSERT_NE(tel, std::string::npos) << file;
    EXPECT_LT(user, svc);
    EXPECT_LT(svc, agent);
    EXPECT_LT(agent, tel);
    EXPECT_EQ(file.find("Secret"), std::string::npos) << file;

    SignInFields loaded;
    loaded.password = "untouched";
    LoadLastSignIn(loaded);
    EXPECT_EQ(loaded.userId, kUser);
    EXPECT_EQ(loaded.svcId, kSvcId);
    EXPECT_EQ(loaded.agentName, kAgent);
    EXPECT_EQ(loaded.telNum, kTelNum);
    EXPECT_EQ(loaded.password, "untouched");
}

TEST_F(SignInDbTest, RefusalsTellTheAgentAndStoreNothing) {
    struct Case {
        const char* what;
        void (*change)(SignInFields&);
        const char* message;
    };
    const Case cases[] = {
        {"unknown user", [](SignInFields& f) { f.userId = "dlgtest9"; },
         "등록되지 않은 사용자 입니다."},
        {"unknown agent name", [](SignInFields& f) { f.agentName = "김상담원"; },
         "등록되지 않은 사용자 입니다."},
        {"password in other case", [](SignInFields& f) { f.password = "secret 1"; },
         "비밀번호가 일치하지 않습니다."},
        {"password with a trailing blank", [](SignInFields& f) { f.password += " "; },
         "비밀번호가 일치하지 않습니다."},
        {"unknown desk", [](SignInFields& f) { f.svcId = "202"; },
         "잘못된 서비스 ID이거나 등록되지 않은 전화번호 입니다."},
        {"empty phone number", [](SignInFields& f) { f.telNum = " "; },
         "잘못된 서비스 ID이거나 등록되지 않은 전화번호 입니다."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SignInFields fields = GoodFields();
        c.change(fields);
        ExpectInfo(RunSignIn(fields), c.message);
    }
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(SettingsFileBytes().empty());
    EXPECT_TRUE(theAgentEnv().userId.empty());
}

TEST_F(SignInDbTest, EmptyPhoneNumberIsLookedUpAsTheEmptyText) {
    SignInFields fields = GoodFields();
    fields.telNum.clear();
    zel::test::GeneralLogReader log;
    RunSignIn(fields);
    EXPECT_TRUE(log.ContainsQuery("select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = "
                                  "'dlgtest1' and SVC_ID = 201 and TEL_NUM = ''"));
}

TEST_F(SignInDbTest, EmptyFieldsAreRefusedInOrderAfterTheTypeIsLearned) {
    SignInFields fields; // all empty
    zel::test::GeneralLogReader log;
    SignInOutcome outcome = RunSignIn(fields);
    EXPECT_EQ(outcome.result, Result::Stopped);
    EXPECT_EQ(outcome.message, "사용자ID를 입력하십시오");
    EXPECT_EQ(outcome.caption, "에러");
    EXPECT_EQ(outcome.style, platform::MB_ICONERROR);
    EXPECT_EQ(outcome.focus, SignInField::UserId);
    EXPECT_TRUE(log.ContainsQuery(
        "select CD_NM from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'"));
    EXPECT_TRUE(log.QueriesContaining("USER_AGENT_INFO").empty());

    fields.userId = " \t";
    fields.svcId = "201";
    fields.agentName = kAgent;
    outcome = RunSignIn(fields);
    EXPECT_EQ(outcome.message, "사용자ID를 입력하십시오");

    fields.userId = kUser;
    fields.svcId = " ";
    EXPECT_EQ(RunSignIn(fields).focus, SignInField::SvcId);
    fields.svcId = kSvcId;
    fields.agentName = "\n";
    outcome = RunSignIn(fields);
    EXPECT_EQ(outcome.message, "상담원명을 입력하십시오");
    EXPECT_EQ(outcome.focus, SignInField::AgentName);
    fields.agentName = kAgent;
    outcome = RunSignIn(fields); // the password is empty
    EXPECT_EQ(outcome.message, "비밀번호를 입력하십시오");
    EXPECT_EQ(outcome.focus, SignInField::Password);
    fields.password = " "; // a blank password is not empty: it is compared
    ExpectInfo(RunSignIn(fields), "비밀번호가 일치하지 않습니다.");
}

TEST_F(SignInDbTest, ServiceIdThatIsNotDigitsNeverReachesTheServer) {
    SignInFields fields = GoodFields();
    fields.svcId = "201 or 1=1";
    zel::test::GeneralLogReader log;
    ExpectInfo(RunSignIn(fields), "잘못된 서비스 ID이거나 등록되지 않은 전화번호 입니다.");
    EXPECT_TRUE(log.QueriesContaining("from TRANSFER_NUM_INFO where USER_ID = 'dlgtest1'").empty());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SignInDbTest, QuoteInAUserIdStaysInsideItsText) {
    SignInFields fields = GoodFields();
    fields.userId = "dlgtest1' or '1'='1";
    ExpectInfo(RunSignIn(fields), "등록되지 않은 사용자 입니다.");

    // A real user ID with a quote signs in.
    Admin().Execute("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values "
                    "('dlg''test2', '박상담', 'pw'); insert into TRANSFER_NUM_INFO "
                    "(SVC_ID, TEL_NUM, USER_ID) values (202, '4202', 'dlg''test2')");
    fields = {"pw", "4202", "박상담", "202", "dlg'test2"};
    EXPECT_EQ(RunSignIn(fields).result, Result::SignedIn);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(theAgentEnv().userId, "dlg'test2");
}

TEST_F(SignInDbTest, DatabaseTypeInOtherCaseKeepsTheSqlServerFormWhichThisServerRejects) {
    SetDbTypeRow("mysql");
    SignInFields fields = GoodFields();
    zel::test::GeneralLogReader log;
    const SignInOutcome outcome = RunSignIn(fields);

    EXPECT_EQ(theAgentEnv().dbType, 0);
    EXPECT_EQ(outcome.result, Result::Stopped);
    EXPECT_TRUE(outcome.message.empty());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].caption, "에러");
    EXPECT_EQ(Boxes()[0].text.rfind("데이터베이스 오류입니다.\r\n오류코드:", 0), 0u);
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
        const SignInOutcome outcome = RunSignIn(fields);
        EXPECT_EQ(outcome.result, Result::Stopped);
        // The SQL Server form goes out on a new session and fails on this server.
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].caption, "에러");
        // ... on a session opened during this attempt.
        const auto entries = log.Entries();
        const auto statement = std::find_if(entries.begin(), entries.end(), [](const auto& e) {
            return e.command == "Query" &&
                   e.argument.find("collate Korean_Wansung_BIN") != std::string::npos &&
                   e.argument.find("'dlgtest1'") != std::string::npos;
        });
        ASSERT_NE(statement, entries.end());
        const bool reopened = std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
            return e.command == "Connect" && e.connectionId == statement->connectionId;
        });
        EXPECT_TRUE(reopened);
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
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].caption, "에러");
    EXPECT_EQ(Boxes()[0].style, platform::MB_ICONERROR);
    EXPECT_EQ(Boxes()[0].text.rfind("데이터베이스 오류입니다.", 0), 0u);
}

} // namespace
} // namespace dlgtest
