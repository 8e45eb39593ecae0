#include "rdbclient/Connection.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <strings.h>
#include <vector>

#include <mysql.h>

#include "rdbclient/RecordText.h"
#include "rdbclient/StatusText.h"

namespace rdb {

namespace {

constexpr unsigned kConnectTimeoutSeconds = 3;
constexpr unsigned kReadTimeoutSeconds = 5;
constexpr unsigned kWriteTimeoutSeconds = 5;
constexpr const char* kOptionFile = "Env/rdbclient.cnf";
constexpr const char* kOptionGroup = "zelagent";
constexpr const char* kCharset = "utf8mb4";

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
}

// The credentials file of the working directory, by its absolute path.
struct OptionFile {
    std::string path;
    bool exists = false;
    bool readable = false;
};

OptionFile LocalOptionFile() {
    OptionFile file;
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(kOptionFile, ec);
    file.path = ec ? std::string(kOptionFile) : path.string();
    file.exists = std::filesystem::exists(path, ec);
    if (file.exists && std::filesystem::is_regular_file(path, ec)) {
        std::ifstream probe(path);
        file.readable = probe.good();
    }
    return file;
}

void SetOptions(MYSQL* mysql, const OptionFile& optionFile) {
    const unsigned protocol = MYSQL_PROTOCOL_TCP;
    const my_bool reconnect = 1;
    mysql_optionsv(mysql, MYSQL_OPT_PROTOCOL, &protocol);
    mysql_optionsv(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &kConnectTimeoutSeconds);
    mysql_optionsv(mysql, MYSQL_OPT_READ_TIMEOUT, &kReadTimeoutSeconds);
    mysql_optionsv(mysql, MYSQL_OPT_WRITE_TIMEOUT, &kWriteTimeoutSeconds);
    mysql_optionsv(mysql, MYSQL_OPT_RECONNECT, &reconnect);
    mysql_optionsv(mysql, MYSQL_SET_CHARSET_NAME, kCharset);
    if (optionFile.readable)
        mysql_optionsv(mysql, MYSQL_READ_DEFAULT_FILE, optionFile.path.c_str());
    // Also reads [client]; without a file of our own, from the standard option files.
    mysql_optionsv(mysql, MYSQL_READ_DEFAULT_GROUP, kOptionGroup);
}

} // namespace

std::unique_ptr<Connection> Connection::Open(const char* address, unsigned port, std::string& why) {
    InitLibraryOnce();
    const OptionFile optionFile = LocalOptionFile();
    // A credentials file that is there but cannot be read is a mistake to show, not a
    // reason to try the accounts of other files.
    if (optionFile.exists && !optionFile.readable) {
        why = "접속 정보 파일(" + optionFile.path + ")을 읽을 수 없습니다.";
        return nullptr;
    }
    MYSQL* mysql = mysql_init(nullptr);
    if (mysql == nullptr) {
        why = "메모리가 부족하여 연결을 준비할 수 없습니다.";
        return nullptr;
    }
    SetOptions(mysql, optionFile);
    // The client library takes "localhost" for its Unix socket whenever an option file
    // sets "protocol" (it reads that key as a number, so "protocol=tcp" counts as
    // "default"). Named by its address, the loopback interface is always reached over TCP.
    if (strcasecmp(address, "localhost") == 0)
        address = "127.0.0.1";
    // User and password come from the option files; no database yet: every call names one.
    if (mysql_real_connect(mysql, address, nullptr, nullptr, nullptr, port, nullptr, 0) ==
        nullptr) {
        why = "서버(" + std::string(address) + ":" + std::to_string(port) +
              ")에 연결할 수 없습니다. 오류 " + std::to_string(mysql_errno(mysql)) + ": " +
              mysql_error(mysql);
        why += optionFile.exists ? " (접속 정보 파일: " + optionFile.path + ")"
                                 : " (접속 정보 파일(" + optionFile.path + ")이 없습니다.)";
        mysql_close(mysql);
        return nullptr;
    }
    // An option file may name another character set; the texts are UTF-8 regardless.
    if (std::strcmp(mysql_character_set_name(mysql), kCharset) != 0 &&
        mysql_set_character_set(mysql, kCharset) != 0) {
        why = std::string("문자 집합 ") + kCharset + "을 쓸 수 없습니다: " + mysql_error(mysql);
        mysql_close(mysql);
        return nullptr;
    }
    return std::unique_ptr<Connection>(new Connection(mysql));
}

Connection::~Connection() {
    if (mysql_ != nullptr)
        mysql_close(mysql_);
}

void Connection::Close() {
    std::lock_guard lock(mutex_);
    if (mysql_ != nullptr)
        mysql_close(mysql_);
    mysql_ = nullptr;
}

void Connection::SetServerError(RDBStatus* status) {
    SetStatus(status, static_cast<int>(mysql_errno(mysql_)), mysql_error(mysql_));
}

bool Connection::UseDatabase(const char* dbName, RDBStatus* status) {
    // The client library follows the session's current database through the
    // server's schema notifications, also when a statement ran "use".
    const char* current = nullptr;
    if (mariadb_get_infov(mysql_, MARIADB_CONNECTION_SCHEMA, &current) == 0 && current != nullptr &&
        std::strcmp(current, dbName) == 0)
        return true;
    if (mysql_select_db(mysql_, dbName) == 0)
        return true;
    SetServerError(status);
    return false;
}

bool Connection::Send(const char* dbName, const char* sql, RDBStatus* status) {
    if (mysql_ == nullptr) {
        SetStatus(status, RDB_ERR_BAD_HANDLE, "데이터베이스 연결이 닫혔습니다.");
        return false;
    }
    if (!UseDatabase(dbName, status))
        return false;
    if (mysql_real_query(mysql_, sql, std::strlen(sql)) != 0) {
        SetServerError(status);
        return false;
    }
    return true;
}

// Reads and drops every further result (a procedure call may return several), so
// the session is ready for the next command.
void Connection::DiscardResults() {
    while (mysql_more_results(mysql_) && mysql_next_result(mysql_) == 0) {
        if (MYSQL_RES* extra = mysql_use_result(mysql_))
            mysql_free_result(extra);
    }
}

int Connection::QueryFirstRecord(const char* dbName, const char* sql, char* record,
                                 RDBStatus* status) {
    std::lock_guard lock(mutex_);
    if (!Send(dbName, sql, status))
        return 0;
    MYSQL_RES* result = mysql_use_result(mysql_);
    if (result == nullptr) {
        if (mysql_field_count(mysql_) != 0) { // a result set was due but could not be read
            SetServerError(status);
            DiscardResults();
            return 0;
        }
        DiscardResults();
        SetStatus(status, RDB_STATUS_NO_RECORD, "");
        return 1;
    }
    MYSQL_ROW row = mysql_fetch_row(result);
    int outcome = 1;
    if (row == nullptr) {
        if (mysql_errno(mysql_) != 0) {
            SetServerError(status);
            outcome = 0;
        } else {
            SetStatus(status, RDB_STATUS_NO_RECORD, "");
        }
    } else {
        const unsigned count = mysql_num_fields(result);
        const unsigned long* lengths = mysql_fetch_lengths(result);
        const MYSQL_FIELD* fields = mysql_fetch_fields(result);
        std::vector<ColumnValue> values;
        values.reserve(count);
        for (unsigned i = 0; i < count; ++i)
            values.push_back({std::string_view(fields[i].name, fields[i].name_length), row[i],
                              row[i] ? lengths[i] : 0});
        const RecordOutcome written = WriteRecordText(values, record, RDB_RECORD_SIZE);
        if (written.code != 0) {
            SetStatus(status, written.code, written.message);
            outcome = 0;
        } else {
            SetStatus(status, RDB_STATUS_RECORD, written.message); // a note when mended
        }
    }
    mysql_free_result(result); // reads and drops the rows after the first
    DiscardResults();
    return outcome;
}

int Connection::Execute(const char* dbName, const char* sql, RDBStatus* status) {
    std::lock_guard lock(mutex_);
    if (!Send(dbName, sql, status))
        return 0;
    if (MYSQL_RES* result = mysql_use_result(mysql_))
        mysql_free_result(result);
    else if (mysql_field_count(mysql_) != 0) {
        SetServerError(status);
        DiscardResults();
        return 0;
    }
    DiscardResults();
    SetStatus(status, 0, "");
    return 1;
}

} // namespace rdb
