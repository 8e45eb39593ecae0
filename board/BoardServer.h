// The board's web side: the page's files and the event stream of frames, behind HTTP
// basic authentication when the board listens beyond loopback.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "board/BoardSettings.h"
#include "board/Publisher.h"

namespace httplib {
class Server;
}

namespace board {

class BoardServer {
  public:
    BoardServer(const BoardSettings& settings, Publisher& publisher);
    ~BoardServer();
    BoardServer(const BoardServer&) = delete;
    BoardServer& operator=(const BoardServer&) = delete;

    // Loads the certificate (beyond loopback) and binds; false with the reason.
    bool Bind(std::string& error);
    // Serves until Stop; returns false when serving failed.
    bool Serve();
    void Stop();
    std::string Address() const;

    // Bytes of frames sent per second of a page's connection, over all pages so far.
    double PushBytesPerSecond() const;

  private:
    void Routes();
    bool Authorised(const std::string& header) const;

    BoardSettings m_settings;
    Publisher& m_publisher;
    std::unique_ptr<httplib::Server> m_server;
    std::string m_expectedAuth;
    std::atomic<int> m_viewers{0};
    std::atomic<long long> m_bytes{0};
    std::atomic<long long> m_viewerMs{0};
};

} // namespace board
