// The process-wide table of open connections, indexed by handle.
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "rdbclient/Connection.h"

namespace rdb {

class ConnectionTable {
  public:
    // The one table of the process; it lives until the process ends, so a thread
    // still inside a call at exit never meets a destroyed table.
    static ConnectionTable& Instance();

    // Stores the connection under a new handle (never reused); 0 when none is left.
    int Add(std::shared_ptr<Connection> connection);
    // The connection of the handle, or nullptr.
    std::shared_ptr<Connection> Find(int handle);
    // Takes the connection out of the table; nullptr when the handle was not open.
    std::shared_ptr<Connection> Remove(int handle);

  private:
    ConnectionTable() = default;

    std::mutex mutex_;
    std::map<int, std::shared_ptr<Connection>> connections_;
    int lastHandle_ = 0;
};

} // namespace rdb
