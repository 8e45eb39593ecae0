// One connection to the database server over MariaDB Connector/C, with the mutex
// that serialises every call made on it.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <utility>

#include "platform/OwnFiles.h"
#include "rdbclient/RDBClient.h"

struct st_mysql;

namespace rdb {

class Connection {
  public:
    // Connects over TCP to address:port; nullptr when that fails, with why (Korean)
    // telling the reason and the credentials file it used or missed.
    static std::unique_ptr<Connection> Open(const char* address, unsigned port, std::string& why);

    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Every call below takes the connection's mutex for its whole run.
    int QueryFirstRecord(const char* dbName, const char* sql, char* record, RDBStatus* status);
    int Execute(const char* dbName, const char* sql, RDBStatus* status);
    // Ends the session; later calls report a bad handle.
    void Close();

  private:
    Connection(st_mysql* mysql, ownfiles::Fd optionFile)
        : mysql_(mysql), optionFile_(std::move(optionFile)) {}

    bool UseDatabase(const char* dbName, RDBStatus* status);
    bool Send(const char* dbName, const char* sql, RDBStatus* status);
    void DiscardResults();
    void SetServerError(RDBStatus* status);

    std::mutex mutex_;
    st_mysql* mysql_; // owned; closed by Close or the destructor
    // The credentials file the session was opened with: a reconnect reads it again.
    ownfiles::Fd optionFile_;
};

} // namespace rdb
