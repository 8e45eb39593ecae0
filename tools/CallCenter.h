// What the call-centre side does to the shared tables: transfer a call to a desk,
// end it, list the desks, and find a ready desk or a waiting request for the
// distributor. Every operation returns false (or nothing) on a database error or a
// bad argument, with Error() saying which.
#pragma once

#include <ctime>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tools/CallCenterDb.h"

namespace callcenter {

struct DeskKey {
    std::string svcId;  // digits
    std::string telNum; // the desk's phone number
    bool operator==(const DeskKey&) const = default;
};

struct TransferRequest {
    DeskKey desk;
    std::string xanId;             // empty: a new request with the next free XAN_ID
    std::string phone;             // empty: the request's own, or a random one
    std::vector<std::string> cust; // up to four lines; missing lines made up for a new request
};

struct TransferResult {
    std::string xanId;
    std::string phone;
    std::string custInfo;      // first line
    bool replacedCall = false; // the desk still had a call, now replaced
};

struct HangupResult {
    std::string xanId;
    long long seconds = 0; // CONF_TIME written
};

struct DeskState {
    DeskKey desk;
    std::string userId;
    int isReady = 1;
    std::string statusStartTime; // yyyymmddhhmmss, '00000000000000' when signed out
    int transferStatus = 0;
    std::string xanId;
    std::string recvPhone;
};

class CallCenter {
  public:
    CallCenter(CallCenterDb& db, std::mt19937& random) : m_db(db), m_random(random) {}

    bool Transfer(const TransferRequest& request, TransferResult& result);
    bool Hangup(const DeskKey& desk, HangupResult& result);
    // Every desk, or those of the given services, by service and phone number.
    bool ListDesks(const std::vector<std::string>& services, std::vector<DeskState>& desks);
    // The ready desk without a call that has waited longest, leaving out those listed.
    std::optional<DeskKey> FindReadyDesk(const std::vector<std::string>& services,
                                         const std::vector<DeskKey>& excluded);
    // A request of the service that has not been transferred yet.
    std::optional<std::string> FindWaitingRequest(const std::string& svcId);

    const std::string& Error() const { return m_error; }

    // The clock, replaceable so that call times can be checked.
    std::time_t (*now)() = [] { return std::time(nullptr); };

  private:
    bool Fail(const std::string& message);
    bool CheckDesk(const DeskKey& desk);
    std::string DeskWhere(const DeskKey& desk) const;
    // The desk's TRANSFER_STATUS and XAN_ID into values; false (reported) without a desk.
    bool ReadDeskCall(const DeskKey& desk, std::vector<std::string>& values);
    std::string Quote(const std::string& text) const;

    CallCenterDb& m_db;
    std::mt19937& m_random;
    std::string m_error;
};

// yyyymmddhhmmss of a time in local time, and back (nullopt when malformed).
std::string LocalStamp(std::time_t time);
std::optional<std::time_t> ParseLocalStamp(const std::string& stamp);

// The state of a desk as the agent's program left it: "ready", "break" or "signed out".
const char* ReadinessText(const DeskState& desk);

} // namespace callcenter
