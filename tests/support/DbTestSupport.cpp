#include "tests/support/DbTestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <regex>

#include <mysql.h>
#include <unistd.h>

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

std::string GeneralLogPath() {
    return (std::filesystem::path(DbClientCnfPath()).parent_path() / "general.log").string();
}

AdminConnection::AdminConnection() {
    static std::once_flag once;
    std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
    const std::string cnf = DbClientCnfPath();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(cnf, ec)) {
        error_ = cnf + " does not exist: start the private server with scripts/db start";
        return;
    }
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

bool AdminConnection::Run(const std::string& sql, DbRows* rows) {
    if (mysql_ == nullptr) {
        ADD_FAILURE() << "no connection to the private server; SQL: " << sql;
        return false;
    }
    error_.clear();
    bool firstResult = true;
    int status = mysql_real_query(mysql_, sql.data(), sql.size());
    while (status == 0) {
        if (MYSQL_RES* result = mysql_store_result(mysql_)) {
            const unsigned columns = mysql_num_fields(result);
            while (MYSQL_ROW row = mysql_fetch_row(result)) {
                if (rows == nullptr || !firstResult)
                    continue;
                const unsigned long* lengths = mysql_fetch_lengths(result);
                DbRow& out = rows->emplace_back();
                for (unsigned i = 0; i < columns; ++i)
                    out.push_back(row[i] ? DbValue(std::string(row[i], lengths[i])) : std::nullopt);
            }
            mysql_free_result(result);
            firstResult = false;
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
    if (rows)
        rows->clear();
    return false;
}

DbRows AdminConnection::Query(const std::string& sql) {
    DbRows rows;
    Run(sql, &rows);
    return rows;
}

DbValue AdminConnection::Scalar(const std::string& sql) {
    const DbRows rows = Query(sql);
    return rows.empty() || rows.front().empty() ? std::nullopt : rows.front().front();
}

std::string AdminConnection::Quote(std::string_view text) const {
    std::string escaped(text.size() * 2 + 1, '\0');
    escaped.resize(
        mysql_ ? mysql_real_escape_string(mysql_, escaped.data(), text.data(), text.size()) : 0);
    return "'" + escaped + "'";
}

void DbFixture::SetUp() {
    admin_ = std::make_unique<AdminConnection>();
    ASSERT_TRUE(admin_->Ok()) << "The private database server is needed: " << admin_->Error();
}

namespace {
std::filesystem::path CurrentFolder() {
    std::error_code ec;
    return std::filesystem::current_path(ec);
}
} // namespace

TempWorkDir::TempWorkDir(bool withDbCredentials) : previous_(CurrentFolder()) {
    std::error_code ec;
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "zel-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary folder from " << pattern;
        return;
    }
    path_ = pattern;
    std::filesystem::create_directory(Env(), ec);
    if (withDbCredentials &&
        !std::filesystem::copy_file(DbClientCnfPath(), Env() / "rdbclient.cnf", ec))
        ADD_FAILURE() << "cannot copy " << DbClientCnfPath() << ": " << ec.message();
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
    mark_ = ec ? 0 : size;
}

std::vector<GeneralLogEntry> GeneralLogReader::Entries() const {
    // "261208  2:50:11\t     4 Query\tselect 1" or "\t\t     4 Query\tselect 1".
    static const std::regex entryPattern(
        R"(^(?:\d{6} +\d{1,2}:\d{2}:\d{2})?\t\s*(\d+) ([A-Za-z][A-Za-z ]*)\t(.*)$)");
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
    const std::string_view space = " \t\n\r\v\f";
    std::string_view expected = statement;
    expected.remove_prefix(std::min(expected.find_first_not_of(space), expected.size()));
    const std::size_t last = expected.find_last_not_of(" \t\n\r\v\f;");
    expected = expected.substr(0, last == std::string_view::npos ? 0 : last + 1);
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

} // namespace zel::test
