// Test support for the private database server (scripts/db start: 127.0.0.1:8907, NEW_XAN).
// The server is shared by concurrent test runs: use keys of your own and remove your rows.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <sys/types.h>

struct st_mysql;

namespace zel::test {

// $ZEL_DB_CLIENT_CNF, else <build>/db/client.cnf, else the one of the tree's build/.
std::string DbClientCnfPath();

using DbValue = std::optional<std::string>; // std::nullopt for SQL NULL

// A direct connection to NEW_XAN as the program's account. SQL may hold several statements;
// every SQL error is a non-fatal test failure naming the SQL.
class AdminConnection {
  public:
    AdminConnection();
    ~AdminConnection();
    AdminConnection(const AdminConnection&) = delete;
    AdminConnection& operator=(const AdminConnection&) = delete;

    bool Ok() const { return mysql_ != nullptr; }
    const std::string& Error() const { return error_; }
    bool Execute(const std::string& sql) { return Run(sql, nullptr); }
    DbValue Scalar(const std::string& sql);         // first value of the first row
    std::string Quote(std::string_view text) const; // a quoted, escaped SQL literal

  private:
    bool Run(const std::string& sql, DbValue* first);

    st_mysql* mysql_ = nullptr;
    std::string error_;
};

// Sets the CODE_INFO database-type row to value, or deletes it when value is empty.
void SetDbTypeRow(AdminConnection& admin, const std::string& value);
// A sign-in account and its desk (SVC_ID svcId, TEL_NUM telNum, USER_ID userId).
void AddAgentAndDesk(AdminConnection& admin, std::string_view userId, std::string_view agentName,
                     std::string_view password, std::string_view svcId, std::string_view telNum);

// Fails the test at once when the private server is not up. Overriding SetUps call it first.
// The statements of OwnRows, which remove the fixture's own rows, run once the server is
// there and again at tear-down, after a failed test too.
class DbFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    virtual std::string OwnRows() const { return {}; }
    AdminConnection& Admin() { return *admin_; }

  private:
    std::unique_ptr<AdminConnection> admin_;
};

// Writes a file of Env/ as the program accepts it: the user's own, mode 0600 (the
// credentials file may be read by no one else). False when it could not be written.
bool WriteEnvFile(const std::filesystem::path& path, std::string_view content);
// The file's bytes; empty when it cannot be read.
std::string FileBytes(const std::filesystem::path& path);

// A fresh temporary working directory for the object's life, with Env/ (mode 0700) and
// Env/rdbclient.cnf copied from client.cnf when withDbCredentials.
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

// A DbFixture whose test runs in a fresh working folder with the credentials; work_ is
// set only when the server was there, so tear-down can tell how far set-up got.
class DbWorkFixture : public DbFixture {
  protected:
    void SetUp() override {
        DbFixture::SetUp();
        if (!HasFatalFailure())
            work_ = std::make_unique<TempWorkDir>();
    }
    void TearDown() override {
        work_.reset();
        DbFixture::TearDown();
    }
    std::unique_ptr<TempWorkDir> work_;
};

struct GeneralLogEntry {
    unsigned long connectionId = 0;
    std::string command;  // "Query", "Connect", "Quit", ...
    std::string argument; // for "Query": the statement text
};

// What the server's general.log (next to client.cnf) got after the reader was made. Others
// use the server too: look for statements with your own keys rather than counting all.
// An absence means something only while the server logs: a missing log fails the test,
// and so does a read that does not find the statement it sends first (its connection is
// left out of the entries).
class GeneralLogReader {
  public:
    GeneralLogReader(); // marks the current end of the log
    std::vector<GeneralLogEntry> Entries() const;
    // One query is exactly statement, trimmed of blanks and a final ';' as the server logs it.
    bool ContainsQuery(std::string_view statement) const;
    std::vector<std::string> QueriesContaining(std::string_view fragment) const;

  private:
    std::vector<GeneralLogEntry> ReadFromMark() const;

    std::uintmax_t mark_ = 0;
    mutable std::unique_ptr<AdminConnection> probe_; // opened at the first read
};

// A throw-away server for tests that stop and start a server under an open connection: a
// fresh data folder, a free port of 127.0.0.1, no grant tables, an empty NEW_XAN. The object
// stops it and removes the folder.
class ScratchServer {
  public:
    ScratchServer(); // picks a port and a folder; does not start
    ~ScratchServer();
    ScratchServer(const ScratchServer&) = delete;
    ScratchServer& operator=(const ScratchServer&) = delete;

    // Starts the server and waits until it accepts connections; false and *why when not.
    bool Start(std::string* why);
    void Stop(); // SIGTERM, and waits until it has gone
    std::string PortText() const { return std::to_string(port_); }

  private:
    std::filesystem::path dir_;
    unsigned port_ = 0;
    pid_t pid_ = -1;
};

} // namespace zel::test
