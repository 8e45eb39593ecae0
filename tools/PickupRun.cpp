#include "tools/PickupRun.h"

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "tools/Percentiles.h"

namespace callcenter {

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// How often the history row is looked at while waiting for the stamp.
constexpr auto kCheckEvery = std::chrono::milliseconds(2);
// After a hang-up the agent is back in the ready mode at its next poll, one period
// after the poll that took the call; the next call waits for that, so that every call
// is timed from a ready desk.
constexpr auto kBackToReady = std::chrono::milliseconds(1250);

} // namespace

int RunPickup(CallCenter& center, CallCenterDb& db, const PickupOptions& options,
              std::ostream& out) {
    const std::string deskWhere =
        " where SVC_ID = " + options.desk.svcId + " and TEL_NUM = '" + options.desk.telNum + "'";
    if (db.Scalar("select IS_READY from TRANSFER_NUM_INFO" + deskWhere) != "0") {
        out << "pickup: desk " << options.desk.telNum << " is not signed in and ready" << std::endl;
        return 1;
    }
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> offsetMs(0, 999);
    std::vector<double> samples;
    int missed = 0;
    Clock::time_point readyAt = Clock::now();
    for (int call = 0; call < options.calls; ++call) {
        // A moment spread evenly over the poll period.
        std::this_thread::sleep_until(readyAt + std::chrono::milliseconds(offsetMs(random)));
        TransferRequest request;
        request.desk = options.desk;
        TransferResult result;
        if (!center.Transfer(request, result)) {
            out << "pickup: " << center.Error() << std::endl;
            return 1;
        }
        const Clock::time_point committed = Clock::now();
        const Clock::time_point limit = committed + std::chrono::milliseconds(options.timeoutMs);
        const std::string stampQuery =
            "select AGENT_NM <> '' from TRANSFER_HIST where XAN_ID = " + result.xanId;
        bool stamped = false;
        Clock::time_point seen = committed;
        while (!stamped && Clock::now() < limit) {
            std::this_thread::sleep_for(kCheckEvery);
            stamped = db.Scalar(stampQuery) == "1";
            seen = Clock::now();
        }
        HangupResult ended;
        if (!center.Hangup(options.desk, ended)) {
            out << "pickup: " << center.Error() << std::endl;
            return 1;
        }
        if (stamped) {
            samples.push_back(Ms(seen - committed).count());
            readyAt = seen + kBackToReady;
        } else {
            ++missed;
            readyAt = Clock::now() + 2 * kBackToReady;
        }
    }
    const Percentiles pickup = Summarize(samples);
    char line[160];
    std::snprintf(line, sizeof line, "pickup_ms p50=%.0f p99=%.0f max=%.0f n=%zu", pickup.p50,
                  pickup.p99, pickup.max, pickup.n);
    if (missed > 0)
        out << "pickup: " << missed << " call(s) not picked up within " << options.timeoutMs
            << " ms" << std::endl;
    out << line << std::endl;
    return missed == 0 ? 0 : 1;
}

} // namespace callcenter
