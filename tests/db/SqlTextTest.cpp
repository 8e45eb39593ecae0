// Quoted texts escaped for each dialect, and numeric keys.
#include <gtest/gtest.h>

#include <string>

#include "db/SqlText.h"

namespace {

constexpr int kSqlServer = 0;

TEST(EscapeSqlText, OrdinaryTextsAreUnchangedInBothDialects) {
    for (const char* text : {"", "2001", "agent01", "김민준", "a \"b\" ;-- c"}) {
        EXPECT_EQ(EscapeSqlText(text, DB_TYPE_MYSQL), text);
        EXPECT_EQ(EscapeSqlText(text, kSqlServer), text);
    }
}

TEST(EscapeSqlText, MySqlDoublesQuotesAndEscapesBackslashes) {
    EXPECT_EQ(EscapeSqlText("it's", DB_TYPE_MYSQL), "it''s");
    EXPECT_EQ(EscapeSqlText("a\\b", DB_TYPE_MYSQL), "a\\\\b");
    EXPECT_EQ(EscapeSqlText("\\'", DB_TYPE_MYSQL), "\\\\''");
    EXPECT_EQ(EscapeSqlText("'; drop table x; --", DB_TYPE_MYSQL), "''; drop table x; --");
    EXPECT_EQ(EscapeSqlText(std::string("a\0b", 3), DB_TYPE_MYSQL), "a\\0b");
}

TEST(EscapeSqlText, SqlServerDoublesQuotesOnly) {
    // Every type but MySQL is SQL Server, where a backslash is an ordinary character.
    for (const int dbType : {0, 1, 3, -1}) {
        EXPECT_EQ(EscapeSqlText("it's", dbType), "it''s");
        EXPECT_EQ(EscapeSqlText("a\\b'", dbType), "a\\b''");
    }
}

TEST(IsPlainDigits, OnlyOneOrMoreAsciiDigits) {
    EXPECT_TRUE(IsPlainDigits("0"));
    EXPECT_TRUE(IsPlainDigits("0123456789"));
    EXPECT_TRUE(IsPlainDigits(std::string(40, '9')));
    for (const char* text : {"", " 10", "10 ", "-1", "+1", "1.5", "1e3", "0x10", "10; --", "１"})
        EXPECT_FALSE(IsPlainDigits(text)) << text;
    EXPECT_FALSE(IsPlainDigits(std::string("1\0", 2)));
}

} // namespace
