// The board's connection to the call centre's database (Connector/C): one connection,
// a read-only session, and the few queries of one picture of the floor.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "board/DeskModel.h"

struct st_mysql;

namespace board {

struct DbTarget {
    std::string cnf; // option file with the account; empty: the standard option files
    std::string host = "127.0.0.1";
    int port = 8907;
};

class BoardDb {
  public:
    BoardDb() = default;
    ~BoardDb();
    BoardDb(const BoardDb&) = delete;
    BoardDb& operator=(const BoardDb&) = delete;

    // Connects and makes the session read-only; false with Error() on failure.
    bool Connect(const DbTarget& target);
    void Close();
    bool Connected() const { return m_mysql != nullptr; }

    // The lines of SHOW GRANTS for the account the board is connected as.
    bool Grants(std::vector<std::string>& lines);

    // One picture of the floor, every service. On failure the connection is closed
    // (the next Connect opens a fresh one).
    bool ReadSnapshot(Snapshot& snapshot);

    const std::string& Error() const { return m_error; }

  private:
    using Row = std::vector<std::string>;
    bool Query(const std::string& sql, std::vector<Row>& rows);
    // Where the state history is switched on, each desk's reason of its last break.
    bool ReadBreakReasons(const std::string& services, std::vector<DeskRow>& desks);
    bool Fail();

    // Agents' names by user ID: read again every ten seconds, and at once when a desk
    // names a user not in it. Names change seldom; the desks' rows every second.
    bool RefreshNames();
    std::map<std::string, std::string> m_names;
    std::set<std::string> m_nameless; // users of desks not found at the last reading
    std::chrono::steady_clock::time_point m_namesAt;
    bool m_namesRead = false;

    st_mysql* m_mysql = nullptr;
    std::string m_error;
};

} // namespace board
