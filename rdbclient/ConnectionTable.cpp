#include "rdbclient/ConnectionTable.h"

#include <climits>

namespace rdb {

ConnectionTable& ConnectionTable::Instance() {
    // Deliberately never destroyed (see the header).
    static ConnectionTable* const table = new ConnectionTable();
    return *table;
}

int ConnectionTable::Add(std::shared_ptr<Connection> connection) {
    std::lock_guard lock(mutex_);
    if (lastHandle_ == INT_MAX)
        return 0;
    const int handle = ++lastHandle_;
    connections_.emplace(handle, std::move(connection));
    return handle;
}

std::shared_ptr<Connection> ConnectionTable::Find(int handle) {
    std::lock_guard lock(mutex_);
    const auto it = connections_.find(handle);
    return it == connections_.end() ? nullptr : it->second;
}

std::shared_ptr<Connection> ConnectionTable::Remove(int handle) {
    std::lock_guard lock(mutex_);
    const auto it = connections_.find(handle);
    if (it == connections_.end())
        return nullptr;
    std::shared_ptr<Connection> connection = std::move(it->second);
    connections_.erase(it);
    return connection;
}

} // namespace rdb
