// The connection as an attacker on the network or at a mistyped address meets it: the
// session with the private server is encrypted and its certificate verified; a server of
// another authority, a server without TLS and a server asking for a method that sends the
// password as typed are refused with the reason in Korean, and the password never leaves.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "rdbclient/RDBClient.h"
#include "tests/support/DbTestSupport.h"

namespace {

constexpr const char* kPassword = "Zq7-never-on-the-wire";

// Why the last open failed, as the agent reads it in the database error box.
std::string OpenFailure() {
    char record[RDB_RECORD_SIZE];
    RDBStatus status{};
    RDBQueryFirstRecord(0, "NEW_XAN", "select 1", record, &status);
    EXPECT_EQ(status.code, RDB_ERR_BAD_HANDLE);
    return status.message;
}

// A listener on a free port of 127.0.0.1 that plays the first steps of a server: its
// greeting names an authentication method and says whether it offers TLS; it may then ask
// the client to switch to another method. It keeps every byte the client sends.
class FakeServer {
  public:
    FakeServer(std::string method, bool offersTls, std::string switchTo = "")
        : method_(std::move(method)), switchTo_(std::move(switchTo)), offersTls_(offersTls) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listener_ < 0 ||
            ::bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(listener_, 1) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            ADD_FAILURE() << "cannot listen on 127.0.0.1";
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeServer() {
        if (thread_.joinable())
            thread_.join();
        if (listener_ >= 0)
            ::close(listener_);
    }

    std::string Port() const { return std::to_string(port_); }
    // Everything the client sent; valid once the client has given up.
    std::string Received() {
        if (thread_.joinable())
            thread_.join();
        return received_;
    }

  private:
    static void Put(std::string& out, unsigned value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    static bool Send(int fd, const std::string& payload, unsigned sequence) {
        std::string packet;
        Put(packet, static_cast<unsigned>(payload.size()), 3);
        packet += static_cast<char>(sequence);
        packet += payload;
        return ::send(fd, packet.data(), packet.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(packet.size());
    }
    // Reads what arrives within the time; false when the client closed or went quiet.
    bool Receive(int fd, int waitMs) {
        pollfd one{fd, POLLIN, 0};
        if (::poll(&one, 1, waitMs) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        received_.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    void Serve() {
        pollfd waiting{listener_, POLLIN, 0};
        if (::poll(&waiting, 1, 10000) <= 0)
            return;
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            return;
        // Protocol 4.1 with plug-in authentication; TLS only when offered.
        unsigned capabilities =
            0x1 | 0x4 | 0x8 | 0x200 | 0x2000 | 0x8000 | 0x20000 | 0x80000 | 0x100000 | 0x200000;
        if (offersTls_)
            capabilities |= 0x800;
        const std::string seed = "abcdefghijklmnopqrst"; // 20 bytes
        std::string greeting;
        greeting += '\x0a';
        greeting += std::string("5.7.0-fake") + '\0';
        Put(greeting, 7, 4);
        greeting += seed.substr(0, 8) + '\0';
        Put(greeting, capabilities & 0xFFFF, 2);
        greeting += '\x21';
        Put(greeting, 2, 2);
        Put(greeting, capabilities >> 16, 2);
        greeting += static_cast<char>(21);
        greeting += std::string(10, '\0');
        greeting += seed.substr(8) + '\0';
        greeting += method_ + '\0';
        if (Send(fd, greeting, 0) && Receive(fd, 5000) && !switchTo_.empty()) {
            std::string change = "\xfe" + switchTo_ + '\0' + seed + '\0';
            Send(fd, change, 2);
        }
        // Whatever else comes until the client gives up (bounded).
        for (int i = 0; i < 50 && Receive(fd, 1500); ++i) {
        }
        ::close(fd);
    }

    std::string method_, switchTo_;
    bool offersTls_;
    int listener_ = -1;
    unsigned port_ = 0;
    std::string received_;
    std::thread thread_;
};

TEST(FakeServerTest, NoServerLearnsThePasswordAndTheRefusalSaysWhy) {
    const std::string plain = std::string("[zelagent]\nuser=agent\npassword=") + kPassword + "\n";
    const std::string verified = plain + "ssl-ca=/nonexistent/ca.pem\nssl-verify-server-cert\n";
    struct Case {
        const char* what;
        const char* method;
        const char* switchTo;
        bool offersTls;
        const std::string& cnf;
        const char* reason;
    };
    const Case cases[] = {
        {"greets with the clear-text method", "mysql_clear_password", "", false, plain,
         "비밀번호를 그대로 보내는 인증 방식"},
        {"switches to the clear-text method", "mysql_native_password", "mysql_clear_password",
         false, plain, "비밀번호를 그대로 보내는 인증 방식"},
        {"switches to the dialog method", "mysql_native_password", "dialog", false, plain,
         "비밀번호를 그대로 보내는 인증 방식"},
        // Unverified, the SHA-2 method would encrypt to any public key the server offers.
        {"asks for the SHA-2 method unverified", "caching_sha2_password", "", false, plain,
         "비밀번호를 그대로 보내는 인증 방식"},
        {"offers no TLS to a file that verifies", "mysql_native_password", "", false, verified,
         "암호화 연결(TLS)을 제공하지 않아"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const zel::test::TempWorkDir work(false);
        ASSERT_TRUE(zel::test::WriteEnvFile(work.Env() / "rdbclient.cnf", c.cnf));
        FakeServer server(c.method, c.offersTls, c.switchTo);
        EXPECT_EQ(RDBServerOpen("127.0.0.1", server.Port().c_str()), 0);
        const std::string received = server.Received();
        EXPECT_EQ(received.find(kPassword), std::string::npos) << "the password went out";
        EXPECT_NE(OpenFailure().find(c.reason), std::string::npos) << OpenFailure();
    }
}

// The private server of scripts/db, through the program's own credentials file.
class TlsServerTest : public zel::test::DbFixture {};

TEST_F(TlsServerTest, SessionIsEncryptedAndAServerOfAnotherAuthorityIsRefused) {
    zel::test::TempWorkDir work;
    const int handle = RDBServerOpen("127.0.0.1", "8907");
    ASSERT_GT(handle, 0) << OpenFailure();
    char record[RDB_RECORD_SIZE];
    RDBStatus status{};
    ASSERT_GT(RDBQueryFirstRecord(handle, "NEW_XAN", "show session status like 'Ssl_cipher'",
                                  record, &status),
              0)
        << status.message;
    const std::string cipher = record;
    EXPECT_EQ(cipher.rfind("Ssl_cipher:;", 0), 0u);
    EXPECT_GT(cipher.size(), std::strlen("Ssl_cipher:;:;")) << "no cipher: " << cipher;
    // Local files cannot be read into the server through this session.
    EXPECT_LE(RDBExecuteSQL(handle, "NEW_XAN",
                            "load data local infile '/etc/hostname' into table CODE_INFO", &status),
              0);
    RDBServerClose(handle);

    // The same account, but trusting an authority of its own that never signed the server.
    const std::string other = (work.Path() / "other").string();
    ASSERT_EQ(std::system((std::string(ZEL_SOURCE_DIR "/scripts/tls-certs ") + other +
                           " 'Another' >/dev/null")
                              .c_str()),
              0);
    std::string cnf = zel::test::FileBytes(work.Env() / "rdbclient.cnf");
    const auto line = cnf.find("ssl-ca=");
    ASSERT_NE(line, std::string::npos) << "client.cnf does not verify the server";
    cnf.replace(line, cnf.find('\n', line) - line, "ssl-ca=" + other + "/ca.pem");
    ASSERT_TRUE(zel::test::WriteEnvFile(work.Env() / "rdbclient.cnf", cnf));
    EXPECT_EQ(RDBServerOpen("127.0.0.1", "8907"), 0);
    EXPECT_NE(OpenFailure().find("다른 인증 기관의 인증서"), std::string::npos) << OpenFailure();
}

} // namespace
