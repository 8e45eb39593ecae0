// The call-centre side's connection to the database: rdbclient, as the agent's
// program uses it, with the error text kept for the caller to print.
#pragma once

#include <string>
#include <vector>

namespace callcenter {

class CallCenterDb {
  public:
    CallCenterDb() = default;
    ~CallCenterDb();
    CallCenterDb(const CallCenterDb&) = delete;
    CallCenterDb& operator=(const CallCenterDb&) = delete;

    // Opens the connection (credentials: Env/rdbclient.cnf of the working folder, else
    // the standard option files).
    bool Open(const std::string& host, const std::string& port);

    // Runs a statement; false on failure (Error() says why).
    bool Execute(const std::string& sql);
    // Runs a query: 1 record read into values, 0 no record, -1 error.
    int Query(const std::string& sql, std::vector<std::string>& values);
    // The first value of the first record, or "" (also on error: check Error()).
    std::string Scalar(const std::string& sql);

    const std::string& Error() const { return m_error; }

    static constexpr const char* kDbName = "NEW_XAN";
    // Another database than NEW_XAN, e.g. the one holding the tables where the agents'
    // NEW_XAN is a database of views.
    void UseDatabase(const std::string& name) { m_dbName = name; }

  private:
    std::string m_dbName = kDbName;
    int m_handle = 0;
    std::string m_error;
};

} // namespace callcenter
