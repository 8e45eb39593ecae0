// The client library against the private server: records, no record, errors, statements and
// databases; handles, credentials, threads, timeouts and reconnection; and the status message
// cut to fit without splitting a character.
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "rdbclient/RDBClient.h"
#include "rdbclient/StatusText.h"
#include "tests/support/DbTestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

constexpr const char* kAddress = "127.0.0.1";
constexpr const char* kPort = "8907";
constexpr const char* kDb = "NEW_XAN";

struct Outcome {
    int result = 0;
    int code = 0;
    std::string message, record;
};

// The status and record are filled with junk first: the library must write them.
inline Outcome Query(int handle, const std::string& sql, const char* db = kDb,
                     bool withRecord = true) {
    char record[RDB_RECORD_SIZE];
    RDBStatus status;
    std::memset(record, 'J', sizeof record);
    std::memset(&status, 'J', sizeof status);
    Outcome out;
    out.result = withRecord ? RDBQueryFirstRecord(handle, db, sql.c_str(), record, &status)
                            : RDBExecuteSQL(handle, db, sql.c_str(), &status);
    out.code = status.code;
    out.message.assign(status.message, strnlen(status.message, sizeof status.message));
    EXPECT_LT(out.message.size(), sizeof status.message) << "message not zero-terminated";
    if (withRecord) {
        out.record.assign(record, strnlen(record, sizeof record));
        EXPECT_LT(out.record.size(), sizeof record) << "record not zero-terminated";
    }
    return out;
}
inline Outcome Execute(int handle, const std::string& sql) {
    return Query(handle, sql, kDb, false);
}

class RdbClientTest : public zel::test::DbWorkFixture {
  protected:
    void SetUp() override {
        DbWorkFixture::SetUp();
        if (HasFatalFailure())
            return;
        handle_ = RDBServerOpen(kAddress, kPort);
        ASSERT_GT(handle_, 0);
    }
    void TearDown() override {
        if (handle_ > 0)
            RDBServerClose(handle_);
        if (Admin().Ok())
            Admin().Execute("drop table if exists " + table_);
        DbWorkFixture::TearDown();
    }
    // A table name of this test process, so parallel runs never meet.
    const std::string table_ = "ZT_RDB_" + std::to_string(getpid());
    int handle_ = 0;
};

class QueryTest : public RdbClientTest {};

TEST_F(QueryTest, RecordNoRecordAndErrorsWithTheServersCodeAndMessage) {
    std::string many = "select ''"; // 2100 empty values need 4200 separator bytes
    for (int i = 1; i < 2100; ++i)
        many += ",''";
    const struct {
        std::string sql;
        const char* db;
        int code;
        std::string record;
        const char* message; // contained in the status message
    } cases[] = {
        {"select 12, NULL", kDb, RDB_STATUS_RECORD, "12:;:;", ""},
        {"select 1, 'a:b', 'c;d', ';x:', ''", kDb, RDB_STATUS_RECORD, "1:;a:b:;c;d:;;x::;:;", ""},
        {"select repeat('x', 4093)", kDb, RDB_STATUS_RECORD, std::string(4093, 'x') + ":;", ""},
        {"select CD_NM from CODE_INFO where CD_GRP = 'ZT_RDB_NONE'", kDb, RDB_STATUS_NO_RECORD, "",
         ""},
        {"set @zt_rdb = 1", kDb, RDB_STATUS_NO_RECORD, "", ""},
        {"selec 12", kDb, 1064, "", "You have an error in your SQL syntax"},
        {"select * from ZT_RDB_NO_SUCH_TABLE", kDb, 1146, "", "ZT_RDB_NO_SUCH_TABLE"},
        {"select 1", "ZT_RDB_NO_SUCH_DB", 1044, "",
         "ZT_RDB_NO_SUCH_DB"}, // no right on it, so not told it is missing
        // The separator inside a value is broken up and a zero byte becomes a blank: the
        // fields never shift, and the note names the columns mended.
        {"select 1, 'a:;b', 3", kDb, RDB_STATUS_RECORD, "1:;a: ;b:;3:;", "column 2"},
        {"select concat('a', char(0), 'b') A, 2", kDb, RDB_STATUS_RECORD, "a b:;2:;",
         "column 1 (A)"},
        {"select 'x:', ';y', ':;:;', '::;;'", kDb, RDB_STATUS_RECORD, "x::;;y:;: ;: ;:;:: ;;:;",
         "column 3 (:;:;), column 4"},
        {"select repeat(':;', 1364)", kDb, RDB_STATUS_RECORD,
         [] {
             std::string r;
             for (int i = 0; i < 1364; ++i)
                 r += ": ;";
             return r + ":;";
         }(),
         "column 1"},
        // A record that cannot be delivered whole is an error, never a cut text.
        {"select repeat(':;', 1365)", kDb, RDB_ERR_RECORD_TOO_LONG, "", "4097"}, // once mended
        {"select repeat('x', 4094)", kDb, RDB_ERR_RECORD_TOO_LONG, "", "4096"},  // no room for 0
        {"select repeat('가', 1365)", kDb, RDB_ERR_RECORD_TOO_LONG, "", "4097"}, // bytes
        {many, kDb, RDB_ERR_RECORD_TOO_LONG, "", "4200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql.substr(0, 60));
        const Outcome out = Query(handle_, c.sql, c.db);
        const bool ok = c.code == RDB_STATUS_RECORD || c.code == RDB_STATUS_NO_RECORD;
        EXPECT_EQ(out.result > 0, ok);
        EXPECT_EQ(out.code, c.code);
        EXPECT_EQ(out.record, c.record);
        EXPECT_EQ(out.message.empty(), *c.message == '\0') << out.message;
        EXPECT_NE(out.message.find(c.message), std::string::npos) << out.message;
    }
    EXPECT_EQ(Query(handle_, "select 1").record, "1:;"); // still usable
}

TEST_F(QueryTest, StatementsTakeEffectOnlyTheFirstRowIsReadAndFailuresChangeNothing) {
    const std::string name = "김민준 상담원";
    ASSERT_GT(Execute(handle_, "create table " + table_ +
                                   " (ID int primary key, NM varchar(20)) charset=utf8mb4")
                  .result,
              0);
    EXPECT_GT(
        Execute(handle_, "insert into " + table_ + " values (1,'one'),(2,'" + name + "')").result,
        0);
    EXPECT_EQ(Query(handle_, "select ID, NM from " + table_ + " order by ID desc").record,
              "2:;" + name + ":;");
    // Unread rows or an unread result set would put the session out of step.
    EXPECT_GT(Execute(handle_, "select * from " + table_).result, 0);
    EXPECT_EQ(Query(handle_, "select count(*) from " + table_).record, "2:;");
    // Stored as characters, not as bytes of another code page.
    EXPECT_EQ(Admin().Scalar("select concat(char_length(NM), NM) from " + table_ + " where ID = 2"),
              "7" + name);

    const std::pair<std::string, int> failing[] = {
        {"insert into " + table_ + " values (1, 'b')", 1062},
        {"update " + table_ + " set NM = 'x' wher ID = 1", 1064},
        // Too long for its column: refused (strict mode), not stored cut.
        {"insert into " + table_ + " values (3, '" + std::string(21, 'n') + "')", 1406},
    };
    for (const auto& [statement, code] : failing) {
        const Outcome out = Execute(handle_, statement);
        EXPECT_LE(out.result, 0) << statement;
        EXPECT_EQ(out.code, code) << out.message;
    }
    EXPECT_EQ(Query(handle_, "select group_concat(NM order by ID) from " + table_).record,
              "one," + name + ":;");

    // Every call runs in the database it names, whatever an earlier statement switched to.
    EXPECT_EQ(Query(handle_, "select database()", "information_schema").record,
              "information_schema:;");
    ASSERT_GT(Execute(handle_, "use information_schema").result, 0);
    EXPECT_EQ(Query(handle_, "select database()").record, "NEW_XAN:;");
    ASSERT_GT(Query(handle_, "use information_schema").result, 0);
    EXPECT_GT(Execute(handle_, "insert into " + table_ + " values (5, 'x')").result, 0);
}

TEST(StatusTextTest, MessageIsCutToTheFieldAtACharacterAndStaysTerminated) {
    RDBStatus status;
    std::memset(&status, 'J', sizeof status);
    rdb::SetStatus(&status, 1064, "near 'x'");
    EXPECT_TRUE(status.code == 1064 && std::string(status.message) == "near 'x'");
    rdb::SetStatus(&status, 7, std::string(5000, 'm'));
    EXPECT_EQ(std::strlen(status.message), RDB_MESSAGE_SIZE - 1u);
    // 1003 bytes are free: "a" and 334 syllables of 3 bytes fill them; "ab" leaves room for 333.
    std::string text = "a";
    for (int i = 0; i < 400; ++i)
        text += "가";
    rdb::SetStatus(&status, 1, text);
    EXPECT_EQ(std::strlen(status.message), 1003u);
    rdb::SetStatus(&status, 1, "b" + text);
    EXPECT_EQ(std::strlen(status.message), 2u + 333 * 3);
}

class HandleTest : public RdbClientTest {};

TEST_F(HandleTest, HandlesAreNeverReusedAndBadHandlesArgumentsOrPortsAreErrors) {
    const int second = RDBServerOpen(kAddress, kPort);
    ASSERT_GT(second, handle_);
    EXPECT_EQ(RDBServerClose(second), 1);
    EXPECT_EQ(RDBServerClose(second), 0);
    const int third = RDBServerOpen(kAddress, kPort);
    EXPECT_GT(third, second);
    RDBServerClose(third);
    for (const int handle : {second, 0, -1, 987654}) {
        const Outcome out = Execute(handle, "select 1");
        EXPECT_TRUE(out.result <= 0 && out.code == RDB_ERR_BAD_HANDLE);
        EXPECT_NE(out.message.find("핸들 " + std::to_string(handle) +
                                   "에 열린 데이터베이스 연결이 "
                                   "없습니다."),
                  std::string::npos);
        EXPECT_EQ(Query(handle, "select 1").code, RDB_ERR_BAD_HANDLE);
    }
    char record[RDB_RECORD_SIZE] = "junk";
    RDBStatus a{}, b{}, c{};
    EXPECT_LE(RDBQueryFirstRecord(handle_, kDb, nullptr, record, &a), 0);
    EXPECT_LE(RDBQueryFirstRecord(handle_, kDb, "select 1", nullptr, &b), 0);
    EXPECT_LE(RDBExecuteSQL(handle_, kDb, nullptr, &c), 0);
    EXPECT_TRUE(a.code == RDB_ERR_BAD_ARGUMENT && b.code == a.code && c.code == a.code);
    EXPECT_STREQ(record, "");
    EXPECT_GT(RDBExecuteSQL(handle_, kDb, "do 1", nullptr), 0); // no status record needed

    EXPECT_EQ(RDBServerOpen(nullptr, kPort), 0);
    EXPECT_EQ(RDBServerOpen("", kPort), 0);
    EXPECT_EQ(RDBServerOpen(kAddress, nullptr), 0);
    zel::test::ScratchServer unused; // not started: nobody listens on its port
    for (const std::string port : {"", "abc", "0", "70000", "89 07", "8907x", "-1"})
        EXPECT_EQ(RDBServerOpen(kAddress, port.c_str()), 0) << port;
    EXPECT_EQ(RDBServerOpen(kAddress, unused.PortText().c_str()), 0);

    // localhost goes over TCP even when the option file asks for the Unix socket, which
    // would show the host "localhost" without a port.
    std::ofstream("Env/rdbclient.cnf", std::ios::app) << "protocol=socket\n";
    const int local = RDBServerOpen("localhost", kPort);
    ASSERT_GT(local, 0);
    EXPECT_EQ(Query(local, "select host from information_schema.processlist "
                           "where id = connection_id()")
                  .record.rfind("127.0.0.1:", 0),
              0u);
    RDBServerClose(local);
}

class CredentialsTest : public zel::test::DbFixture {};

TEST_F(CredentialsTest, AccountComesFromEnvRdbclientCnfAndItsZelagentGroup) {
    zel::test::TempWorkDir work(false);
    EXPECT_EQ(RDBServerOpen(kAddress, kPort), 0); // the standard files hold no account of it
    // The agent then meets handle 0: told in Korean, with the file that is missing.
    const std::string file = (work.Env() / "rdbclient.cnf").string();
    Outcome missing = Query(0, "select 1");
    EXPECT_EQ(missing.code, RDB_ERR_BAD_HANDLE);
    EXPECT_NE(missing.message.find("핸들 0에 열린 데이터베이스 연결이 없습니다."),
              std::string::npos);
    EXPECT_NE(missing.message.find("접속 정보 파일(" + file + ")이 없습니다."), std::string::npos)
        << missing.message;
    // A file that is there but cannot be read is named too, and no other account is tried.
    std::filesystem::create_directory(work.Env() / "rdbclient.cnf");
    EXPECT_EQ(RDBServerOpen(kAddress, kPort), 0);
    EXPECT_NE(Query(0, "select 1").message.find("접속 정보 파일(" + file + ")을 읽을 수 없습니다."),
              std::string::npos);
    std::filesystem::remove(work.Env() / "rdbclient.cnf");

    // The account of client.cnf, moved to the group of its own below a wrong one for everyone.
    std::string cnf = zel::test::FileBytes(zel::test::DbClientCnfPath());
    ASSERT_NE(cnf.find("[client]"), std::string::npos);
    cnf.replace(cnf.find("[client]"), 8, "[client]\nuser=nobody-zt\npassword=x\n[zelagent]");
    ASSERT_TRUE(zel::test::WriteEnvFile(work.Env() / "rdbclient.cnf", cnf));
    const int handle = RDBServerOpen(kAddress, kPort);
    ASSERT_GT(handle, 0);
    EXPECT_EQ(Query(handle, "select current_user()").record.rfind("nobody-zt", 0),
              std::string::npos);
    RDBServerClose(handle);
    // Without a read permission (root reads anyway, so only for others).
    if (::geteuid() != 0) {
        std::filesystem::permissions(work.Env() / "rdbclient.cnf", std::filesystem::perms::none);
        EXPECT_EQ(RDBServerOpen(kAddress, kPort), 0);
        EXPECT_NE(Query(0, "select 1").message.find("을 읽을 수 없습니다."), std::string::npos);
    }
}

// Two threads of the program share one handle: every call must stay whole.
TEST_F(HandleTest, ThreadsShareOneHandleAndALongQueryTimesOutInsteadOfHanging) {
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
    EXPECT_TRUE(down.result <= 0 && down.code != 0 && !down.message.empty());
    EXPECT_LT(Seconds(Clock::now() - start).count(), 1.0); // a server that is down fails fast

    ASSERT_TRUE(server.Start(&why)) << why;
    const Outcome up = Query(handle, "select 3, database()");
    EXPECT_GT(up.result, 0) << up.code << " " << up.message;
    EXPECT_EQ(up.record, "3:;NEW_XAN:;");
    EXPECT_GT(Execute(handle, "create table ZT_RDB_AFTER (N int)").result, 0);
    RDBServerClose(handle);
}

} // namespace
