// Sign-in passwords kept as one-way hashes beside rows not yet converted: every mix of
// stored form, typed password and the operator's switch, and the call-centre tool's
// passwd and hash-passwords against the private server.
#include <gtest/gtest.h>
#include <sodium.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "db/AgentEnv.h"
#include "db/PasswordCheck.h"
#include "dialogs/SignIn.h"
#include "tests/security/SecurityDbFixture.h"

namespace sectest {
namespace {

constexpr const char* kUser = "sectest9";
constexpr const char* kAgent = "김해시";
constexpr const char* kPassword = "비번 9x";
constexpr const char* kSvcId = "879";
constexpr const char* kTelNum = "8799";

class PasswordSecurityTest : public SecurityDbTest {
  protected:
    void SetUp() override {
        SecurityDbTest::SetUp();
        if (HasFatalFailure())
            return;
        CTELVOAgentEnv& env = theAgentEnv();
        env.serverAddress = "127.0.0.1";
        ASSERT_TRUE(env.RDBServerOpen());
    }
    void TearDown() override {
        if (work_)
            SetSwitch("");
        theAgentEnv().ServerClose();
        theAgentEnv().connection = 0;
        SecurityDbTest::TearDown();
    }

    void SetSwitch(const std::string& value) {
        Admin().Execute("delete from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and "
                        "CD_ID = 'PLAIN_PASSWORD'");
        if (!value.empty())
            Admin().Execute("insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values "
                            "('SYSTEM_VALUE', 'PLAIN_PASSWORD', " +
                            Admin().Quote(value) + ")");
    }
    std::string Stored(const std::string& userId) {
        return Admin()
            .Scalar("select PASSWORD from USER_AGENT_INFO where USER_ID = " + Admin().Quote(userId))
            .value_or("");
    }
    // The sign-in's outcome: "" when signed in, else the box's text.
    std::string SignIn(const std::string& password) {
        SignInFields fields{password, kTelNum, kAgent, kSvcId, kUser};
        const SignInOutcome outcome = RunSignIn(fields);
        return outcome.result == SignInOutcome::Result::SignedIn ? "" : outcome.message;
    }
    // Runs the call-centre tool with its account, standard input from input; its status.
    static int Tool(const std::string& arguments, const std::string& input) {
        const std::string command = std::string("'" ZEL_CALLCENTER "' --cnf '") +
                                    zel::test::DbClientCnfPath() + "' " + arguments +
                                    " >/dev/null 2>&1";
        FILE* pipe = ::popen(command.c_str(), "w");
        if (pipe == nullptr)
            return -1;
        std::fputs(input.c_str(), pipe);
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(PasswordSecurityTest, EveryMixOfStoredFormTypedPasswordAndSwitch) {
    // The cheapest parameters: the string carries them, so the sign-in verifies it the
    // same way as one of HashPassword's, only faster.
    char cheap[crypto_pwhash_STRBYTES];
    ASSERT_EQ(crypto_pwhash_str(cheap, kPassword, std::strlen(kPassword),
                                crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN),
              0);
    const std::string hash = cheap;
    ASSERT_TRUE(IsPasswordHash(hash)) << hash;
    const std::string wrong = "비번 9X";
    for (const bool hashed : {false, true}) {
        Admin().Execute("delete from USER_AGENT_INFO where USER_ID = 'sectest9'; "
                        "delete from TRANSFER_NUM_INFO where SVC_ID = 879");
        zel::test::AddAgentAndDesk(Admin(), kUser, kAgent, hashed ? hash : kPassword, kSvcId,
                                   kTelNum);
        for (const char* switchValue : {"", "Y", " n "}) {
            SetSwitch(switchValue);
            const bool plainOff = std::string(switchValue).find_first_of("Nn") != std::string::npos;
            SCOPED_TRACE(std::string(hashed ? "hash" : "plain") + ", switch '" + switchValue + "'");
            EXPECT_EQ(SignIn(wrong), "비밀번호가 일치하지 않습니다.");
            EXPECT_EQ(SignIn(hash), "비밀번호가 일치하지 않습니다."); // the hash is no password
            EXPECT_EQ(SignIn(kPassword), hashed || !plainOff ? "" : kPlainPasswordRefused);
        }
    }
    // A plain password that only begins like a hash is still compared as plain; a hash
    // cut short opens nothing.
    EXPECT_TRUE(PasswordMatches("$argon2id$", "$argon2id$"));
    EXPECT_FALSE(PasswordMatches(hash.substr(0, hash.size() - 1), kPassword));
}

TEST_F(PasswordSecurityTest, ToolStoresAHashFromStandardInputAndConvertsEveryPlainRowAtOnce) {
    zel::test::AddAgentAndDesk(Admin(), kUser, kAgent, "old", kSvcId, kTelNum);
    // The password comes from standard input, never from the command line.
    EXPECT_EQ(Tool(std::string("passwd --user ") + kUser + " --agent " + kAgent,
                   std::string(kPassword) + "\n"),
              0);
    EXPECT_TRUE(IsPasswordHash(Stored(kUser)));
    EXPECT_EQ(SignIn(kPassword), "");
    EXPECT_EQ(SignIn("old"), "비밀번호가 일치하지 않습니다.");
    const std::string before = Stored(kUser);
    for (const std::string& refused :
         {std::string(""), std::string(11, 'x'), std::string("한글여섯자다")})
        EXPECT_EQ(
            Tool(std::string("passwd --user ") + kUser + " --agent " + kAgent, refused + "\n"), 2)
            << refused;
    EXPECT_EQ(Tool("passwd --user sectest-none --agent x", "pw\n"), 1);
    EXPECT_EQ(Stored(kUser), before);

    // Plain rows with texts that escaping or the record text could change on the way.
    const std::string plain[] = {"a'b\\c", "x:;y", "가나다", "$argon2id$"};
    for (std::size_t i = 0; i < std::size(plain); ++i)
        Admin().Execute("insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values "
                        "('sectest9" +
                        std::to_string(i) + "', 'n', " + Admin().Quote(plain[i]) + ")");
    EXPECT_EQ(Tool("hash-passwords", ""), 0);
    for (std::size_t i = 0; i < std::size(plain); ++i) {
        const std::string stored = Stored("sectest9" + std::to_string(i));
        EXPECT_TRUE(IsPasswordHash(stored)) << plain[i];
        EXPECT_TRUE(PasswordMatches(stored, plain[i])) << plain[i];
    }
    EXPECT_EQ(Stored(kUser), before); // a hash stays as it was
    EXPECT_EQ(Admin()
                  .Scalar("select count(*) from USER_AGENT_INFO where PASSWORD not like "
                          "'$argon2id$%'")
                  .value_or("?"),
              "0");
}

} // namespace
} // namespace sectest
