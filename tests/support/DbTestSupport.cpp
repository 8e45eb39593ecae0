#include "tests/support/DbTestSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <regex>
#include <sstream>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <mysql.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel::test {

std::string DbClientCnfPath() {
    if (const char* overridden = std::getenv("ZEL_DB_CLIENT_CNF"); overridden && *overridden)
        return overridden;
    std::error_code ec;
    if (!std::filesystem::exists(ZEL_DB_CLIENT_CNF, ec) &&
        std::filesystem::exists(ZEL_DB_SHARED_CLIENT_CNF, ec))
        return ZEL_DB_SHARED_CLIENT_CNF;
    return ZEL_DB_CLIENT_CNF;
}

namespace {
std::string GeneralLogPath() {
    return (std::filesystem::path(DbClientCnfPath()).parent_path() / "general.log").string();
}
} // namespace

AdminConnection::AdminConnection() {
    static std::once_flag once;
    std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
    const std::string cnf = DbClientCnfPath();
    mysql_ = mysql_init(nullptr);
    const unsigned timeout = 3;
    mysql_optionsv(mysql_, MYSQL_READ_DEFAULT_FILE, cnf.c_str());
    mysql_optionsv(mysql_, MYSQL_READ_DEFAULT_GROUP, "client");
    mysql_optionsv(mysql_, MYSQL_SET_CHARSET_NAME, "utf8mb4");
    mysql_optionsv(mysql_, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    if (mysql_real_connect(mysql_, nullptr, nullptr, nullptr, "NEW_XAN", 0, nullptr,
                           CLIENT_MULTI_STATEMENTS) == nullptr) {
        error_ = "cannot connect with " + cnf + ": " + mysql_error(mysql_) +
                 " (is the server running? scripts/db start)";
        mysql_close(mysql_);
        mysql_ = nullptr;
    }
}

AdminConnection::~AdminConnection() {
    if (mysql_ != nullptr)
        mysql_close(mysql_);
}

bool AdminConnection::Run(const std::string& sql, DbValue* first) {
    if (mysql_ == nullptr) {
        ADD_FAILURE() << "no connection to the private server; SQL: " << sql;
        return false;
    }
    int status = mysql_real_query(mysql_, sql.data(), sql.size());
    while (status == 0) {
        if (MYSQL_RES* result = mysql_store_result(mysql_)) {
            MYSQL_ROW row = mysql_fetch_row(result);
            if (first != nullptr && row != nullptr && mysql_num_fields(result) > 0 && row[0])
                *first = std::string(row[0], mysql_fetch_lengths(result)[0]);
            first = nullptr; // only the first result set counts
            mysql_free_result(result);
        } else if (mysql_field_count(mysql_) != 0) {
            break; // a result set that could not be read
        }
        status = mysql_next_result(mysql_); // 0 more, -1 done, > 0 error
        if (status < 0)
            return true;
    }
    error_ = mysql_error(mysql_);
    // Drop the rest of a multi-statement text so the connection stays usable.
    while (mysql_more_results(mysql_) && mysql_next_result(mysql_) == 0)
        if (MYSQL_RES* result = mysql_store_result(mysql_))
            mysql_free_result(result);
    ADD_FAILURE() << "SQL failed (" << mysql_errno(mysql_) << " " << error_ << "): " << sql;
    return false;
}

DbValue AdminConnection::Scalar(const std::string& sql) {
    DbValue value;
    return Run(sql, &value) ? value : std::nullopt;
}

std::string AdminConnection::Quote(std::string_view text) const {
    std::string escaped(text.size() * 2 + 1, '\0');
    escaped.resize(
        mysql_ ? mysql_real_escape_string(mysql_, escaped.data(), text.data(), text.size()) : 0);
    return "'" + escaped + "'";
}

void SetDbTypeRow(AdminConnection& admin, const std::string& value) {
    admin.Execute("delete from CODE_INFO where CD_GRP = 'SYSTEM_VALUE' and CD_ID = 'DB_TYPE'");
    if (!value.empty())
        admin.Execute("insert into CODE_INFO (CD_GRP, CD_ID, CD_NM) values ('SYSTEM_VALUE', "
                      "'DB_TYPE', " +
                      admin.Quote(value) + ")");
}

void AddAgentAndDesk(AdminConnection& admin, std::string_view userId, std::string_view agentName,
                     std::string_view password, std::string_view svcId, std::string_view telNum) {
    admin.Execute(
        "insert into USER_AGENT_INFO (USER_ID, AGENT_NM, PASSWORD) values (" + admin.Quote(userId) +
        ", " + admin.Quote(agentName) + ", " + admin.Quote(password) +
        "); insert into TRANSFER_NUM_INFO (SVC_ID, TEL_NUM, USER_ID) values (" +
        admin.Quote(svcId) + ", " + admin.Quote(telNum) + ", " + admin.Quote(userId) + ")");
}

void DbFixture::SetUp() {
    admin_ = std::make_unique<AdminConnection>();
    ASSERT_TRUE(admin_->Ok()) << "The private database server is needed: " << admin_->Error();
    if (const std::string rows = OwnRows(); !rows.empty())
        admin_->Execute(rows);
}

void DbFixture::TearDown() {
    if (const std::string rows = OwnRows(); admin_ && admin_->Ok() && !rows.empty())
        admin_->Execute(rows);
    admin_.reset();
}

namespace {
std::filesystem::path CurrentFolder() {
    std::error_code ec;
    return std::filesystem::current_path(ec);
}
} // namespace

bool WriteEnvFile(const std::filesystem::path& path, std::string_view content) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    std::size_t done = 0;
    while (ok && done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    return (::close(fd) == 0) && ok;
}

std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TempWorkDir::TempWorkDir(bool withDbCredentials) : previous_(CurrentFolder()) {
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "zel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary folder from " << pattern;
        return;
    }
    path_ = pattern;
    std::filesystem::create_directory(Env(), ec);
    std::filesystem::permissions(Env(), std::filesystem::perms::owner_all, ec);
    if (withDbCredentials) {
        const std::string cnf = FileBytes(DbClientCnfPath());
        if (cnf.empty() || !WriteEnvFile(Env() / "rdbclient.cnf", cnf))
            ADD_FAILURE() << "cannot copy " << DbClientCnfPath();
    }
    std::filesystem::current_path(path_, ec);
    if (ec)
        ADD_FAILURE() << "cannot change into " << path_ << ": " << ec.message();
}

TempWorkDir::~TempWorkDir() {
    std::error_code ec;
    if (!previous_.empty())
        std::filesystem::current_path(previous_, ec);
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}

GeneralLogReader::GeneralLogReader() {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(GeneralLogPath(), ec);
    if (ec)
        ADD_FAILURE() << "the server's general log " << GeneralLogPath() << " is missing ("
                      << ec.message() << "): statements cannot be checked (scripts/db start)";
    mark_ = ec ? 0 : size;
}

std::vector<GeneralLogEntry> GeneralLogReader::Entries() const {
    static std::atomic<unsigned> probes{0};
    const std::string probe =
        "select 'log probe " + std::to_string(getpid()) + "-" + std::to_string(++probes) + "'";
    if (!probe_)
        probe_ = std::make_unique<AdminConnection>();
    const bool sent = probe_->Execute(probe);
    // The server writes an entry before it runs the statement; the wait covers a slow disk.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (std::vector<GeneralLogEntry> entries = ReadFromMark(); sent; entries = ReadFromMark()) {
        const auto mine = std::find_if(entries.begin(), entries.end(), [&](const auto& entry) {
            return entry.command == "Query" && entry.argument == probe;
        });
        if (mine != entries.end()) {
            const unsigned long own = mine->connectionId;
            std::erase_if(entries, [own](const auto& entry) { return entry.connectionId == own; });
            return entries;
        }
        if (std::chrono::steady_clock::now() > deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ADD_FAILURE() << "the server's general log " << GeneralLogPath() << " did not record " << probe
                  << ": it is not logging, so no statement can be checked";
    return ReadFromMark();
}

std::vector<GeneralLogEntry> GeneralLogReader::ReadFromMark() const {
    // "261208  2:50:11\t     4 Query\tselect 1" or "\t\t     4 Query\tselect 1"; a
    // statement may hold a carriage return, which '.' would not match.
    static const std::regex entryPattern(
        R"(^(?:\d{6} +\d{1,2}:\d{2}:\d{2})?\t\s*(\d+) ([A-Za-z][A-Za-z ]*)\t([^\n]*)$)");
    std::vector<GeneralLogEntry> entries;
    std::ifstream in(GeneralLogPath(), std::ios::binary);
    std::error_code ec;
    // A log smaller than the mark was started afresh: read it from the start.
    if (std::filesystem::file_size(GeneralLogPath(), ec) >= mark_)
        in.seekg(static_cast<std::streamoff>(mark_));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Only complete lines: the server may be writing the last one right now.
    text.resize(text.rfind('\n') == std::string::npos ? 0 : text.rfind('\n') + 1);

    bool inEntry = false;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        std::smatch match;
        if (std::regex_match(line, match, entryPattern)) {
            entries.push_back({std::stoul(match[1].str()), match[2].str(), match[3].str()});
            inEntry = true;
        } else if (line.find(", Version: ") != std::string::npos ||
                   line.rfind("Tcp port: ", 0) == 0 || line.rfind("Time\t", 0) == 0) {
            inEntry = false; // the header the server writes when it (re)opens the log
        } else if (inEntry) {
            entries.back().argument.append("\n").append(line); // a statement of several lines
        }
    }
    return entries;
}

bool GeneralLogReader::ContainsQuery(std::string_view statement) const {
    const std::size_t first = statement.find_first_not_of(" \t\n\r\v\f");
    const std::size_t last = statement.find_last_not_of(" \t\n\r\v\f;");
    const std::string_view expected = first > last || last == std::string_view::npos
                                          ? ""
                                          : statement.substr(first, last - first + 1);
    const std::vector<std::string> queries = QueriesContaining(expected);
    return std::find(queries.begin(), queries.end(), expected) != queries.end();
}

std::vector<std::string> GeneralLogReader::QueriesContaining(std::string_view fragment) const {
    std::vector<std::string> found;
    for (GeneralLogEntry& entry : Entries())
        if (entry.command == "Query" && entry.argument.find(fragment) != std::string::npos)
            found.push_back(std::move(entry.argument));
    return found;
}

ScratchServer::ScratchServer() {
    // A port nobody listens on right now.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port_ = ntohs(address.sin_port);
    close(fd);
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "zel-db-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        dir_ = pattern;
}

ScratchServer::~ScratchServer() {
    Stop();
    std::error_code ec;
    if (!dir_.empty())
        std::filesystem::remove_all(dir_, ec);
}

// The certificates of the private server (scripts/db makes them beside client.cnf): the
// throw-away server shows the same one, so the credentials that verify it work here too.
std::string TlsOptions() {
    const std::filesystem::path tls =
        std::filesystem::path(DbClientCnfPath()).parent_path() / "tls";
    return " --ssl-ca=" + (tls / "ca.pem").string() +
           " --ssl-cert=" + (tls / "server.pem").string() +
           " --ssl-key=" + (tls / "server-key.pem").string();
}

bool ScratchServer::Start(std::string* why) {
    std::error_code ec;
    std::filesystem::create_directories(dir_ / "data", ec);
    const std::string dir = dir_.string(), log = dir + "/mariadbd.log";
    std::istringstream options(
        std::string(access("/usr/sbin/mariadbd", X_OK) == 0 ? "/usr/sbin/" : "") +
        "mariadbd --no-defaults --datadir=" + dir + "/data --socket=" + dir +
        "/s.sock --pid-file=" + dir + "/mariadbd.pid --port=" + PortText() +
        " --bind-address=127.0.0.1 --skip-grant-tables --skip-name-resolve --skip-log-bin"
        " --innodb-buffer-pool-size=16M --innodb-log-file-size=8M --log-error=" +
        log + (geteuid() == 0 ? " --user=root" : "") + TlsOptions());
    std::vector<std::string> args{std::istream_iterator<std::string>(options), {}};
    std::vector<char*> argv(args.size() + 1, nullptr);
    std::transform(args.begin(), args.end(), argv.begin(),
                   [](std::string& arg) { return arg.data(); });
    if (posix_spawnp(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        *why = "cannot run " + args[0];
        return false;
    }

    // Ready when anyone may connect and create NEW_XAN.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (true) {
        MYSQL* mysql = mysql_init(nullptr);
        const unsigned protocol = MYSQL_PROTOCOL_TCP, timeout = 2;
        mysql_optionsv(mysql, MYSQL_OPT_PROTOCOL, &protocol);
        mysql_optionsv(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
        const bool ready =
            mysql_real_connect(mysql, "127.0.0.1", "scratch", "", nullptr, port_, nullptr, 0) &&
            mysql_query(mysql, "create database if not exists NEW_XAN") == 0;
        *why = mysql_error(mysql);
        mysql_close(mysql);
        if (ready)
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_)
            pid_ = -1; // ended during start-up
        if (pid_ < 0 || std::chrono::steady_clock::now() > deadline) {
            Stop();
            *why = "the scratch server did not start (" + *why + "); see " + log;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void ScratchServer::Stop() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    // A server that hangs on shutdown is killed rather than holding the test run.
    for (int waited = 0; waitpid(pid_, nullptr, WNOHANG) == 0; waited += 50) {
        if (waited == 30000)
            kill(pid_, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    pid_ = -1;
}

} // namespace zel::test
