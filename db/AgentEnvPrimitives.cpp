// Connection, query and statement primitives over the client library.
#include <cstring>

#include "db/AgentEnv.h"
#include "db/AgentStatements.h"
#include "db/RecordFieldList.h"
#include "db/SqlText.h"
#include "platform/MessageBox.h"
#include "rdbclient/RDBClient.h"
#include "util/MessageBoxes.h"
#include "util/Trace.h"

namespace {

// What one query brought back: the library's result, its status and the record text.
struct QueryResult {
    int result = 0;
    RDBStatus status{};
    RecordFieldList fields;
};

QueryResult RunQuery(int connection, const std::string& dbName, const std::string& sql) {
    QueryResult query;
    char record[RDB_RECORD_SIZE] = {};
    query.result =
        RDBQueryFirstRecord(connection, dbName.c_str(), sql.c_str(), record, &query.status);
    record[sizeof record - 1] = '\0';
    query.status.message[sizeof query.status.message - 1] = '\0';
    if (query.result > 0 && query.status.code != RDB_STATUS_NO_RECORD)
        query.fields.Parse(record);
    // The library mended values it could not carry as they were: say which.
    if (query.result > 0 && query.status.code == RDB_STATUS_RECORD && query.status.message[0])
        DebugTrace("CTELVOAgentEnv::GetFirstRecord record changed: %s", query.status.message);
    return query;
}

void ShowNoDataBox() {
    platform::ShowMessageBox(
        {nullptr, "조건에 맞는 자료가 없습니다.", "에러", platform::MB_ICONERROR});
}

} // namespace

bool CTELVOAgentEnv::RDBServerOpen() {
    DebugTrace("CTELVOAgentEnv::RDBServerOpen IP(%s) PORT(%s)", serverAddress.c_str(),
               port.c_str());
    connection = ::RDBServerOpen(serverAddress.c_str(), port.c_str());
    return connection != 0;
}

int CTELVOAgentEnv::ServerClose() {
    return RDBServerClose(connection);
}

int CTELVOAgentEnv::GetFirstRecord(std::string& value, const std::string& sql,
                                   bool showNoDataMessage) {
    std::vector<std::string> values;
    const int result = GetFirstRecord(values, sql, showNoDataMessage);
    if (result == 1)
        value = values.empty() ? std::string() : values.front();
    return result;
}

int CTELVOAgentEnv::GetFirstRecord(std::vector<std::string>& values, const std::string& sql,
                                   bool showNoDataMessage) {
    DebugTrace("CTELVOAgentEnv::GetFirstRecord(%s)", sql.c_str());
    const QueryResult query = RunQuery(connection, dbName, sql);
    if (query.result <= 0) {
        ShowDBError(query.status);
        return -1;
    }
    if (query.status.code == RDB_STATUS_NO_RECORD) {
        if (showNoDataMessage)
            ShowNoDataBox();
        return 0;
    }
    if (query.status.code != RDB_STATUS_RECORD) {
        ShowDBError(query.status);
        return -1;
    }
    for (std::size_t i = 0; i < query.fields.Count(); ++i)
        values.push_back(*query.fields.GetField(i));
    return 1;
}

int CTELVOAgentEnv::ExecuteSQL(const std::string& sql) {
    RDBStatus status{};
    if (RDBExecuteSQL(connection, dbName.c_str(), sql.c_str(), &status) > 0)
        return 1;
    ShowDBError(status);
    return 0;
}

void CTELVOAgentEnv::ShowDBError(const RDBStatus& status) {
    // The message field is fixed; never read past it even when it lacks its zero.
    ShowDBErrorBox(status.code,
                   std::string(status.message, strnlen(status.message, sizeof status.message)));
}

int CTELVOAgentEnv::CheckDBType() {
    const std::string sql = agentsql::kCheckDBTypeSql;
    DebugTrace("CXANManagerEnv::CheckDBType(%s)", sql.c_str());
    const QueryResult query = RunQuery(connection, dbName, sql);
    if (query.result <= 0) {
        ShowDBError(query.status);
        return -1;
    }
    if (query.status.code == RDB_STATUS_NO_RECORD)
        return 0;
    if (query.status.code != RDB_STATUS_RECORD) {
        ShowDBError(query.status);
        return -1;
    }
    const std::string* name = query.fields.GetField(0);
    if (name != nullptr && *name == "MYSQL")
        dbType = DB_TYPE_MYSQL;
    return 1;
}
