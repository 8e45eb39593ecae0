// The test support others build on: admin connection, working folder, query log.
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "tests/support/DbTestSupport.h"

using namespace zel::test;

class AdminConnectionTest : public DbFixture {};

TEST_F(AdminConnectionTest, QueryGivesRowsWithNullsAndUtf8Text) {
    const DbRows rows = Admin().Query("select 1, NULL, '김민준' union all select 2, 'x', ''");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (DbRow{"1", std::nullopt, "김민준"}));
    EXPECT_EQ(rows[1], (DbRow{"2", "x", ""}));
    EXPECT_EQ(Admin().Scalar("select NULL"), std::nullopt);
    EXPECT_EQ(Admin().Scalar("select 1 from dual where 1 = 0"), std::nullopt);
    EXPECT_EQ(Admin().Scalar("select database()"), "NEW_XAN");
}

TEST_F(AdminConnectionTest, SeveralStatementsRunInOneCallAndAffectedRowsCount) {
    const std::string table = "ZT_RDB_SUPPORT_" + std::to_string(getpid());
    ASSERT_TRUE(Admin().Execute("create table " + table + " (N int); insert into " + table +
                                " values (1),(2),(3); update " + table + " set N = N + 10"));
    EXPECT_EQ(Admin().AffectedRows(), 3u);
    EXPECT_EQ(Admin().Scalar("select sum(N) from " + table), "36");
    Admin().Execute("drop table " + table);
}

TEST_F(AdminConnectionTest, FailedSqlIsReportedWithItsTextOrOnlyReturned) {
    EXPECT_NONFATAL_FAILURE(Admin().Execute("selec 1"), "selec 1");
    EXPECT_FALSE(Admin().TryExecute("selec 2"));
    EXPECT_EQ(Admin().ErrorCode(), 1064u);
    EXPECT_NE(Admin().Error(), "");
    // The connection is still usable, also after a failing statement in a batch.
    EXPECT_FALSE(Admin().TryExecute("do 1; selec 3; do 2"));
    EXPECT_EQ(Admin().Scalar("select 4"), "4");
    EXPECT_EQ(Admin().ErrorCode(), 0u);
}

TEST_F(AdminConnectionTest, QuoteMakesAnyTextASafeLiteral) {
    const std::string text = "it's a \\ \"quote\" 김";
    EXPECT_EQ(Admin().Scalar("select " + Admin().Quote(text)), text);
}

class GeneralLogTest : public DbFixture {};

TEST_F(GeneralLogTest, SeesStatementsAfterItsMarkOnly) {
    const std::string before = "select 'zt-rdb-before-" + std::to_string(getpid()) + "'";
    const std::string after = "select 'zt-rdb-after-" + std::to_string(getpid()) + "',\n  '김민준'";
    Admin().Query(before);
    GeneralLogReader log;
    Admin().Query(after + "  ;  ");
    EXPECT_TRUE(log.ContainsQuery(after));
    EXPECT_TRUE(log.ContainsQuery(after + " ")); // the server drops trailing blanks
    EXPECT_FALSE(log.ContainsQuery(before));
    EXPECT_EQ(log.QueriesContaining("zt-rdb-after-" + std::to_string(getpid())).size(), 1u);
    bool sawQueryEntry = false;
    for (const GeneralLogEntry& entry : log.Entries())
        if (entry.command == "Query" && entry.argument == after)
            sawQueryEntry = entry.connectionId > 0;
    EXPECT_TRUE(sawQueryEntry);
}

TEST(TempWorkDirTest, MakesAFreshFolderWithCredentialsAndRestoresTheOldOne) {
    const auto old = std::filesystem::current_path();
    std::filesystem::path made;
    {
        TempWorkDir work;
        made = work.Path();
        EXPECT_EQ(std::filesystem::current_path(), made);
        EXPECT_TRUE(std::filesystem::is_regular_file("Env/rdbclient.cnf"));
        std::ofstream("left-over.txt") << "x";
    }
    EXPECT_EQ(std::filesystem::current_path(), old);
    EXPECT_FALSE(std::filesystem::exists(made));

    TempWorkDir bare(false);
    EXPECT_TRUE(std::filesystem::is_directory(bare.Env()));
    EXPECT_FALSE(std::filesystem::exists(bare.Env() / "rdbclient.cnf"));
}
