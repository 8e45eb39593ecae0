// Opening and closing connections, handles, credentials, threads, timeouts and reconnection.
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "tests/rdbclient/RdbTestSupport.h"
#include "tests/support/ScratchServer.h"

using namespace rdbtest;
using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

class HandleTest : public RdbClientTest {};

TEST_F(HandleTest, HandlesAreNeverReusedAndBadHandlesOrArgumentsAreErrors) {
    const int second = RDBServerOpen(kAddress, kPort);
    ASSERT_GT(second, handle_);
    EXPECT_EQ(RDBServerClose(second), 1);
    EXPECT_EQ(RDBServerClose(second), 0);
    const int third = RDBServerOpen(kAddress, kPort);
    EXPECT_GT(third, second);
    RDBServerClose(third);
    for (const int handle : {second, 0, -1, 987654}) {
        EXPECT_EQ(Query(handle, "select 1").code, RDB_ERR_BAD_HANDLE);
        const Outcome out = Execute(handle, "select 1");
        EXPECT_LE(out.result, 0);
        EXPECT_EQ(out.code, RDB_ERR_BAD_HANDLE);
        EXPECT_NE(out.message, "");
    }

    // Null texts or record; no status record is needed.
    char record[RDB_RECORD_SIZE] = "junk";
    RDBStatus a{}, b{}, c{};
    EXPECT_LE(RDBQueryFirstRecord(handle_, kDb, nullptr, record, &a), 0);
    EXPECT_LE(RDBQueryFirstRecord(handle_, kDb, "select 1", nullptr, &b), 0);
    EXPECT_LE(RDBExecuteSQL(handle_, kDb, nullptr, &c), 0);
    EXPECT_TRUE(a.code == RDB_ERR_BAD_ARGUMENT && b.code == a.code && c.code == a.code);
    EXPECT_STREQ(record, "");
    EXPECT_GT(RDBExecuteSQL(handle_, kDb, "do 1", nullptr), 0);
}

TEST_F(HandleTest, LocalhostIsReachedOverTcpWhateverTheOptionFileSays) {
    for (const char* extra : {"", "protocol=socket\n"}) {
        std::ofstream("Env/rdbclient.cnf", std::ios::app) << extra;
        const int handle = RDBServerOpen("localhost", kPort);
        ASSERT_GT(handle, 0) << "with " << extra;
        // A Unix-socket session would show the host "localhost" without a port.
        const Outcome out = Query(handle, "select host from information_schema.processlist "
                                          "where id = connection_id()");
        EXPECT_EQ(out.record.rfind("127.0.0.1:", 0), 0u) << out.record;
        RDBServerClose(handle);
    }
}

TEST(OpenTest, BadTextsOrAClosedPortGiveNoHandle) {
    zel::test::TempWorkDir work;
    EXPECT_EQ(RDBServerOpen(nullptr, kPort), 0);
    EXPECT_EQ(RDBServerOpen("", kPort), 0);
    EXPECT_EQ(RDBServerOpen(kAddress, nullptr), 0);
    for (const char* port : {"", "abc", "0", "70000", "89 07", "8907x", "-1"})
        EXPECT_EQ(RDBServerOpen(kAddress, port), 0) << port;
    zel::test::ScratchServer unused; // not started: nobody listens on its port
    EXPECT_EQ(RDBServerOpen(kAddress, unused.PortText().c_str()), 0);
}

class CredentialsTest : public zel::test::DbFixture {};

TEST_F(CredentialsTest, AccountComesFromEnvRdbclientCnfAndItsZelagentGroup) {
    zel::test::TempWorkDir work(false);
    // The standard option files hold no account of the private server.
    EXPECT_EQ(RDBServerOpen(kAddress, kPort), 0);

    std::ifstream in(zel::test::DbClientCnfPath());
    std::string line, user, password;
    while (std::getline(in, line)) {
        if (line.rfind("user=", 0) == 0)
            user = line.substr(5);
        if (line.rfind("password=", 0) == 0)
            password = line.substr(9);
    }
    ASSERT_FALSE(user.empty());
    std::ofstream(work.Env() / "rdbclient.cnf")
        << "[client]\nuser=nobody-zt\n[zelagent]\nuser=" << user << "\npassword=" << password
        << "\n";
    const int handle = RDBServerOpen(kAddress, kPort);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(Query(handle, "select current_user()").record.rfind(user + "@", 0), 0u);
    RDBServerClose(handle);
}

// Two threads of the program share one handle: every call must stay whole.
TEST_F(HandleTest, ThreadsShareOneHandle) {
    std::atomic<int> wrong{0};
    auto worker = [&](int id) {
        for (int i = 0; i < 300; ++i) {
            const std::string a = std::to_string(id), b = std::to_string(i);
            if (Query(handle_, "select " + a + ", " + b).record != a + ":;" + b + ":;")
                ++wrong;
        }
    };
    std::thread a(worker, 1), b(worker, 2);
    a.join();
    b.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(HandleTest, QueryRunningLongerThanTheReadTimeoutFailsInsteadOfHanging) {
    const auto start = Clock::now();
    const Outcome out = Query(handle_, "select sleep(8)");
    EXPECT_LT(Seconds(Clock::now() - start).count(), 7.5);
    EXPECT_LE(out.result, 0);
    EXPECT_EQ(out.code, 2013) << out.message;            // lost connection during the query
    EXPECT_EQ(Query(handle_, "select 1").record, "1:;"); // a new session by itself
}

// A second server of the test's own: stopped and started under an open handle.
TEST(ReconnectTest, QueryAfterTheServerRestartedSucceeds) {
    zel::test::TempWorkDir work;
    zel::test::ScratchServer server;
    std::string why;
    ASSERT_TRUE(server.Start(&why)) << why;
    const int handle = RDBServerOpen(kAddress, server.PortText().c_str());
    ASSERT_GT(handle, 0);
    ASSERT_EQ(Query(handle, "select 1").record, "1:;");

    server.Stop();
    const auto start = Clock::now();
    const Outcome down = Query(handle, "select 2");
    EXPECT_LE(down.result, 0);
    EXPECT_NE(down.code, 0);
    EXPECT_NE(down.message, "");
    EXPECT_LT(Seconds(Clock::now() - start).count(), 1.0); // a server that is down fails fast

    ASSERT_TRUE(server.Start(&why)) << why;
    const Outcome up = Query(handle, "select 3, database()");
    EXPECT_GT(up.result, 0) << up.code << " " << up.message;
    EXPECT_EQ(up.record, "3:;NEW_XAN:;");
    EXPECT_GT(Execute(handle, "create table ZT_RDB_AFTER (N int)").result, 0);
    RDBServerClose(handle);
}
