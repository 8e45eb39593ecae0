// A throw-away MariaDB server for tests that stop and start a server under an open
// connection: a fresh data folder, a free port of 127.0.0.1, no grant tables, an empty
// NEW_XAN. The object stops it and removes the folder.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace zel::test {

class ScratchServer {
  public:
    ScratchServer(); // picks a port and a folder; does not start
    ~ScratchServer();
    ScratchServer(const ScratchServer&) = delete;
    ScratchServer& operator=(const ScratchServer&) = delete;

    // Starts the server and waits until it accepts connections; false and *why when not.
    bool Start(std::string* why);
    void Stop(); // SIGTERM, and waits until it has gone
    std::string PortText() const { return std::to_string(port_); }

  private:
    std::filesystem::path dir_;
    unsigned port_ = 0;
    pid_t pid_ = -1;
};

} // namespace zel::test
