// Sign-in statements without window or database.
#include <gtest/gtest.h>

#include "dialogs/SignIn.h"

namespace {

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
