// Many agents against one server: each simulated agent is the console's own logic
// (AgentConsole over its own CTELVOAgentEnv and connection, as one program per desk
// would be), polled by a bounded pool of threads with the console's timing, while a
// distributor hands out calls. Reports poll round trips, pick-up times and what the
// server spent.
#pragma once

#include <ostream>
#include <string>

namespace callcenter {

struct LoadOptions {
    int agents = 100;
    int seconds = 30;          // the measured window, after every agent has signed in
    int threads = 0;           // 0: min(agents, 100)
    std::string svcId = "900"; // the service of the simulated desks (rows made and removed)
    double callsPerSecond = 0; // 0: agents / 10, at most 50
    int minCallMs = 2000;
    int maxCallMs = 6000;
};

// Runs the load against host:port (credentials as the agent's program reads them, from
// Env/rdbclient.cnf of the working folder). Returns 0 when every agent signed in and
// every measurement was taken, 1 otherwise.
int RunLoad(const LoadOptions& options, const std::string& host, const std::string& port,
            std::ostream& out);

} // namespace callcenter
