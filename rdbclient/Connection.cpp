#include "rdbclient/Connection.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <strings.h>
#include <vector>

#include <errmsg.h>
#include <fcntl.h>
#include <mysql.h>
#include <unistd.h>

#include "rdbclient/RecordText.h"
#include "rdbclient/StatusText.h"

namespace rdb {

namespace {

constexpr unsigned kConnectTimeoutSeconds = 3;
constexpr unsigned kReadTimeoutSeconds = 5;
constexpr unsigned kWriteTimeoutSeconds = 5;
constexpr const char* kOptionFileName = "rdbclient.cnf";
constexpr const char* kOptionGroup = "zelagent";
constexpr const char* kCharset = "utf8mb4";

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
}

// Authentication methods that never put the password on the wire as it is typed. A
// server asking for another one (the clear-text method, a dialog) is refused, so a
// fake server at a mistyped address learns nothing it could sign in with.
constexpr const char* kAuthMethods = "mysql_native_password,client_ed25519";
// Over a connection whose server certificate was verified the SHA-2 method is safe as
// well; without it the client would encrypt to whatever public key the server offers.
constexpr const char* kAuthMethodsVerified =
    "mysql_native_password,client_ed25519,caching_sha2_password";

// The credentials file of the working directory: opened without following links,
// trusted only as the user's own and private, and kept open for the connection's life
// (the client library reads it again when it reconnects).
struct OptionFile {
    std::string path; // absolute, for messages
    ownfiles::Fd fd;
    bool exists = false;
    std::string refusal;
    bool verifiesServer = false; // asks for ssl-verify-server-cert

    std::string ReadPath() const { return "/proc/self/fd/" + std::to_string(fd.Get()); }
};

std::string Lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Options that would undo what this library enforces, or hide from it what the file
// says. The client library applies the file after our own settings, so a file
// holding one of them is refused instead of read.
std::string ForbiddenLine(const std::string& content, bool& verifiesServer) {
    static const char* const forbidden[] = {"restricted-auth", "local-infile", "plugin-dir",
                                            "default-auth", "enable-cleartext-plugin"};
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        line.erase(0, line.find_first_not_of(" \t\r"));
        if (line.rfind("!include", 0) == 0)
            return line.substr(0, line.find_first_of(" \t"));
        if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[')
            continue;
        std::string key = Lowered(line.substr(0, line.find('=')));
        key.erase(key.find_last_not_of(" \t\r") + 1);
        std::replace(key.begin(), key.end(), '_', '-');
        if (key.rfind("loose-", 0) == 0)
            key.erase(0, 6);
        if (std::any_of(std::begin(forbidden), std::end(forbidden),
                        [&key](const char* name) { return key == name; }))
            return key;
        if (key == "ssl-verify-server-cert") {
            const auto eq = line.find('=');
            std::string value = eq == std::string::npos ? "1" : Lowered(line.substr(eq + 1));
            value.erase(0, value.find_first_not_of(" \t"));
            verifiesServer = !(value.rfind('0', 0) == 0 || value.rfind("false", 0) == 0 ||
                               value.rfind("off", 0) == 0);
        }
    }
    return {};
}

OptionFile LocalOptionFile() {
    OptionFile file;
    const std::string folderPath = ownfiles::EnvFolderPath();
    file.path = folderPath + "/" + kOptionFileName;
    ownfiles::Opened folder = ownfiles::OpenFolder(folderPath);
    if (folder.missing)
        return file;
    if (!folder.refusal.empty()) {
        file.exists = true;
        file.refusal = folder.refusal;
        return file;
    }
    ownfiles::Opened opened = ownfiles::OpenInFolder(folder.fd.Get(), folderPath, kOptionFileName,
                                                     O_RDONLY, ownfiles::Access::OwnerOnly);
    if (opened.missing)
        return file;
    file.exists = true;
    if (!opened.refusal.empty()) {
        file.refusal = opened.refusal;
        return file;
    }
    std::string content;
    char buffer[4096];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(opened.fd.Get(), buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            file.refusal = std::strerror(errno);
            return file;
        }
        if (n == 0)
            break;
        content.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    if (const std::string line = ForbiddenLine(content, file.verifiesServer); !line.empty()) {
        file.refusal = "'" + line + "' 설정은 이 프로그램에서 쓸 수 없습니다. 그 줄을 지우십시오.";
        return file;
    }
    file.fd = std::move(opened.fd);
    return file;
}

void SetOptions(MYSQL* mysql, const OptionFile& optionFile) {
    const unsigned protocol = MYSQL_PROTOCOL_TCP;
    const my_bool reconnect = 1;
    const unsigned localInfile = 0;
    mysql_optionsv(mysql, MYSQL_OPT_PROTOCOL, &protocol);
    mysql_optionsv(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &kConnectTimeoutSeconds);
    mysql_optionsv(mysql, MYSQL_OPT_READ_TIMEOUT, &kReadTimeoutSeconds);
    mysql_optionsv(mysql, MYSQL_OPT_WRITE_TIMEOUT, &kWriteTimeoutSeconds);
    mysql_optionsv(mysql, MYSQL_OPT_RECONNECT, &reconnect);
    mysql_optionsv(mysql, MYSQL_SET_CHARSET_NAME, kCharset);
    mysql_optionsv(mysql, MYSQL_OPT_LOCAL_INFILE, &localInfile);
    mysql_optionsv(mysql, MARIADB_OPT_RESTRICTED_AUTH,
                   optionFile.verifiesServer ? kAuthMethodsVerified : kAuthMethods);
    // With the verification asked for in the file only, the client library still talks
    // in clear to a server that offers no TLS at all (as anyone in the middle can make it
    // seem); set here, it refuses that server.
    if (optionFile.verifiesServer) {
        const my_bool on = 1;
        mysql_optionsv(mysql, MYSQL_OPT_SSL_ENFORCE, &on);
        mysql_optionsv(mysql, MYSQL_OPT_SSL_VERIFY_SERVER_CERT, &on);
    }
    if (optionFile.fd)
        mysql_optionsv(mysql, MYSQL_READ_DEFAULT_FILE, optionFile.ReadPath().c_str());
    // Also reads [client]; without a file of our own, from the standard option files.
    mysql_optionsv(mysql, MYSQL_READ_DEFAULT_GROUP, kOptionGroup);
}

// The connection failure in the agent's words: why a secured connection was refused
// comes first, then the client library's own code and text.
std::string ConnectFailure(MYSQL* mysql, const char* address, unsigned port,
                           const OptionFile& optionFile) {
    const unsigned code = mysql_errno(mysql);
    std::string why;
    if (code == CR_SSL_CONNECTION_ERROR) {
        const std::string text = Lowered(mysql_error(mysql));
        if (text.find("support") != std::string::npos)
            why = "서버가 암호화 연결(TLS)을 제공하지 않아 연결하지 않았습니다 (접속 정보 파일이 "
                  "서버 확인을 요구합니다). ";
        else
            why = "서버의 인증서를 접속 정보 파일의 ssl-ca로 확인할 수 없어 연결하지 "
                  "않았습니다 (다른 서버이거나 다른 인증 기관의 인증서입니다). ";
    } else if (code == CR_PLUGIN_NOT_ALLOWED) {
        why = "서버가 비밀번호를 그대로 보내는 인증 방식을 요구하여 연결하지 않았습니다 (서버 "
              "주소가 맞는지 확인하십시오). ";
    }
    why += "서버(" + std::string(address) + ":" + std::to_string(port) +
           ")에 연결할 수 없습니다. 오류 " + std::to_string(code) + ": " + mysql_error(mysql);
    why += optionFile.exists ? " (접속 정보 파일: " + optionFile.path + ")"
                             : " (접속 정보 파일(" + optionFile.path + ")이 없습니다.)";
    return why;
}

} // namespace

std::unique_ptr<Connection> Connection::Open(const char* address, unsigned port, std::string& why) {
    InitLibraryOnce();
    OptionFile optionFile = LocalOptionFile();
    // A credentials file that is there but cannot be trusted or read is a mistake to
    // show, not a reason to try the accounts of other files.
    if (!optionFile.refusal.empty()) {
        why = "접속 정보 파일(" + optionFile.path + ")을 읽을 수 없습니다. " + optionFile.refusal;
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
        why = ConnectFailure(mysql, address, port, optionFile);
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
    return std::unique_ptr<Connection>(new Connection(mysql, std::move(optionFile.fd)));
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
    const unsigned code = mysql_errno(mysql_);
    // On an encrypted session a cut or a time-out shows as a TLS error; it is the same
    // lost connection as without TLS, and is told as such.
    if (code == CR_SSL_CONNECTION_ERROR) {
        const std::string message =
            std::string("Lost connection to server during query (") + mysql_error(mysql_) + ")";
        SetStatus(status, CR_SERVER_LOST, message);
        return;
    }
    SetStatus(status, static_cast<int>(code), mysql_error(mysql_));
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
