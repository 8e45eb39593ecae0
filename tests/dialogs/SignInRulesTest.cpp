// Sign-in rules without window or database: limits and the two statements.
#include <gtest/gtest.h>

#include "dialogs/SignIn.h"

namespace {

TEST(SignInLimits, FirstFieldOverItsLimitAndTheMessage) {
    // At their limits (the user ID has none): password, phone, agent name, service ID, user.
    SignInFields fields{"0123456789", std::string(20, '4'), "김상담원님", "123456",
                        std::string(300, 'u')};
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::None);
    // One over in each, in the order the fields are exchanged.
    fields.svcId += "7";
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::SvcId);
    fields.agentName += "a";
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::AgentName);
    fields.telNum += "4";
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::TelNum);
    fields.password += "x";
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::Password);

    EXPECT_EQ(LimitMessage(6), "6 이하의 문자를 입력하십시오.");
}

// The form follows the database type; the escaping follows the server (MariaDB), where
// a final backslash would otherwise end the quoted text.
TEST(SignInStatements, FormOfTheDatabaseTypeWithQuotesAndBackslashesKeptInsideTheirText) {
    EXPECT_EQ(PasswordStatement("a' or '1'='1", "x\\'", 2),
              "select PASSWORD from USER_AGENT_INFO where binary USER_ID = 'a'' or ''1''=''1' "
              "and AGENT_NM = 'x\\\\''' ");
    for (int dbType : {0, 1, 3})
        EXPECT_EQ(PasswordStatement("x\\", "or 1#", dbType),
                  "select PASSWORD from USER_AGENT_INFO where USER_ID = 'x\\\\' and AGENT_NM = "
                  "'or 1#' collate Korean_Wansung_BIN ");
    EXPECT_EQ(PhoneStatement("a\\", "7", "4'2"),
              "select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = 'a\\\\' and SVC_ID = 7 and "
              "TEL_NUM = '4''2' ");
}

} // namespace
