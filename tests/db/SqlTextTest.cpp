// Quoted texts escaped for each dialect, and numeric keys.
#include <gtest/gtest.h>

#include <string>

#include "db/SqlText.h"

namespace {

TEST(EscapeSqlText, MySqlAlsoEscapesBackslashesAndZerosSqlServerOnlyDoublesQuotes) {
    const struct {
        std::string text, mysql, sqlServer;
    } cases[] = {
        {"", "", ""},
        {"김민준 a \"b\" ;-- c", "김민준 a \"b\" ;-- c", "김민준 a \"b\" ;-- c"},
        {"it's", "it''s", "it''s"},
        {"a\\b'", "a\\\\b''", "a\\b''"},
        {"\\'", "\\\\''", "\\''"},
        {"'; drop table x; --", "''; drop table x; --", "''; drop table x; --"},
        {std::string("a\0b", 3), "a\\0b", std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EscapeSqlText(c.text, DB_TYPE_MYSQL), c.mysql) << c.text;
        // Every type but MySQL is SQL Server, where a backslash is an ordinary character.
        for (const int dbType : {0, 1, -1})
            EXPECT_EQ(EscapeSqlText(c.text, dbType), c.sqlServer) << c.text << "/" << dbType;
    }
}

TEST(IsPlainDigits, OnlyOneOrMoreAsciiDigits) {
    EXPECT_TRUE(IsPlainDigits("0"));
    EXPECT_TRUE(IsPlainDigits(std::string(40, '9')));
    for (const char* text : {"", " 10", "10 ", "-1", "+1", "1.5", "1e3", "0x10", "10; --", "１"})
        EXPECT_FALSE(IsPlainDigits(text)) << text;
    EXPECT_FALSE(IsPlainDigits(std::string("1\0", 2)));
}

} // namespace
