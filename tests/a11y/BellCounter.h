// Counts the X server's bells (XKB bell notifications), seen on a connection of its own.
#pragma once

#include <memory>

class BellCounter {
  public:
    BellCounter();
    ~BellCounter();
    bool Works() const;
    // Bells rung since construction.
    int Bells();

  private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
    int m_bells = 0;
};
