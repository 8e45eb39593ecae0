// The test support others build on: the admin connection and the query log.
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/DbTestSupport.h"

using namespace zel::test;

TEST_F(DbFixture, AdminConnectionAndQueryLog) {
    const DbRows rows = Admin().Query("select 1, NULL, '김민준' union all select 2, 'x', ''");
    EXPECT_EQ(rows, (DbRows{{"1", std::nullopt, "김민준"}, {"2", "x", ""}}));
    EXPECT_EQ(Admin().Scalar("select 1 from dual where 1 = 0"), std::nullopt);
    const std::string text = "it's a \\ \"quote\" 김";
    EXPECT_EQ(Admin().Scalar("select " + Admin().Quote(text)), text);
    EXPECT_NONFATAL_FAILURE(Admin().Execute("selec 1"), "selec 1");
    EXPECT_NE(Admin().Error(), "");
    // Still usable, also after a failing statement in a batch.
    EXPECT_NONFATAL_FAILURE(Admin().Execute("do 1; selec 3; do 2"), "selec 3");
    EXPECT_EQ(Admin().Scalar("select 4"), "4");

    // The query log sees the statements after its mark only.
    const std::string id = std::to_string(getpid());
    const std::string before = "select 'zt-rdb-before-" + id + "'";
    const std::string after = "select 'zt-rdb-after-" + id + "',\n  '김민준'";
    Admin().Query(before);
    GeneralLogReader log;
    Admin().Query(after + "  ;  ");
    EXPECT_TRUE(log.ContainsQuery(after + " "));
    EXPECT_FALSE(log.ContainsQuery(before));
    EXPECT_EQ(log.QueriesContaining("zt-rdb-after-" + id).size(), 1u);
    const auto entries = log.Entries();
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [&](const GeneralLogEntry& e) {
        return e.command == "Query" && e.argument == after && e.connectionId > 0;
    }));
}
