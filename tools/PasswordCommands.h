// The sign-in passwords of USER_AGENT_INFO, kept as one-way hashes: a new password for
// one agent, and the conversion of every row that still holds its password in clear.
#pragma once

#include <iosfwd>
#include <string>

namespace callcenter {

class CallCenterDb;

// Reads the new password from the terminal (twice, without echo), or one line of
// standard input when that is not a terminal, and stores its hash in the agent's row.
// Returns the exit status (0 done, 1 failed, 2 refused input).
int RunPasswd(CallCenterDb& db, const std::string& userId, const std::string& agentName,
              std::ostream& out);

// Hashes every plain PASSWORD in one transaction: all rows or none. Returns the exit
// status and says how many rows it converted.
int RunHashPasswords(CallCenterDb& db, std::ostream& out);

} // namespace callcenter
