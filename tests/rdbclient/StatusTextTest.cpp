// The status message is cut to fit without splitting a character.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "rdbclient/StatusText.h"

TEST(StatusTextTest, MessageIsCutToTheFieldAtACharacterAndStaysTerminated) {
    RDBStatus status;
    std::memset(&status, 'J', sizeof status);
    rdb::SetStatus(&status, 1064, "near 'x'");
    EXPECT_EQ(status.code, 1064);
    EXPECT_STREQ(status.message, "near 'x'");
    rdb::SetStatus(&status, 7, std::string(5000, 'm'));
    EXPECT_EQ(std::strlen(status.message), RDB_MESSAGE_SIZE - 1u);
    // 1003 bytes are free: one ASCII byte and 334 syllables of 3 bytes fill 1003 exactly;
    // two ASCII bytes first leave room for only 333 whole syllables.
    std::string text = "a";
    for (int i = 0; i < 400; ++i)
        text += "가";
    rdb::SetStatus(&status, 1, text);
    EXPECT_EQ(std::strlen(status.message), 1003u);
    rdb::SetStatus(&status, 1, "b" + text);
    EXPECT_EQ(std::strlen(status.message), 2u + 333 * 3);
}
