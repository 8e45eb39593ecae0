// Test support for everything that talks to the private database server
// (scripts/db start: 127.0.0.1:8907, database NEW_XAN, account in <build>/db/client.cnf).
// A DB test derives from DbFixture, works in a TempWorkDir, sets up its own rows with
// Admin(), marks the query log with a GeneralLogReader before running the code under
// test, and checks the statements received and the rows changed. Use keys of your own
// and remove your rows: the server is shared by everyone running tests at the same time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

struct st_mysql;

namespace zel::test {

// The client.cnf with the program's account: the environment variable
// ZEL_DB_CLIENT_CNF when set, else <build>/db/client.cnf of this build folder, else
// (a private build folder without a server of its own) the one of the tree's build/.
std::string DbClientCnfPath();
// general.log next to client.cnf: every statement the private server received.
std::string GeneralLogPath();

// One value of a result: std::nullopt for SQL NULL.
using DbValue = std::optional<std::string>;
using DbRow = std::vector<DbValue>;
using DbRows = std::vector<DbRow>;

// A direct connection (MariaDB Connector/C, not rdbclient) to NEW_XAN as the program's
// account, for setting up rows and checking effects. Statements may be several,
// separated by ';'. Every SQL error is a non-fatal GoogleTest failure naming the SQL.
class AdminConnection {
  public:
    AdminConnection();
    ~AdminConnection();
    AdminConnection(const AdminConnection&) = delete;
    AdminConnection& operator=(const AdminConnection&) = delete;

    bool Ok() const { return mysql_ != nullptr; }
    // The reason of the last failure (connection or SQL); empty after success.
    const std::string& Error() const { return error_; }
    // Runs SQL and drops any rows; true when every statement ran.
    bool Execute(const std::string& sql);
    // Rows of the first result set; empty on an error.
    DbRows Query(const std::string& sql);
    // First value of the first row; std::nullopt for NULL, for no row and on an error.
    DbValue Scalar(const std::string& sql);
    // text as a quoted SQL literal, escaped for this connection.
    std::string Quote(std::string_view text) const;

  private:
    bool Run(const std::string& sql, DbRows* rows);

    st_mysql* mysql_ = nullptr; // owned
    std::string error_;
};

// Fixture of DB tests: fails the test at once with a clear message when the private
// server is not up, and offers an AdminConnection. Subclasses that override SetUp
// call DbFixture::SetUp() first.
class DbFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    AdminConnection& Admin() { return *admin_; }

  private:
    std::unique_ptr<AdminConnection> admin_;
};

// A fresh temporary folder made the working directory for the object's life, with
// Env/rdbclient.cnf copied from client.cnf (withDbCredentials) so rdbclient signs in
// as the program's account. The old working directory is restored and the folder
// removed on destruction. Not for tests that run in parallel threads of one process.
class TempWorkDir {
  public:
    explicit TempWorkDir(bool withDbCredentials = true);
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Env() const { return path_ / "Env"; }

  private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// One entry of the general query log.
struct GeneralLogEntry {
    unsigned long connectionId = 0;
    std::string command;  // "Query", "Connect", "Init DB", "Quit", ...
    std::string argument; // for "Query": the statement text
};

// Reads what the server logged after the reader was made. The server logs each
// statement as it receives it, byte for byte except that it drops white space at the
// start and white space and ';' at the end. Other users of the server log entries
// too: look for your own statements (with your own keys) rather than counting all.
class GeneralLogReader {
  public:
    GeneralLogReader(); // marks the current end of the log
    // Every complete entry written since the mark.
    std::vector<GeneralLogEntry> Entries() const;
    // The statement texts of the "Query" entries since the mark.
    std::vector<std::string> Queries() const;
    // True when one "Query" entry since the mark is exactly statement, trimmed as
    // the server trims it.
    bool ContainsQuery(std::string_view statement) const;
    // The "Query" entries since the mark that contain fragment.
    std::vector<std::string> QueriesContaining(std::string_view fragment) const;

  private:
    std::uintmax_t mark_ = 0;
};

} // namespace zel::test
