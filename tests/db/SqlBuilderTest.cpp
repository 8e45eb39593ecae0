// The four statement kinds of the builder, with their edge cases.
#include <gtest/gtest.h>

#include <string>

#include "db/SqlBuilder.h"

namespace {

SqlBuilder WithTwoItems(int kind, const char* table) {
    SqlBuilder builder(kind);
    builder.table = table;
    builder.AddValue("A", "%d", 1);
    builder.AddString("B", "x");
    return builder;
}

TEST(SqlBuilder, EachKindComposesItsOwnFormWithItsBlanks) {
    EXPECT_EQ(WithTwoItems(SqlBuilder::Insert, "T").BuildSQL(),
              "insert into T ( A, B ) values ( 1, 'x' ) ");
    EXPECT_EQ(WithTwoItems(SqlBuilder::Update, "T").BuildSQL(), "update T set A = 1, B = 'x'");
    EXPECT_EQ(WithTwoItems(SqlBuilder::Call, "P").BuildSQL(), "{ call P (1, 'x') }");
    EXPECT_EQ(WithTwoItems(SqlBuilder::Execute, "P").BuildSQL(), "execute P 1, 'x'");

    SqlBuilder empty(SqlBuilder::Insert);
    empty.table = "T";
    EXPECT_EQ(empty.BuildSQL(), "insert into T (  ) values (  ) ");
    empty.kind = SqlBuilder::Update;
    empty.where = "K = 1";
    EXPECT_EQ(empty.BuildSQL(), "update T set  where K = 1 ");

    SqlBuilder suffixed = WithTwoItems(SqlBuilder::Update, "T");
    suffixed.where = "K = 1";
    suffixed.suffix = "limit 1";
    EXPECT_EQ(suffixed.BuildSQL(), "update T set A = 1, B = 'x' where K = 1 limit 1");
    suffixed.where.clear();
    EXPECT_EQ(suffixed.BuildSQL(), "update T set A = 1, B = 'x'limit 1");
}

TEST(SqlBuilder, BuiltTwiceIsTheSameTextAndLongValuesAreKeptWhole) {
    SqlBuilder builder(SqlBuilder::Update);
    builder.table = "TRANSFER_HIST";
    builder.AddString("CONSULT_RESULT", "03");
    builder.AddString("COMMENT", "상담 ''완료''");
    builder.where = "XAN_ID = 123 ";
    const std::string expected = "update TRANSFER_HIST set CONSULT_RESULT = '03', COMMENT = "
                                 "'상담 ''완료''' where XAN_ID = 123  ";
    EXPECT_EQ(builder.BuildSQL(), expected);
    EXPECT_EQ(builder.sql, expected);
    EXPECT_EQ(builder.BuildSQL(), expected); // built for the trace, then for execution

    // A cut value could split an escaped quote pair and so change the statement.
    const std::string value = std::string(5000, 'v') + "''";
    const std::string column(80, 'C');
    SqlBuilder longer(SqlBuilder::Update);
    longer.table = "T";
    longer.AddString(column.c_str(), value);
    longer.AddValue("N", "%s-%d", std::string(3000, 'n').c_str(), 7);
    EXPECT_EQ(longer.BuildSQL(), "update T set " + column + " = '" + value +
                                     "', N = " + std::string(3000, 'n') + "-7");
}

} // namespace
