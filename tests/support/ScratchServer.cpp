#include "tests/support/ScratchServer.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <sstream>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <mysql.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zel::test {

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

bool ScratchServer::Start(std::string* why) {
    std::error_code ec;
    std::filesystem::create_directories(dir_ / "data", ec);
    const std::string log = (dir_ / "mariadbd.log").string();
    const std::string dir = dir_.string(); // a temporary folder: no blanks
    std::istringstream options(
        "--no-defaults --datadir=" + dir + "/data --socket=" + dir + "/s.sock --pid-file=" + dir +
        "/mariadbd.pid --port=" + PortText() +
        " --bind-address=127.0.0.1 --skip-grant-tables --skip-name-resolve --skip-log-bin"
        " --innodb-buffer-pool-size=16M --innodb-log-file-size=8M --log-error=" +
        log + (geteuid() == 0 ? " --user=root" : ""));
    std::vector<std::string> args = {access("/usr/sbin/mariadbd", X_OK) == 0 ? "/usr/sbin/mariadbd"
                                                                             : "mariadbd"};
    for (std::string option; options >> option;)
        args.push_back(option);
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
    int status = 0;
    for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 50) {
        if (waited >= 30000) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    pid_ = -1;
}

} // namespace zel::test
