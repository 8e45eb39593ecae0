// A second, throw-away MariaDB server for tests that must stop and start a server
// (lost connections, reconnection) without disturbing the shared private one.
//
// It runs from a fresh temporary data folder on a free port of 127.0.0.1, accepts
// any user and password (no grant tables), and holds an empty database NEW_XAN.
// Starting takes well under a second; the object stops it and removes the folder.
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
    bool Start(std::string* why = nullptr);
    // Ends the server (SIGTERM) and waits until it has gone.
    void Stop();
    bool Running() const { return pid_ > 0; }
    unsigned Port() const { return port_; }
    std::string PortText() const { return std::to_string(port_); }

  private:
    std::filesystem::path dir_;
    unsigned port_ = 0;
    pid_t pid_ = -1;
};

} // namespace zel::test
