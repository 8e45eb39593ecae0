// Hostile texts typed into every sign-in field, under every database-type row: nothing
// signs in that should not, every statement keeps its shape on the server, nothing is
// written, and a text over its limit is stopped by the limit message.
#include <gtest/gtest.h>

#include "db/AgentEnv.h"
#include "dialogs/SignIn.h"
#include "tests/security/SecurityDbFixture.h"
#include "util/Cp949.h"

namespace sectest {
namespace {

constexpr const char* kUser = "sectest1";
constexpr const char* kAgent = "김보안";
constexpr const char* kPassword = "Pw 1";
constexpr const char* kSvcId = "871";
constexpr const char* kTelNum = "8701";

class SignInSecurityTest : public SecurityDbTest {
  protected:
    void SetUp() override {
        SecurityDbTest::SetUp();
        if (HasFatalFailure())
            return;
        zel::test::AddAgentAndDesk(Admin(), kUser, kAgent, kPassword, kSvcId, kTelNum);
        CTELVOAgentEnv& env = theAgentEnv();
        env.serverAddress = "127.0.0.1";
        ASSERT_TRUE(env.RDBServerOpen());
    }
    void TearDown() override {
        theAgentEnv().ServerClose();
        theAgentEnv().connection = 0;
        theAgentEnv().dbType = 0;
        SecurityDbTest::TearDown();
    }

    // One attempt as the dialog makes it: the limits first, then the sign-in.
    SignInOutcome::Result Attempt(SignInFields& fields, const std::string& dbTypeRow) {
        SetDbTypeRow(dbTypeRow);
        theAgentEnv().dbType = 0;
        const SignInField over = FirstFieldOverLimit(fields);
        if (over != SignInField::None)
            return SignInOutcome::Result::Stopped;
        return RunSignIn(fields).result;
    }

    // The statements the sign-in may send with these (trimmed) fields.
    static std::vector<StatementForm> Forms(const SignInFields& f) {
        return {
            {ParseSql(PasswordStatement("u", "a", 0)).shape, {f.userId, f.agentName}},
            {ParseSql(PasswordStatement("u", "a", 2)).shape, {f.userId, f.agentName}},
            {ParseSql(PhoneStatement("u", f.svcId, "t")).shape, {f.userId, f.telNum}},
        };
    }
};

std::string& Field(SignInFields& f, SignInField which) {
    switch (which) {
    case SignInField::Password:
        return f.password;
    case SignInField::TelNum:
        return f.telNum;
    case SignInField::AgentName:
        return f.agentName;
    case SignInField::SvcId:
        return f.svcId;
    default:
        return f.userId;
    }
}

TEST_F(SignInSecurityTest, HostileTextInAnyFieldNeverSignsInNorChangesARow) {
    const std::string before = Digest();
    const SignInField fields[] = {SignInField::UserId, SignInField::SvcId, SignInField::AgentName,
                                  SignInField::Password, SignInField::TelNum};
    int n = 0;
    for (const char* row : kDbTypeRows) {
        for (const SignInField which : fields) {
            for (const std::string& text : HostileTexts()) {
                const std::string marker = "zq" + std::to_string(++n) + "q";
                SCOPED_TRACE(marker + " db type '" + row + "' field " +
                             std::to_string(static_cast<int>(which)) + ": " + text);
                SignInFields f{kPassword, kTelNum, kAgent, kSvcId, kUser};
                Field(f, which) = marker + text;
                zel::test::GeneralLogReader log;
                const SignInOutcome::Result result = Attempt(f, row);
                EXPECT_EQ(result, SignInOutcome::Result::Stopped);
                const std::size_t limit = SignInFieldLimit(which);
                if (limit != 0 && cp949::LimitLength(marker + text) > limit) {
                    // Over its limit: the limit message, and nothing reaches the server.
                    EXPECT_EQ(FirstFieldOverLimit(f), which);
                    EXPECT_TRUE(log.QueriesContaining(marker).empty());
                    continue;
                }
                // The password is compared here, never sent.
                if (which == SignInField::Password) {
                    EXPECT_TRUE(log.QueriesContaining(marker).empty());
                }
                ExpectOnlyForms(log, marker, Forms(f));
            }
        }
    }
    SetDbTypeRow("MYSQL"); // as it was for the first digest
    EXPECT_EQ(Digest(), before);
    EXPECT_FALSE(std::filesystem::exists(work_->Env() / "ZELAgent.INI"));
    EXPECT_TRUE(theAgentEnv().userId.empty());
}

// A backslash at the end of the user ID once ended its quoted text on this server when
// CODE_INFO did not say MYSQL exactly; "or 1#" then opened any account.
TEST_F(SignInSecurityTest, ABackslashNeverOpensAnotherAccountWhateverTheDatabaseType) {
    Admin().Execute("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values "
                    "('sectest2\\\\', 'or 1#', 'Other 2')");
    // What an open condition would hand back first: the password the attacker tries.
    const std::string first =
        Admin().Scalar("select PASSWORD from USER_AGENT_INFO limit 1").value_or("");
    for (const char* row : kDbTypeRows) {
        SCOPED_TRACE(std::string("db type '") + row + "'");
        for (const std::string& password : {first, std::string(kPassword)}) {
            SignInFields f{password, "or 1#", "or 1#", kSvcId, "x\\"};
            zel::test::GeneralLogReader log;
            EXPECT_EQ(Attempt(f, row), SignInOutcome::Result::Stopped);
            ExpectOnlyForms(log, "or 1#", Forms(f));
        }
        // The account whose ID ends in a backslash is still found, with its own password,
        // where the server takes the statement form at all: then only its desk is missing.
        SetDbTypeRow(row);
        SignInFields own{"Other 2", kTelNum, "or 1#", kSvcId, "sectest2\\"};
        const SignInOutcome outcome = RunSignIn(own);
        EXPECT_EQ(outcome.result, SignInOutcome::Result::Stopped);
        if (std::string(row) == "MYSQL") {
            EXPECT_EQ(outcome.message, "잘못된 서비스 ID이거나 등록되지 않은 전화번호 입니다.");
        }
    }
    EXPECT_TRUE(theAgentEnv().userId.empty());
}

} // namespace
} // namespace sectest
