// The four exported functions: argument checks, handle look-up, and the call on the
// connection under its mutex.
#include "rdbclient/RDBClient.h"

#include <charconv>
#include <cstring>
#include <string>

#include "rdbclient/ConnectionTable.h"
#include "rdbclient/StatusText.h"

namespace {

using rdb::ConnectionTable;
using rdb::SetStatus;

// A TCP port: digits only, 1 to 65535.
bool ParsePort(const char* text, unsigned& port) {
    const char* end = text + std::strlen(text);
    const auto [stop, ec] = std::from_chars(text, end, port);
    return ec == std::errc() && stop == end && stop != text && port >= 1 && port <= 65535;
}

// The open connection of the handle, or null with the status set.
std::shared_ptr<rdb::Connection> FindConnection(int handle, RDBStatus* status) {
    std::shared_ptr<rdb::Connection> connection = ConnectionTable::Instance().Find(handle);
    if (!connection)
        SetStatus(status, RDB_ERR_BAD_HANDLE,
                  "The handle " + std::to_string(handle) + " names no open database connection.");
    return connection;
}

bool ArgumentsPresent(const char* dbName, const char* sql, RDBStatus* status) {
    if (dbName != nullptr && sql != nullptr)
        return true;
    SetStatus(status, RDB_ERR_BAD_ARGUMENT,
              dbName == nullptr ? "No database name was given." : "No SQL text was given.");
    return false;
}

} // namespace

extern "C" {

int RDBServerOpen(const char* address, const char* port) {
    unsigned portNumber = 0;
    if (address == nullptr || *address == '\0' || port == nullptr || !ParsePort(port, portNumber))
        return 0;
    std::unique_ptr<rdb::Connection> connection = rdb::Connection::Open(address, portNumber);
    if (!connection)
        return 0;
    return ConnectionTable::Instance().Add(std::move(connection));
}

int RDBServerClose(int handle) {
    const std::shared_ptr<rdb::Connection> connection = ConnectionTable::Instance().Remove(handle);
    if (!connection)
        return 0;
    // Waits for a call another thread may be running on it.
    connection->Close();
    return 1;
}

int RDBQueryFirstRecord(int handle, const char* dbName, const char* sql, char* record,
                        RDBStatus* status) {
    if (record == nullptr) {
        SetStatus(status, RDB_ERR_BAD_ARGUMENT, "No record buffer was given.");
        return 0;
    }
    record[0] = '\0';
    if (!ArgumentsPresent(dbName, sql, status))
        return 0;
    const std::shared_ptr<rdb::Connection> connection = FindConnection(handle, status);
    if (!connection)
        return 0;
    return connection->QueryFirstRecord(dbName, sql, record, status);
}

int RDBExecuteSQL(int handle, const char* dbName, const char* sql, RDBStatus* status) {
    if (!ArgumentsPresent(dbName, sql, status))
        return 0;
    const std::shared_ptr<rdb::Connection> connection = FindConnection(handle, status);
    if (!connection)
        return 0;
    return connection->Execute(dbName, sql, status);
}

} // extern "C"
