// Statement texts: quoted texts escaped for each dialect, numeric keys, the builder's forms.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "db/AgentStatements.h"
#include "db/SqlBuilder.h"
#include "db/SqlText.h"

namespace {

// The library always talks to MariaDB: a backslash is an escape there whatever CODE_INFO
// says, so it is escaped for every database type.
TEST(EscapeSqlText, QuotesBackslashesAndZerosAreEscapedForTheServer) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"김민준 a \"b\" ;-- c #d /*e*/", "김민준 a \"b\" ;-- c #d /*e*/"},
        {"it's", "it''s"},
        {"a\\b'", "a\\\\b''"},
        {"x\\", "x\\\\"},
        {"\\'", "\\\\''"},
        {"'; drop table x; --", "''; drop table x; --"},
        {std::string("a\0b", 3), "a\\0b"},
    };
    for (const auto& [text, escaped] : cases)
        EXPECT_EQ(EscapeSqlText(text), escaped) << text;
}

TEST(NumericText, KeysAreOnlyAsciiDigitsAndTextToIntIsTheStandardConversion) {
    EXPECT_TRUE(IsPlainDigits("0") && IsPlainDigits(std::string(40, '9')));
    for (const char* text : {"", " 10", "10 ", "-1", "+1", "1.5", "1e3", "0x10", "10; --", "１"})
        EXPECT_FALSE(IsPlainDigits(text)) << text;
    EXPECT_FALSE(IsPlainDigits(std::string("1\0", 2)));

    const std::pair<const char*, int> cases[] = {{"1", 1},   {"", 0},    {"abc", 0}, {"  \t2x", 2},
                                                 {"-3", -3}, {"- 4", 0}, {"1.9", 1}};
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(agentsql::TextToInt(text), expected) << text;
    EXPECT_EQ(agentsql::TextToInt("99999999999999999999"), INT_MAX);
    EXPECT_EQ(agentsql::TextToInt("-99999999999999999999"), INT_MIN);
}

// The program builds the registration's update with the builder.
TEST(SqlBuilder, UpdateHasItsBlanksIsBuiltAfreshEachTimeAndKeepsLongValuesWhole) {
    SqlBuilder update(SqlBuilder::Update);
    update.table = "T";
    update.AddString("A", "1");
    update.AddString("B", "x");
    EXPECT_EQ(update.BuildSQL(), "update T set A = '1', B = 'x'");
    update.where = "K = 1";
    // Built afresh: the where clause set after a first build counts.
    EXPECT_EQ(update.BuildSQL(), "update T set A = '1', B = 'x' where K = 1 ");

    // A cut value could split an escaped quote pair and so change the statement.
    const std::string value = std::string(5000, 'v') + "''", column(80, 'C');
    SqlBuilder longer(SqlBuilder::Update);
    longer.table = "T";
    longer.AddString(column.c_str(), value);
    EXPECT_EQ(longer.BuildSQL(), "update T set " + column + " = '" + value + "'");
}

} // namespace
