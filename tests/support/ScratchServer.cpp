#include "tests/support/ScratchServer.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <mysql.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel::test {

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(20);
constexpr auto kStopTimeout = std::chrono::seconds(30);

// A port of 127.0.0.1 that nobody listens on right now.
unsigned FreePort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    unsigned port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

std::string ServerProgram() {
    for (const char* candidate :
         {"/usr/sbin/mariadbd", "/usr/bin/mariadbd", "/usr/libexec/mariadbd"})
        if (access(candidate, X_OK) == 0)
            return candidate;
    return "mariadbd"; // from PATH
}

// Connects as anyone (no grant tables) and creates NEW_XAN; false while not ready.
bool TryPrepare(unsigned port, std::string* error) {
    static std::once_flag once;
    std::call_once(once, [] { mysql_library_init(0, nullptr, nullptr); });
    MYSQL* mysql = mysql_init(nullptr);
    const unsigned protocol = MYSQL_PROTOCOL_TCP;
    const unsigned timeout = 2;
    mysql_optionsv(mysql, MYSQL_OPT_PROTOCOL, &protocol);
    mysql_optionsv(mysql, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
    bool ready = mysql_real_connect(mysql, "127.0.0.1", "scratch", "", nullptr, port, nullptr, 0) &&
                 mysql_query(mysql, "create database if not exists NEW_XAN") == 0;
    if (!ready)
        *error = mysql_error(mysql);
    mysql_close(mysql);
    return ready;
}

std::string Tail(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > 1500 ? text.substr(text.size() - 1500) : text;
}

} // namespace

ScratchServer::ScratchServer() : port_(FreePort()) {
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

bool ScratchServer::Start(std::string* why) {
    std::string error;
    if (Running())
        return true;
    if (dir_.empty() || port_ == 0) {
        if (why)
            *why = "no temporary folder or no free port";
        return false;
    }
    const std::filesystem::path data = dir_ / "data";
    std::error_code ec;
    std::filesystem::create_directories(data, ec);
    const std::filesystem::path log = dir_ / "mariadbd.log";

    std::vector<std::string> args = {
        ServerProgram(),
        "--no-defaults",
        "--datadir=" + data.string(),
        "--socket=" + (dir_ / "s.sock").string(),
        "--pid-file=" + (dir_ / "mariadbd.pid").string(),
        "--port=" + std::to_string(port_),
        "--bind-address=127.0.0.1",
        "--skip-grant-tables",
        "--skip-name-resolve",
        "--skip-log-bin",
        "--innodb-buffer-pool-size=16M",
        "--innodb-log-file-size=8M",
        "--log-error=" + log.string(),
    };
    if (geteuid() == 0)
        args.push_back("--user=root");
    std::vector<char*> argv(args.size() + 1, nullptr);
    std::transform(args.begin(), args.end(), argv.begin(),
                   [](std::string& arg) { return arg.data(); });

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        if (why)
            *why = "cannot run " + args[0];
        return false;
    }

    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (!TryPrepare(port_, &error)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            if (why)
                *why = "the scratch server ended during start-up:\n" + Tail(log);
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            Stop();
            if (why)
                *why =
                    "the scratch server did not accept connections (" + error + "):\n" + Tail(log);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

void ScratchServer::Stop() {
    if (!Running())
        return;
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kStopTimeout;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    pid_ = -1;
}

} // namespace zel::test
