// Sign-in rules that need neither a window nor a database: limits, trimming and the
// text of the two statements.
#include <gtest/gtest.h>

#include "dialogs/SignIn.h"

namespace {

TEST(SignInLimits, CountCp949BytesSoAHangulSyllableCountsTwo) {
    EXPECT_EQ(Cp949Length("1234"), 4u);
    EXPECT_EQ(Cp949Length("김상담"), 6u);
    EXPECT_EQ(Cp949Length("a김"), 3u);
    // No CP949 form: two bytes each, like the input limit counts them.
    EXPECT_EQ(Cp949Length("a\xF0\x9F\x98\x80"), 3u);
}

TEST(SignInLimits, FirstFieldOverItsLimitInExchangeOrder) {
    SignInFields fields;
    fields.userId = std::string(300, 'u'); // no limit
    fields.svcId = "123456";
    fields.agentName = "김상담원님"; // 10 bytes
    fields.password = "0123456789";
    fields.telNum = std::string(20, '4');
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::None);

    fields.svcId = "1234567";
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::SvcId);
    fields.agentName = "김상담원님a"; // 11 bytes, exchanged before the service ID
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::AgentName);
    fields.telNum += "4";
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::TelNum);
    fields.password += "x";
    EXPECT_EQ(FirstFieldOverLimit(fields), SignInField::Password);
}

TEST(SignInLimits, MessageNamesTheLimit) {
    EXPECT_EQ(LimitMessage(6), "6 이하의 문자를 입력하십시오.");
    EXPECT_EQ(LimitMessage(20), "20 이하의 문자를 입력하십시오.");
}

TEST(SignInTrim, RemovesTheSixBlankCharactersAtBothEndsOnly) {
    EXPECT_EQ(TrimBlanks(" \t\n\r\v\fdlg test \t\n\r\v\f"), "dlg test");
    EXPECT_EQ(TrimBlanks(" \t "), "");
    EXPECT_EQ(TrimBlanks("김 상담"), "김 상담");
    // A no-break space is not one of them.
    EXPECT_EQ(TrimBlanks("\xC2\xA0x"), "\xC2\xA0x");
}

TEST(SignInStatements, PasswordStatementInTheFormOfTheDatabaseType) {
    EXPECT_EQ(PasswordStatement("kim", "김상담", 2),
              "select PASSWORD from USER_AGENT_INFO where binary USER_ID = 'kim' and "
              "AGENT_NM = '김상담' ");
    for (int dbType : {0, 1, 3})
        EXPECT_EQ(PasswordStatement("kim", "김상담", dbType),
                  "select PASSWORD from USER_AGENT_INFO where USER_ID = 'kim' and AGENT_NM = "
                  "'김상담' collate Korean_Wansung_BIN ");
}

TEST(SignInStatements, PhoneStatementIsTheSameForBothTypes) {
    const std::string expected = "select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = 'kim' "
                                 "and SVC_ID = 201 and TEL_NUM = '4201' ";
    EXPECT_EQ(PhoneStatement("kim", "201", "4201", 2), expected);
    EXPECT_EQ(PhoneStatement("kim", "201", "4201", 0), expected);
    EXPECT_EQ(PhoneStatement("kim", "201", "", 2),
              "select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = 'kim' and SVC_ID = 201 "
              "and TEL_NUM = '' ");
}

TEST(SignInStatements, QuotesInTextsCannotEndTheQuotedValue) {
    EXPECT_EQ(PasswordStatement("a' or '1'='1", "x\\'", 2),
              "select PASSWORD from USER_AGENT_INFO where binary USER_ID = 'a'' or ''1''=''1' "
              "and AGENT_NM = 'x\\\\''' ");
    EXPECT_EQ(PasswordStatement("a' --", "b", 0),
              "select PASSWORD from USER_AGENT_INFO where USER_ID = 'a'' --' and AGENT_NM = 'b' "
              "collate Korean_Wansung_BIN ");
    EXPECT_EQ(PhoneStatement("a'b", "7", "4'2", 2),
              "select TEL_NUM from TRANSFER_NUM_INFO where USER_ID = 'a''b' and SVC_ID = 7 and "
              "TEL_NUM = '4''2' ");
}

} // namespace
