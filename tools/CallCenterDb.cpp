#include "tools/CallCenterDb.h"

#include <string>

#include "db/RecordFieldList.h"
#include "rdbclient/RDBClient.h"

namespace callcenter {

namespace {

std::string StatusText(const RDBStatus& status) {
    return "error " + std::to_string(status.code) + ": " + status.message;
}

} // namespace

CallCenterDb::~CallCenterDb() {
    if (m_handle != 0)
        RDBServerClose(m_handle);
}

bool CallCenterDb::Open(const std::string& host, const std::string& port) {
    m_handle = RDBServerOpen(host.c_str(), port.c_str());
    if (m_handle == 0) {
        // The library says why on handle 0 (an untrusted Env/, a refused server...).
        RDBStatus why{};
        std::vector<char> record(RDB_RECORD_SIZE);
        RDBQueryFirstRecord(0, kDbName, "select 1", record.data(), &why);
        m_error = "cannot connect to " + host + ":" + port + ": " + why.message;
        return false;
    }
    m_error.clear();
    return true;
}

bool CallCenterDb::Execute(const std::string& sql) {
    RDBStatus status{};
    if (RDBExecuteSQL(m_handle, m_dbName.c_str(), sql.c_str(), &status) > 0) {
        m_error.clear();
        return true;
    }
    m_error = StatusText(status) + " (" + sql + ")";
    return false;
}

int CallCenterDb::Query(const std::string& sql, std::vector<std::string>& values) {
    values.clear();
    RDBStatus status{};
    std::string record(RDB_RECORD_SIZE, '\0');
    if (RDBQueryFirstRecord(m_handle, m_dbName.c_str(), sql.c_str(), record.data(), &status) <= 0 ||
        (status.code != RDB_STATUS_RECORD && status.code != RDB_STATUS_NO_RECORD)) {
        m_error = StatusText(status) + " (" + sql + ")";
        return -1;
    }
    m_error.clear();
    if (status.code == RDB_STATUS_NO_RECORD)
        return 0;
    const RecordFieldList fields(record.c_str());
    for (std::size_t i = 0; i < fields.Count(); ++i)
        values.push_back(*fields.GetField(i));
    return 1;
}

std::string CallCenterDb::Scalar(const std::string& sql) {
    std::vector<std::string> values;
    if (Query(sql, values) != 1 || values.empty())
        return {};
    return values[0];
}

} // namespace callcenter
