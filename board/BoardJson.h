// The frames pushed to the page: a whole picture of the desks when a page starts (or
// has missed a frame), and after that only the desks that changed.
//
// {"seq":7,"full":1,"now":...,"limits":[900,600],"services":[[svc,out,ready,break,call,
//   calls,callSeconds,waiting],...],"desks":[[svc,"tel","name",state,since|null,calls,
//   callSeconds,"extra"],...],"gone":[[svc,"tel"],...]}
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/DeskModel.h"

namespace board {

// A JSON string literal. Quotes, backslashes, control characters and < > & are escaped;
// bytes that are not UTF-8 become U+FFFD, so the text always parses.
std::string JsonString(std::string_view text);

struct FrameLimits {
    int breakSeconds = 0;
    int callSeconds = 0;
};

// What a page holding `previous` needs to hold `now`: desks new or changed, and the
// keys of desks removed, within the service (or all when svc is empty).
struct DeskDiff {
    std::vector<const Desk*> changed;
    std::vector<const Desk*> gone; // as they were in previous
};
DeskDiff DiffDesks(const Snapshot& previous, const Snapshot& now, std::optional<long long> svc);

// The frame of one service (or of all when svc is empty). With a previous snapshot
// only what changed since it; without one, every desk.
std::string FrameJson(long long seq, const Snapshot& now, const Snapshot* previous,
                      std::optional<long long> svc, const FrameLimits& limits);

} // namespace board
