// The reasons an agent may give for a break: rows of CODE_INFO in a group of their own
// (CD_ID the code, CD_NM the Korean name), offered in the order of their codes. A floor
// that configures none keeps the plain break.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "db/RecordReader.h"

struct BreakReason {
    std::string code; // CD_ID, at most 20 characters
    std::string name; // CD_NM as shown to the agent
};

namespace agentsql {

inline constexpr const char* kBreakReasonGroup = "BREAK_REASON";
// More than a screenful is a configuration mistake; the rest is left out.
inline constexpr std::size_t kMaxBreakReasons = 30;

// The first reason whose code sorts after afterCode (the first of all without one).
std::string NextBreakReasonSql(const std::optional<std::string>& afterCode);

// Reads the reasons in display order: 1 when read (an empty list is a floor without
// reasons), -1 when a query failed (out is then empty). A reason with an empty name is
// shown by its code.
int ReadBreakReasons(const RecordReader& query, std::vector<BreakReason>& out);

// The state text of a break: "휴식중", or "휴식중(<name>)" with a reason.
std::string BreakModeText(const BreakReason* reason);

} // namespace agentsql
