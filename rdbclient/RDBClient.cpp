// The four exported functions: argument checks, handle look-up, and the call on the
// connection under its mutex.
#include "rdbclient/RDBClient.h"

#include <charconv>
#include <cstring>
#include <mutex>
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

// Why the last open failed, for the calls a caller then makes on handle 0.
std::mutex lastOpenMutex;
std::string lastOpenFailure;

void SetLastOpenFailure(std::string why) {
    const std::lock_guard lock(lastOpenMutex);
    lastOpenFailure = std::move(why);
}

// The open connection of the handle, or null with the status set.
std::shared_ptr<rdb::Connection> FindConnection(int handle, RDBStatus* status) {
    std::shared_ptr<rdb::Connection> connection = ConnectionTable::Instance().Find(handle);
    if (connection)
        return connection;
    std::string message =
        "핸들 " + std::to_string(handle) + "에 열린 데이터베이스 연결이 없습니다.";
    if (handle == 0) {
        const std::lock_guard lock(lastOpenMutex);
        if (!lastOpenFailure.empty())
            message += " " + lastOpenFailure;
    }
    SetStatus(status, RDB_ERR_BAD_HANDLE, message);
    return nullptr;
}

bool ArgumentsPresent(const char* dbName, const char* sql, RDBStatus* status) {
    if (dbName != nullptr && sql != nullptr)
        return true;
    SetStatus(status, RDB_ERR_BAD_ARGUMENT,
              dbName == nullptr ? "데이터베이스 이름이 없습니다." : "SQL 문이 없습니다.");
    return false;
}

} // namespace

extern "C" {

int RDBServerOpen(const char* address, const char* port) {
    unsigned portNumber = 0;
    if (address == nullptr || *address == '\0') {
        SetLastOpenFailure("서버 주소가 설정되지 않았습니다.");
        return 0;
    }
    if (port == nullptr || !ParsePort(port, portNumber)) {
        SetLastOpenFailure("포트 번호가 올바르지 않습니다.");
        return 0;
    }
    std::string why;
    std::unique_ptr<rdb::Connection> connection = rdb::Connection::Open(address, portNumber, why);
    if (!connection) {
        SetLastOpenFailure(std::move(why));
        return 0;
    }
    const int handle = ConnectionTable::Instance().Add(std::move(connection));
    SetLastOpenFailure(handle == 0 ? "연결 핸들을 더 만들 수 없습니다." : "");
    return handle;
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
        SetStatus(status, RDB_ERR_BAD_ARGUMENT, "레코드 버퍼가 없습니다.");
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
