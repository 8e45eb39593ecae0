// Pick-up time of a real agent's program: calls transferred to its desk one after
// another, each at a random moment of the agent's poll period, timed from the commit of
// the transfer until the call's history row carries the agent's name.
#pragma once

#include <ostream>

#include "tools/CallCenter.h"

namespace callcenter {

struct PickupOptions {
    DeskKey desk;
    int calls = 200;
    int timeoutMs = 3000; // a call not stamped by then counts as missed
};

// Returns 0 when every call was picked up, 1 otherwise (or when the desk is not ready).
int RunPickup(CallCenter& center, CallCenterDb& db, const PickupOptions& options,
              std::ostream& out);

} // namespace callcenter
